#ifndef TNWK_ENTRIES_ROW_LAYOUT_H_
#define TNWK_ENTRIES_ROW_LAYOUT_H_

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "entries/entry_fields.h"
#include "entries/log_entry.h"
#include "entries/options.h"
#include "entries/report_definition.h"
#include "entries/text_pool.h"

namespace tnwk {

// A set of row fields. Kept out of entry_fields.h, which every scanner
// includes, so that the scanners do not compile <bitset> and its
// dependencies.
using RowFieldSet = std::bitset<kRowFieldCount>;

// The fields that the cell of `column`, the sort pass on `sort_key` and the
// row matching on `column` read (each a kColumn* / kSort* id; an unknown id
// reads none).
RowFieldSet FieldsOfColumn(int column);
RowFieldSet FieldsOfSort(int sort_key);

// How the rows of one run are stored: as whole ReportEntry records, or, in
// the compact form, as records of only the fields the report can read (its
// columns and their guards, its sort keys, the counts and times that
// summarizing and the aggregate limits use). A compact row of a few columns
// takes tens of bytes instead of the hundreds of a ReportEntry; rows are
// unpacked into a ReportEntry to be read, and every field the run reads
// comes out as it went in.
//
// Addresses take 8 bytes: the IPv4 value and, when the address is not a
// plain IPv4 address whose text is its dotted quad, the number of an entry
// of `side` that holds the IPv6 value and the text.
class RowLayout {
 public:
  // Whole ReportEntry records, which store every field.
  RowLayout();
  // Compact records for `definition` under `options`. `timewarp_messages`
  // tells whether summarizing reads the rows' source names (the time-warp
  // message). Runs that fill the name cache keep whole records: the cache
  // reads the rows as it likes.
  RowLayout(const ReportDefinition& definition, const Options& options,
            bool timewarp_messages);

  bool compact() const { return compact_; }
  // Bytes of one record.
  size_t row_bytes() const { return row_bytes_; }
  bool Stores(RowField field) const {
    return stored_[static_cast<size_t>(field)];
  }

  // Where the record keeps a stored fixed-size field (not an address of a
  // compact record).
  size_t OffsetOf(RowField field) const {
    return offsets_[static_cast<size_t>(field)];
  }

  struct SideAddress {
    uint8_t v6[16];
    const char* text;  // the text pool's copy
  };
  // Writes the stored fields of `row` into the compact record `out`; the
  // texts of odd addresses go into `texts`.
  void Pack(const ReportEntry& row, unsigned char* out,
            std::vector<SideAddress>* side, TextPool* texts) const;
  // Sets the fields of `fields` that the record stores in `row`; the other
  // fields of `row` are left alone. Without `address_texts` the texts of
  // the addresses are left alone too (matching reads only their values).
  void Unpack(const unsigned char* record, const std::vector<SideAddress>& side,
              const RowFieldSet& fields, ReportEntry* row,
              bool address_texts = true) const;

  // The stored fields.
  const RowFieldSet& stored() const { return stored_; }

 private:
  bool compact_ = false;
  size_t row_bytes_ = 0;
  RowFieldSet stored_;
  std::vector<RowField> order_;  // stored fields in record order
  // The stored fields with their places in a record and in a ReportEntry.
  struct Slot {
    RowField field;
    bool address;
    size_t packed;
    size_t offset;
    size_t size;
  };
  std::vector<Slot> slots_;
  size_t offsets_[kRowFieldCount] = {};
};

// The fixed-size fields' place in a ReportEntry: offset and size.
struct RowFieldPlace {
  size_t offset;
  size_t size;
};
RowFieldPlace PlaceOf(RowField field);

}  // namespace tnwk

#endif  // TNWK_ENTRIES_ROW_LAYOUT_H_
