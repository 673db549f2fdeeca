#include <gtest/gtest.h>

#include <string>

#include "links/db/ServerAddress.h"

namespace teshmar {
namespace {

struct AddressCase {
  std::string text;
  bool accepted;
};

class ServerAddressTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(ServerAddressTest, AcceptsOnlyPlainDottedAddresses) {
  EXPECT_EQ(IsValidServerIP(GetParam().text), GetParam().accepted) << "[" << GetParam().text << "]";
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, ServerAddressTest,
    ::testing::Values(
        // Accepted.
        AddressCase{"127.0.0.1", true}, AddressCase{"10.0.0.0", true}, AddressCase{"1.0.0.0", true},
        AddressCase{"255.255.255.255", true}, AddressCase{"192.168.1.10", true}, AddressCase{"1.2.3.4", true},
        // Trimming: blanks and control characters at both ends go.
        AddressCase{"  127.0.0.1  ", true}, AddressCase{"\t10.0.0.1\r\n", true},
        AddressCase{std::string("\x01" "10.0.0.1\x1f", 10), true},
        // Rejected by the rules one by one.
        AddressCase{"0.1.2.3", false}, AddressCase{"00.1.2.3", false}, AddressCase{"192.168.01.1", false},
        AddressCase{"1.2.3.00", false}, AddressCase{"256.1.1.1", false}, AddressCase{"1.2.3.256", false},
        AddressCase{"1.2.3", false}, AddressCase{"1.2.3.4.5", false}, AddressCase{"10..2.3", false},
        AddressCase{".1.2.3.4", false}, AddressCase{"1.2.3.4.", false}, AddressCase{"+1.2.3.4", false},
        AddressCase{"1.-2.3.4", false}, AddressCase{"1.2.3.4x", false}, AddressCase{"localhost", false},
        AddressCase{"myserver\\SQLEXPRESS", false}, AddressCase{"::1", false}, AddressCase{"1.2.3.4,1433", false},
        // Blanks inside, emptiness, length.
        AddressCase{"127.0. 0.1", false}, AddressCase{"127 .0.0.1", false}, AddressCase{"", false},
        AddressCase{"   ", false}, AddressCase{"1.1.1", false}, AddressCase{"1.1.1.1111", false},
        AddressCase{"100.100.100.1000", false}, AddressCase{"1.2.3.999999999", false},
        AddressCase{"1.2.3." + std::string(5000, '9'), false}, AddressCase{std::string(5000, '1'), false},
        // Non-ASCII digits: full-width one, Arabic-Indic digit.
        AddressCase{"１.1.1.1", false}, AddressCase{"1.1.1.１", false}, AddressCase{"1.1.1.\xd9\xa1", false},
        AddressCase{std::string("1.1\0.1.1", 8), false}, AddressCase{std::string("1.1.1.1\0", 8), true}));

}  // namespace
}  // namespace teshmar
