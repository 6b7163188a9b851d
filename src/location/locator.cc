#include "location/locator.h"

#include <arpa/inet.h>
#include <maxminddb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace tnwk {

struct Locator::Database {
  MMDB_s mmdb{};
  std::string path;

  ~Database() { MMDB_close(&mmdb); }
};

namespace {

constexpr uint8_t kLocationSides = kLocationSource | kLocationDestination;
constexpr uint8_t kAsSides = kAsSource | kAsDestination;

// Opens `path` memory-mapped; null (after the message) when it cannot be
// used.
template <typename Database>
std::unique_ptr<Database> OpenDatabase(const char* path,
                                       const Diagnostics& diag) {
  auto db = std::make_unique<Database>();
  errno = 0;
  int status = MMDB_open(path, MMDB_MODE_MMAP, &db->mmdb);
  if (status == MMDB_SUCCESS) {
    db->path = path;
    return db;
  }
  // A file that is missing or unreadable says more through errno than
  // through the library's generic "could not open" text.
  const int error = errno;
  const char* reason =
      (status == MMDB_FILE_OPEN_ERROR || status == MMDB_IO_ERROR) && error != 0
          ? std::strerror(error)
          : MMDB_strerror(status);
  diag.Log(1, "Could not open GeoIP2 database %s: %s\n", path, reason);
  return nullptr;
}

// The value at `path` (a null-terminated key list) of the record, or false
// when the record has none.
bool ValueAt(const MMDB_s& mmdb, uint32_t offset,
             std::initializer_list<const char*> path, MMDB_entry_data_s* data) {
  const char* keys[8];
  size_t n = 0;
  for (const char* key : path) keys[n++] = key;
  keys[n] = nullptr;
  MMDB_entry_s entry{&mmdb, offset};
  return MMDB_aget_value(&entry, data, keys) == MMDB_SUCCESS && data->has_data;
}

// Copies a string value bounded to the field; a cut never splits a UTF-8
// character, so the report holds whole characters only.
template <size_t N>
void CopyText(const MMDB_s& mmdb, uint32_t offset,
              std::initializer_list<const char*> path, FixedText<N>* out) {
  MMDB_entry_data_s data;
  if (!ValueAt(mmdb, offset, path, &data) ||
      data.type != MMDB_DATA_TYPE_UTF8_STRING) {
    return;
  }
  size_t length = data.data_size;
  if (length > N - 1) {
    length = N - 1;
    while (length > 0 && (static_cast<unsigned char>(data.utf8_string[length]) &
                          0xC0) == 0x80) {
      --length;
    }
  }
  out->Set(std::string_view(data.utf8_string, length));
}

// An unsigned integer of any of the format's integer types, when it is no
// larger than `max`.
bool ReadUnsigned(const MMDB_s& mmdb, uint32_t offset,
                  std::initializer_list<const char*> path, uint64_t max,
                  uint64_t* value) {
  MMDB_entry_data_s data;
  if (!ValueAt(mmdb, offset, path, &data)) return false;
  switch (data.type) {
    case MMDB_DATA_TYPE_UINT16:
      *value = data.uint16;
      break;
    case MMDB_DATA_TYPE_UINT32:
      *value = data.uint32;
      break;
    case MMDB_DATA_TYPE_UINT64:
      *value = data.uint64;
      break;
    case MMDB_DATA_TYPE_INT32:
      if (data.int32 < 0) return false;
      *value = static_cast<uint64_t>(data.int32);
      break;
    default:
      return false;
  }
  return *value <= max;
}

template <typename Field>
void CopyUnsigned(const MMDB_s& mmdb, uint32_t offset,
                  std::initializer_list<const char*> path, Field* out) {
  uint64_t value;
  if (ReadUnsigned(mmdb, offset, path, static_cast<Field>(~Field{0}), &value)) {
    *out = static_cast<Field>(value);
  }
}

// A geoname id, written as decimal text.
void CopyId(const MMDB_s& mmdb, uint32_t offset,
            std::initializer_list<const char*> path, FixedText<128>* out) {
  uint64_t value;
  if (ReadUnsigned(mmdb, offset, path, UINT64_MAX, &value)) {
    char text[24];
    std::snprintf(text, sizeof text, "%llu",
                  static_cast<unsigned long long>(value));
    out->Set(text);
  }
}

void CopyDouble(const MMDB_s& mmdb, uint32_t offset,
                std::initializer_list<const char*> path, double* out) {
  MMDB_entry_data_s data;
  if (!ValueAt(mmdb, offset, path, &data)) return;
  if (data.type == MMDB_DATA_TYPE_DOUBLE) *out = data.double_value;
  if (data.type == MMDB_DATA_TYPE_FLOAT) *out = data.float_value;
}

void CopyYesNo(const MMDB_s& mmdb, uint32_t offset,
               std::initializer_list<const char*> path, uint8_t* out) {
  MMDB_entry_data_s data;
  if (ValueAt(mmdb, offset, path, &data) &&
      data.type == MMDB_DATA_TYPE_BOOLEAN) {
    *out = data.boolean ? 1 : 0;
  }
}

void ReadLocation(const MMDB_s& db, uint32_t at, const char* locale,
                  LocationRecord* r) {
  CopyText(db, at, {"continent", "code"}, &r->continent_code);
  CopyText(db, at, {"continent", "names", locale}, &r->continent_name);
  CopyText(db, at, {"country", "iso_code"}, &r->country_iso_code);
  CopyText(db, at, {"country", "names", locale}, &r->country_name);
  CopyText(db, at, {"subdivisions", "0", "iso_code"},
           &r->subdivision_1_iso_code);
  CopyText(db, at, {"subdivisions", "0", "names", locale},
           &r->subdivision_1_name);
  CopyText(db, at, {"subdivisions", "1", "iso_code"},
           &r->subdivision_2_iso_code);
  CopyText(db, at, {"subdivisions", "1", "names", locale},
           &r->subdivision_2_name);
  CopyText(db, at, {"city", "names", locale}, &r->city_name);
  CopyUnsigned(db, at, {"location", "metro_code"}, &r->metro_code);
  CopyText(db, at, {"location", "time_zone"}, &r->time_zone);
  CopyId(db, at, {"registered_country", "geoname_id"},
         &r->registered_country_geoname_id);
  CopyId(db, at, {"represented_country", "geoname_id"},
         &r->represented_country_geoname_id);
  CopyYesNo(db, at, {"traits", "is_anonymous_proxy"}, &r->is_anonymous_proxy);
  CopyYesNo(db, at, {"traits", "is_satellite_provider"},
            &r->is_satellite_provider);
  CopyText(db, at, {"postal", "code"}, &r->postal_code);
  CopyDouble(db, at, {"location", "latitude"}, &r->latitude);
  CopyDouble(db, at, {"location", "longitude"}, &r->longitude);
  CopyYesNo(db, at, {"country", "is_in_european_union"},
            &r->is_in_european_union);
  CopyUnsigned(db, at, {"location", "accuracy_radius"}, &r->accuracy_radius);
}

void ReadAs(const MMDB_s& db, uint32_t at, AsRecord* r) {
  CopyUnsigned(db, at, {"autonomous_system_number"},
               &r->autonomous_system_number);
  CopyText(db, at, {"autonomous_system_organization"},
           &r->autonomous_system_organization);
}

uint64_t HashAddress(uint16_t family, const uint8_t* bytes) {
  uint64_t high, low;
  std::memcpy(&high, bytes, 8);
  std::memcpy(&low, bytes + 8, 8);
  uint64_t h = (high ^ (low * 0x9E3779B97F4A7C15ULL)) + family;
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDULL;
  h ^= h >> 33;
  return h;
}

}  // namespace

