#pragma once
// Tests read connection strings back with the scripted server's reader, which reads them as a
// provider does ("==" in a key is one "=", quoted values taken literally).
#include "tools/scripted_db/ConnStringParser.h"

namespace teshmar::testing {
using teshmar::ParseConnString;
}  // namespace teshmar::testing
