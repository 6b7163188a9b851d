#ifndef TNWK_ENTRIES_LOCATION_FIELDS_H_
#define TNWK_ENTRIES_LOCATION_FIELDS_H_

#include <cstdint>

#include "entries/field_keywords.h"
#include "entries/log_entry.h"

namespace tnwk {

// Reads one location or AS field of an entry or row, for the columns and
// sort fields that name them. `source` picks the source side (src_location,
// src_asn) over the destination side.

enum class LocationKind : uint8_t { kText, kNumber, kDouble, kYesNo };

// How a location or AS field compares: metro_code, accuracy_radius and
// autonomous_system_number are numbers, latitude and longitude doubles, the
// three "is_" fields yes/no bytes, every other field text.
LocationKind KindOfLocationField(LocationField field);

const char* LocationText(const EntryValues& values, bool source,
                         LocationField field);
uint64_t LocationNumber(const EntryValues& values, bool source,
                        LocationField field);
double LocationDouble(const EntryValues& values, bool source,
                      LocationField field);
uint8_t LocationYesNo(const EntryValues& values, bool source,
                      LocationField field);

}  // namespace tnwk

#endif  // TNWK_ENTRIES_LOCATION_FIELDS_H_
