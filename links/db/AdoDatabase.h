#pragma once
#include <memory>

#include "links/db/Database.h"

namespace teshmar {

// The database over ADO (any installed OLE DB provider, SQLOLEDB.1 for the console's strings).
// COM must be initialised on the calling thread; every object is used on that thread only.
std::unique_ptr<IDatabase> CreateAdoDatabase();

}  // namespace teshmar
