// Builds a database file from a table for the end-to-end cases:
//   tnwk_mmdb_writer TABLE OUTPUT
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "location/mmdb_writer.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s TABLE OUTPUT\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1]);
  std::stringstream table;
  table << in.rdbuf();
  std::string error;
  if (!in || !tnwk::testing::WriteMmdbFile(argv[2], table.str(), &error)) {
    std::fprintf(stderr, "%s: %s\n", argv[1],
                 error.empty() ? "cannot read" : error.c_str());
    return 1;
  }
  return 0;
}
