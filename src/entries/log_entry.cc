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
  entry.sname.Clear();
  entry.local_hostname.Clear();
  entry.oob_prefix.Clear();
  entry.interface.Clear();
  entry.src_host.Clear();
  entry.src_service.Clear();
  entry.dst_host.Clear();
  entry.dst_service.Clear();
  entry.mac_saddr_str.Clear();
  entry.mac_daddr_str.Clear();
  entry.raw_mac.Clear();
  entry.oob_in.Clear();
  entry.oob_out.Clear();
}

}  // namespace tnwk
