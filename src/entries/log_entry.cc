#include "entries/log_entry.h"

#include "base/address_parser.h"

namespace tnwk {

int ParseAddressInto(uint16_t family, const char* text, AddressBlock* block,
                     const Diagnostics& diag) {
  return parse_ip_address(family, text, &block->v4, block->v6,
                          block->text.data(), diag);
}

const LocationRecord kEmptyLocation;
const AsRecord kEmptyAs;

void reset_current_entry(LogEntry& entry) {
  // Every parser runs this once per line: reset the values from their member
  // initialisers, but only empty the texts instead of copying a whole fresh
  // record's 2.5 KB of text buffers.
  static_cast<EntryValues&>(entry) = EntryValues();
#define TNWK_CLEAR_TEXT(id, member, size) entry.member.Clear();
  TNWK_TEXT_FIELDS(TNWK_CLEAR_TEXT)
#undef TNWK_CLEAR_TEXT
}

}  // namespace tnwk
