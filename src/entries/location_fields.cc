#include "entries/location_fields.h"

namespace tnwk {

namespace {

using K = LocationKind;

// By LocationField.
constexpr LocationKind kKinds[kLocationFieldCount] = {
    K::kText,   K::kText,  K::kText,   K::kText,   K::kText, K::kText,
    K::kText,   K::kText,  K::kText,   K::kNumber, K::kText, K::kNumber,
    K::kText,   K::kText,  K::kYesNo,  K::kYesNo,  K::kText, K::kDouble,
    K::kDouble, K::kYesNo, K::kNumber, K::kText,
};

// The location record's member of each text field, by LocationField;
// nullptr for the other fields and the AS organization.
constexpr FixedText<128> LocationRecord::*kTexts[kLocationFieldCount] = {
    &LocationRecord::continent_code,
    &LocationRecord::continent_name,
    &LocationRecord::country_iso_code,
    &LocationRecord::country_name,
    &LocationRecord::subdivision_1_iso_code,
    &LocationRecord::subdivision_1_name,
    &LocationRecord::subdivision_2_iso_code,
    &LocationRecord::subdivision_2_name,
    &LocationRecord::city_name,
    nullptr,
    &LocationRecord::time_zone,
    nullptr,
    &LocationRecord::registered_country_geoname_id,
    &LocationRecord::represented_country_geoname_id,
    nullptr,
    nullptr,
    &LocationRecord::postal_code,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

const LocationRecord& Side(const EntryValues& values, bool source) {
  return source ? *values.src_location : *values.dst_location;
}

}  // namespace

LocationKind KindOfLocationField(LocationField field) { return kKinds[field]; }

const char* LocationText(const EntryValues& values, bool source,
                         LocationField field) {
  if (field == kLocAutonomousSystemOrganization) {
    return (source ? *values.src_asn : *values.dst_asn)
        .autonomous_system_organization.c_str();
  }
  const auto member = kTexts[field];
  return member == nullptr ? "" : (Side(values, source).*member).c_str();
}

uint64_t LocationNumber(const EntryValues& values, bool source,
                        LocationField field) {
  if (field == kLocAutonomousSystemNumber) {
    return (source ? *values.src_asn : *values.dst_asn)
        .autonomous_system_number;
  }
  const LocationRecord& location = Side(values, source);
  if (field == kLocMetroCode) return location.metro_code;
  return field == kLocAccuracyRadius ? location.accuracy_radius : 0;
}

double LocationDouble(const EntryValues& values, bool source,
                      LocationField field) {
  const LocationRecord& location = Side(values, source);
  return field == kLocLatitude ? location.latitude : location.longitude;
}

uint8_t LocationYesNo(const EntryValues& values, bool source,
                      LocationField field) {
  const LocationRecord& location = Side(values, source);
  if (field == kLocIsAnonymousProxy) return location.is_anonymous_proxy;
  return field == kLocIsSatelliteProvider ? location.is_satellite_provider
                                          : location.is_in_european_union;
}

}  // namespace tnwk
