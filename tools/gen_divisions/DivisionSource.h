#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

namespace teshmar::gen {

// Input that cannot make the division table; the text names the line and the reason.
class DivisionListError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The C++ source of the built-in division table (customer/ChinaAreaData.cpp), made from the
// published code list: UTF-8, one "code<TAB>name" row per division, an optional "code<TAB>name"
// heading. Applies the console's own names and grouping rows and checks the result's shape.
std::string GenerateDivisionSource(std::string_view tsv);

}  // namespace teshmar::gen
