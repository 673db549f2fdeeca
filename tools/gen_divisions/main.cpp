// gen_divisions LIST OUTPUT: writes the built-in division table's source from the code list.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "tools/gen_divisions/DivisionSource.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: gen_divisions <divisions.tsv> <output.cpp>\n";
    return 2;
  }
  try {
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) throw std::runtime_error(std::string("cannot read ") + argv[1]);
    std::ostringstream list;
    list << in.rdbuf();
    std::string source = teshmar::gen::GenerateDivisionSource(list.str());

    // Written beside the target first, so a failed run never leaves a half-written source.
    std::filesystem::path target = argv[2];
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    {
      std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
      out << source;
      out.flush();
      if (!out) {
        out.close();
        std::filesystem::remove(temporary);
        throw std::runtime_error("cannot write " + temporary.string());
      }
    }
    std::filesystem::rename(temporary, target);
  } catch (const teshmar::gen::DivisionListError& e) {
    std::cerr << "gen_divisions: " << argv[1] << ": " << e.what() << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "gen_divisions: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
