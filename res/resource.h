#pragma once
// Bitmaps of the flat buttons: 32 x 16, the normal image then the disabled one.
#define IDB_GLYPH_CLOSE 101
#define IDB_GLYPH_UPDATE 102
