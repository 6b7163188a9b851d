#ifndef TNWK_TESTS_NULL_NAME_CACHE_H_
#define TNWK_TESTS_NULL_NAME_CACHE_H_

#include <span>

#include "base/fixed_text.h"
#include "entries/log_entry.h"
#include "resolve/name_cache.h"

namespace tnwk {

// The name cache of a report without a database: the steps do nothing and
// every lookup yields "-".
class NullNameCache final : public NameCache {
 public:
  void update_host_cache(std::span<const ReportEntry* const>) override {}
  void update_service_cache(std::span<const ReportEntry* const>) override {}
  void populate_full_cache(std::span<const ReportEntry* const>) override {}
  LookupResult lookup_cached_host(const char*, FixedText<128>* out) override {
    out->Set("-");
    return LookupResult::kUnknown;
  }
  LookupResult lookup_cached_service(unsigned, unsigned,
                                     FixedText<128>* out) override {
    out->Set("-");
    return LookupResult::kUnknown;
  }
};

}  // namespace tnwk

#endif  // TNWK_TESTS_NULL_NAME_CACHE_H_