Locator::Locator(const Diagnostics& diag) : diag_(diag) {}

Locator::~Locator() = default;

void Locator::Open(const Options& options) {
  const uint8_t flags = options.location_flags;
  locale_ = options.geoip2_locale.c_str();
  if ((flags & kLocationSides) && !(flags & kSkipLocationCriteria) &&
      !options.geoip2_file.empty()) {
    city_ = OpenDatabase<Database>(options.geoip2_file.c_str(), diag_);
    if (city_) sources_ |= flags & kLocationSides;
  }
  if ((flags & kAsSides) && !(flags & kSkipAsCriteria) &&
      !options.geoip2_asn_file.empty()) {
    asn_ = OpenDatabase<Database>(options.geoip2_asn_file.c_str(), diag_);
    if (asn_) sources_ |= flags & kAsSides;
  }
}

void Locator::locate_entry(LogEntry& entry) {
  const uint16_t family = entry.oob_family;
  if (sources_ & kLocationSource) {
    entry.src_location = LocationOf(family, entry.ip_saddr);
  }
  if (sources_ & kLocationDestination) {
    entry.dst_location = LocationOf(family, entry.ip_daddr);
  }
  if (sources_ & kAsSource) entry.src_asn = AsOf(family, entry.ip_saddr);
  if (sources_ & kAsDestination) entry.dst_asn = AsOf(family, entry.ip_daddr);
}

