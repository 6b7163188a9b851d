#ifndef TNWK_LOCATION_LOCATOR_H_
#define TNWK_LOCATION_LOCATOR_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/diagnostics.h"
#include "entries/entry_stages.h"
#include "entries/log_entry.h"
#include "entries/options.h"

namespace tnwk {

// Fills the location and AS references of log entries from GeoIP2 database
// files: a City or Country file (geoip2_file) and an ASN file
// (geoip2_asn_file), memory-mapped for the run.
//
// The addresses of one network of a file share one record, read from the
// file the first time an address of that network is seen, so a report
// keeps one record per network it has seen, however many lines and rows
// point at it. An address the file
// has no data for points at the shared empty record. Records live as long
// as the locator, which must outlive every row that points at them.
class Locator final : public EntryLocator {
 public:
  explicit Locator(const Diagnostics& diag);
  ~Locator() override;
  Locator(const Locator&) = delete;
  Locator& operator=(const Locator&) = delete;

  // Opens the files the report needs: geoip2_file when location_flags asks
  // for location data of either address, geoip2_asn_file when it asks for
  // AS data, neither kind when geoip_php_lookup has marked its criteria as
  // skipped. A file that cannot be opened is reported at verbosity 1 with
  // "Could not open GeoIP2 database %s: %s\n" and left out.
  void Open(const Options& options);

  // The location_flags bits (kLocationSource ... kAsDestination) whose data
  // this locator fills in; 0 when it fills nothing.
  uint8_t sources() const { return sources_; }

  // Points entry's references at the records of its addresses, for the
  // sides and kinds in sources(); leaves the others as they are.
  void locate_entry(LogEntry& entry) override;

  // How many distinct records of each kind have been read so far.
  size_t location_record_count() const { return locations_.size(); }
  size_t as_record_count() const { return as_records_.size(); }

 private:
  struct Database;

  // The records of the addresses seen last, in a fixed direct-mapped table:
  // the entries of a busy report repeat few addresses, and this keeps each
  // repeat at one hash and one compare. An address whose slot another one
  // has taken over is looked up again; that costs less than remembering
  // every address of a log where most addresses are new.
  class AddressMemo {
   public:
    AddressMemo();
    // The address's slot: its `record` is null unless the address is the
    // one remembered there, and the caller then fills it.
    const void*& Slot(uint16_t family, const AddressBlock& address);

   private:
    static constexpr size_t kSlots = 4096;
    struct Entry {
      uint8_t bytes[16];
      uint16_t family;
      const void* record;
    };
    std::vector<Entry> slots_;
  };

  const LocationRecord* LocationOf(uint16_t family,
                                   const AddressBlock& address);
  const AsRecord* AsOf(uint16_t family, const AddressBlock& address);
  // The offset of the address's record in `db`, or false when the file
  // has none (lookup failures are reported at verbosity 2).
  bool Find(const Database& db, uint16_t family, const AddressBlock& address,
            uint32_t* offset) const;

  const Diagnostics& diag_;
  std::unique_ptr<Database> city_;
  std::unique_ptr<Database> asn_;
  uint8_t sources_ = 0;
  std::string locale_;

  AddressMemo location_memo_;
  AddressMemo as_memo_;
  // The records, by their offset in the file's data section.
  std::unordered_map<uint32_t, const LocationRecord*> location_by_offset_;
  std::unordered_map<uint32_t, const AsRecord*> as_by_offset_;
  std::deque<LocationRecord> locations_;
  std::deque<AsRecord> as_records_;
};

}  // namespace tnwk

#endif  // TNWK_LOCATION_LOCATOR_H_
