#ifndef TNWK_RESOLVE_NAME_CACHE_H_
#define TNWK_RESOLVE_NAME_CACHE_H_

#include <cstdint>
#include <span>

#include "base/fixed_text.h"
#include "entries/log_entry.h"

namespace tnwk {

// What a cached-name lookup found. Whatever it is, the name written is
// usable in a report cell: "-" unless the lookup found a name.
enum class LookupResult {
  kFound,    // a resolved name
  kUnknown,  // nothing known: no database, no resolved row, bad address
  kFailed,   // the statement failed (already reported at verbosity 2)
};

// The host and service name cache shared with the front end. The report
// writer runs the three cache steps over the rows the report shows (after
// row_skip, at most row_limit, in print order) before it prints, and looks
// names up per printed host or service cell. A lookup never fails the
// report: it yields "-" when nothing is known.
class NameCache {
 public:
  virtual ~NameCache() = default;

  // Lists the shown rows' addresses, and resolves marked ones when asked.
  virtual void update_host_cache(
      std::span<const ReportEntry* const> shown_rows) = 0;
  // The same for the shown rows' (protocol, port) pairs.
  virtual void update_service_cache(
      std::span<const ReportEntry* const> shown_rows) = 0;
  // Lists the addresses and ports of every line behind the shown rows.
  virtual void populate_full_cache(
      std::span<const ReportEntry* const> shown_rows) = 0;

  // Writes the cached name of the address text, or "-", into `out`.
  virtual LookupResult lookup_cached_host(const char* address_text,
                                          FixedText<128>* out) = 0;
  // Writes the cached service name of (protocol, port), or "-", into `out`.
  virtual LookupResult lookup_cached_service(unsigned protocol, unsigned port,
                                             FixedText<128>* out) = 0;
};

}  // namespace tnwk

#endif  // TNWK_RESOLVE_NAME_CACHE_H_
