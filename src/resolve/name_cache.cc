#include "resolve/name_cache.h"

namespace tnwk {

LookupResult NullNameCache::lookup_cached_host(const char*,
                                               FixedText<128>* out) {
  out->Set("-");
  return LookupResult::kUnknown;
}

LookupResult NullNameCache::lookup_cached_service(unsigned, unsigned,
                                                  FixedText<128>* out) {
  out->Set("-");
  return LookupResult::kUnknown;
}

}  // namespace tnwk
