#include "app/DatabaseFactory.h"
#include "links/db/AdoDatabase.h"

namespace teshmar {

std::unique_ptr<IDatabase> CreateConsoleDatabase() { return CreateAdoDatabase(); }

}  // namespace teshmar
