#pragma once
#include <string>
#include <string_view>

#include "links/files/LinkSettings.h"

namespace teshmar {

// A value as it may stand in an OLE DB connection string: unchanged when it holds no ";", no
// quote, no blank or control character at either end and does not begin with "="; otherwise
// quoted, so that no value can end its key early, run into it or add keys of its own (a password
// "x;Data Source=10.0.0.9" stays a password, and so does "=abc").
std::string ConnStringValue(std::string_view value);

// The catalog form of a link for connection type 1 (SQL Server login) or 2 (integrated security);
// empty when the database is empty or the type is neither.
std::string BuildConnString(const std::string& server, const std::string& port, const std::string& database,
                            const std::string& login, const std::string& password, int connType);

// The form without a catalog that lists a server's databases: integrated security for type 2,
// SQL Server login for every other type. Never empty.
std::string BuildBrowseConnString(const std::string& server, const std::string& port, const std::string& login,
                                  const std::string& password, int connType);

// The catalog form of a link; empty when it is not a usable link.
std::string LinkConnString(const LinkSettings& link);

// The catalog form of an entry's stored link; empty when the entry has no usable link.
std::string EntryConnString(IEntryLinks& links, int entryNo);
std::string EntryConnString(const EntryLinksSnapshot& links, int entryNo);

}  // namespace teshmar