const LocationRecord* Locator::LocationOf(uint16_t family,
                                          const AddressBlock& address) {
  const void*& slot = location_memo_.Slot(family, address);
  if (slot != nullptr) return static_cast<const LocationRecord*>(slot);
  const LocationRecord* record = &kEmptyLocation;
  uint32_t offset;
  if (Find(*city_, family, address, &offset)) {
    auto [it, added] = location_by_offset_.try_emplace(offset, nullptr);
    if (added) {
      LocationRecord& fresh = locations_.emplace_back();
      ReadLocation(city_->mmdb, offset, locale_.c_str(), &fresh);
      it->second = &fresh;
    }
    record = it->second;
  }
  slot = record;
  return record;
}

const AsRecord* Locator::AsOf(uint16_t family, const AddressBlock& address) {
  const void*& slot = as_memo_.Slot(family, address);
  if (slot != nullptr) return static_cast<const AsRecord*>(slot);
  const AsRecord* record = &kEmptyAs;
  uint32_t offset;
  if (Find(*asn_, family, address, &offset)) {
    auto [it, added] = as_by_offset_.try_emplace(offset, nullptr);
    if (added) {
      AsRecord& fresh = as_records_.emplace_back();
      ReadAs(asn_->mmdb, offset, &fresh);
      it->second = &fresh;
    }
    record = it->second;
  }
  slot = record;
  return record;
}

bool Locator::Find(const Database& db, uint16_t family,
                   const AddressBlock& address, uint32_t* offset) const {
  sockaddr_in v4{};
  sockaddr_in6 v6{};
  const sockaddr* where;
  if (family == kFamilyIpv4) {
    v4.sin_family = AF_INET;
    v4.sin_addr.s_addr = address.v4;
    where = reinterpret_cast<const sockaddr*>(&v4);
  } else if (family == kFamilyIpv6) {
    v6.sin6_family = AF_INET6;
    std::memcpy(&v6.sin6_addr, address.v6, 16);
    where = reinterpret_cast<const sockaddr*>(&v6);
  } else {
    return false;
  }
  int error = MMDB_SUCCESS;
  MMDB_lookup_result_s result = MMDB_lookup_sockaddr(&db.mmdb, where, &error);
  // An IPv4-only file simply knows no IPv6 address.
  if (error != MMDB_SUCCESS &&
      error != MMDB_IPV6_LOOKUP_IN_IPV4_DATABASE_ERROR) {
    diag_.Log(2, "Could not look up %s in GeoIP2 database %s: %s\n",
              address.text.c_str(), db.path.c_str(), MMDB_strerror(error));
    return false;
  }
  if (error != MMDB_SUCCESS || !result.found_entry) return false;
  *offset = result.entry.offset;
  return true;
}

Locator::AddressMemo::AddressMemo() : slots_(kSlots, Entry{}) {}

const void*& Locator::AddressMemo::Slot(uint16_t family,
                                        const AddressBlock& address) {
  uint8_t bytes[16] = {};
  if (family == kFamilyIpv6) {
    std::memcpy(bytes, address.v6, 16);
  } else {
    std::memcpy(bytes, &address.v4, 4);
  }
  Entry& e = slots_[HashAddress(family, bytes) & (kSlots - 1)];
  if (e.family != family || std::memcmp(e.bytes, bytes, 16) != 0) {
    std::memcpy(e.bytes, bytes, 16);
    e.family = family;
    e.record = nullptr;
  }
  return e.record;
}

}  // namespace tnwk
