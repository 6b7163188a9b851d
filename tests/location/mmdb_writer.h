#ifndef TNWK_TESTS_LOCATION_MMDB_WRITER_H_
#define TNWK_TESTS_LOCATION_MMDB_WRITER_H_

#include <string>
#include <string_view>

namespace tnwk::testing {

// Builds a small GeoIP2 database file (binary search tree, data section,
// metadata; 24-bit records) from a text table, for tests:
//
//   database_type GeoLite2-City     metadata (default "Test")
//   ip_version 6                    6 (default) or 4
//   languages en de                 metadata list of languages
//   network 192.0.2.0/24            starts the record of a network; IPv4
//                                   networks of an IPv6 tree go under ::/96
//     country.iso_code DE           a field: dotted path, then the value
//     city.names.en New York        (the rest of the line) as a string
//     subdivisions.0.iso_code BE    a number in the path indexes an array
//     location.latitude:double 52.5 typed values: :double, :float, :u16,
//     location.metro_code:u16 807   :u32, :u64, :i32, :bool (true/false)
//
// Field lines are indented; blank lines and lines starting with # are
// skipped. Networks must not overlap. Returns the file contents, or an
// empty string with the reason in *error.
std::string BuildMmdb(std::string_view table, std::string* error);

// BuildMmdb, written to `path`; false with the reason in *error.
bool WriteMmdbFile(const std::string& path, std::string_view table,
                   std::string* error);

}  // namespace tnwk::testing

#endif  // TNWK_TESTS_LOCATION_MMDB_WRITER_H_
