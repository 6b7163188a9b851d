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

}  // namespace

LocationKind KindOfLocationField(LocationField field) { return kKinds[field]; }

const char* LocationText(const EntryValues& values, bool source,
                         LocationField field) {
  if (field == kLocAutonomousSystemOrganization) {
    return (source ? *values.src_asn : *values.dst_asn)
        .autonomous_system_organization.c_str();
  }
  const auto member = kTexts[field];
  if (member == nullptr) return "";
  const LocationRecord& location =
      source ? *values.src_location : *values.dst_location;
  return (location.*member).c_str();
}

uint64_t LocationNumber(const EntryValues& values, bool source,
                        LocationField field) {
  const LocationRecord& loc =
      source ? *values.src_location : *values.dst_location;
  switch (field) {
    case kLocMetroCode:
      return loc.metro_code;
    case kLocAccuracyRadius:
      return loc.accuracy_radius;
    case kLocAutonomousSystemNumber:
      return (source ? *values.src_asn : *values.dst_asn)
          .autonomous_system_number;
    default:
      return 0;
  }
}

double LocationDouble(const EntryValues& values, bool source,
                      LocationField field) {
  const LocationRecord& loc =
      source ? *values.src_location : *values.dst_location;
  return field == kLocLatitude ? loc.latitude : loc.longitude;
}

uint8_t LocationYesNo(const EntryValues& values, bool source,
                      LocationField field) {
  const LocationRecord& loc =
      source ? *values.src_location : *values.dst_location;
  switch (field) {
    case kLocIsAnonymousProxy:
      return loc.is_anonymous_proxy;
    case kLocIsSatelliteProvider:
      return loc.is_satellite_provider;
    default:
      return loc.is_in_european_union;
  }
}

}  // namespace tnwk
