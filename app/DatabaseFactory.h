#pragma once
#include <memory>

#include "links/db/Database.h"

namespace teshmar {

// The console's database: ADO in Teshmar.exe, a scripted one in the build for end-to-end tests.
// Only this function differs between the two programs.
std::unique_ptr<IDatabase> CreateConsoleDatabase();

}  // namespace teshmar
