#include "customer/CustomerRecord.h"

#include <memory>
#include <utility>

#include "links/db/ConnString.h"

namespace teshmar {

namespace {

// A value inside a quoted SQL literal: a single quote is doubled, so a name such as O'Brien
// neither ends the literal early nor breaks the statement.
std::string SqlText(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out;
}

bool HasRows(IQuery& query, const std::string& sql) {
  query.Open(sql);
  return !query.Eof();
}

// Every row of Base takes the name and street, or an empty Base gets its first row.
void WriteRecord(IQuery& query, const std::string& name, const std::string& street) {
  std::string statement =
      HasRows(query, "select * from Base ")
          ? "Update Base set Name='" + SqlText(name) + "',Addr='" + SqlText(street) + "' "
          : "Insert into Base (Name,Addr) values('" + SqlText(name) + "','" + SqlText(street) + "')";
  query.Close();
  try {
    query.Execute(statement);
  } catch (const DatabaseError&) {
    // The server refused the write: the record stays as it was, and nobody is told.
  }
}

// The work on the open connection. The query is closed on every path; an error of the two
// reading statements goes on to the caller.
void WriteOnOpenConnection(IConnection& connection, const std::string& name, const std::string& street) {
  std::unique_ptr<IQuery> query = connection.CreateQuery();
  try {
    // A database without Base (an ERP database, a wrong one) is left alone.
    if (HasRows(*query, "select * from  sysobjects  where name='Base' ")) WriteRecord(*query, name, street);
  } catch (...) {
    query->Close();
    throw;
  }
  query->Close();
}

}  // namespace

std::string SplitHead(std::string& text, std::string_view separator) {
  std::size_t at = text.find(separator);
  if (at == std::string::npos) return {};
  std::string head = text.substr(0, at);
  text.erase(0, at + separator.size());
  return head;
}

CustomerAddress SplitCustomerAddress(std::string address) {
  CustomerAddress pieces;
  pieces.province = SplitHead(address, ",");
  pieces.city = SplitHead(address, ",");
  pieces.county = SplitHead(address, ",");
  pieces.street = std::move(address);
  return pieces;
}

void WriteBaseRecord(IConnection& connection, IEntryLinks& links, int entryNo, const std::string& name,
                     const std::string& address) {
  WriteBaseRecord(connection, EntryConnString(links, entryNo), name, address);
}

void WriteBaseRecord(IConnection& connection, const std::string& connectionString, const std::string& name,
                     const std::string& address) {
  // The connection ends closed on every path, even for an entry without a usable link.
  connection.Close();
  if (connectionString.empty()) return;
  try {
    connection.Open(connectionString);
  } catch (const DatabaseError&) {
    // Unreachable server or refused login: nothing to write, nothing to report.
    connection.Close();
    return;
  }
  try {
    WriteOnOpenConnection(connection, name, SplitCustomerAddress(address).street);
  } catch (...) {
    connection.Close();
    throw;
  }
  connection.Close();
}

}  // namespace teshmar
