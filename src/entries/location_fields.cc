#include "entries/location_fields.h"

namespace tnwk {

LocationKind KindOfLocationField(LocationField field) {
  switch (field) {
    case kLocMetroCode:
    case kLocAccuracyRadius:
    case kLocAutonomousSystemNumber:
      return LocationKind::kNumber;
    case kLocLatitude:
    case kLocLongitude:
      return LocationKind::kDouble;
    case kLocIsAnonymousProxy:
    case kLocIsSatelliteProvider:
    case kLocIsInEuropeanUnion:
      return LocationKind::kYesNo;
    default:
      return LocationKind::kText;
  }
}

const char* LocationText(const EntryValues& values, bool source,
                         LocationField field) {
  const LocationRecord& loc =
      source ? *values.src_location : *values.dst_location;
  switch (field) {
    case kLocContinentCode:
      return loc.continent_code.c_str();
    case kLocContinentName:
      return loc.continent_name.c_str();
    case kLocCountryIsoCode:
      return loc.country_iso_code.c_str();
    case kLocCountryName:
      return loc.country_name.c_str();
    case kLocSubdivision1IsoCode:
      return loc.subdivision_1_iso_code.c_str();
    case kLocSubdivision1Name:
      return loc.subdivision_1_name.c_str();
    case kLocSubdivision2IsoCode:
      return loc.subdivision_2_iso_code.c_str();
    case kLocSubdivision2Name:
      return loc.subdivision_2_name.c_str();
    case kLocCityName:
      return loc.city_name.c_str();
    case kLocTimeZone:
      return loc.time_zone.c_str();
    case kLocRegisteredCountryGeonameId:
      return loc.registered_country_geoname_id.c_str();
    case kLocRepresentedCountryGeonameId:
      return loc.represented_country_geoname_id.c_str();
    case kLocPostalCode:
      return loc.postal_code.c_str();
    case kLocAutonomousSystemOrganization:
      return (source ? *values.src_asn : *values.dst_asn)
          .autonomous_system_organization.c_str();
    default:
      return "";
  }
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
