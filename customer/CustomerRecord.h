#pragma once
#include <string>
#include <string_view>

#include "links/db/Database.h"
#include "links/files/LinkSettings.h"

namespace teshmar {

// Takes the head off a text: answers the part before the first occurrence of the separator
// and removes it and the separator from the text. Without the separator the head is empty
// and the text stays whole.
std::string SplitHead(std::string& text, std::string_view separator);

// A customer address: province, city, county and street joined by ",". The street is what
// remains after three heads; it may hold commas of its own.
struct CustomerAddress {
  std::string province;
  std::string city;
  std::string county;
  std::string street;
};

// Reads the pieces with SplitHead, the way the customer dialog shows them. An address without
// any comma is a bare street.
CustomerAddress SplitCustomerAddress(std::string address);

// Writes the customer's name and the address's street into table Base of entry entryNo's
// database: the rows already there all take them, or an empty table gets its first row.
// The connection is pointed at the entry and left closed. An entry without a usable link,
// a server that cannot be reached, a database without Base and a refused write all end the
// operation quietly; a refused reading statement reaches the caller as DatabaseError.
void WriteBaseRecord(IConnection& connection, IEntryLinks& links, int entryNo, const std::string& name,
                     const std::string& address);
// The same with the entry's connection string read already (empty: no usable link), so that a
// worker can write the record without reading the settings file.
void WriteBaseRecord(IConnection& connection, const std::string& connectionString, const std::string& name,
                     const std::string& address);

}  // namespace teshmar
