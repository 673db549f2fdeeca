#pragma once

namespace teshmar {

// The texts the scripted server answers with, worded as SQL Server and its OLE DB provider word them.
inline constexpr const char* kServerMissingError =
    "[DBNETLIB][ConnectionOpen (Connect()).]SQL Server does not exist or access denied.";
inline constexpr const char* kStatementRefusedError = "The server refused the statement.";
inline constexpr const char* kClosedObjectError = "Operation is not allowed when the object is closed.";
inline constexpr const char* kNoProviderError =
    "[Microsoft][ODBC Driver Manager] Data source name not found and no default driver specified";
inline constexpr const char* kProviderMissingError = "Provider cannot be found. It may not be properly installed.";
inline constexpr const char* kBadConnStringError = "The connection string cannot be read.";
inline constexpr const char* kTrustedLoginError =
    "Login failed for user '(null)'. Reason: Not associated with a trusted SQL Server connection.";
inline constexpr const char* kNoCurrentRowError =
    "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a current record.";
inline constexpr const char* kNoSuchColumnError =
    "Item cannot be found in the collection corresponding to the requested name or ordinal.";

}  // namespace teshmar
