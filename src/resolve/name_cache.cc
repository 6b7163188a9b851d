#include "resolve/name_cache.h"

namespace tnwk {

void NullNameCache::lookup_cached_host(const char*, FixedText<128>* out) {
  out->Set("-");
}

void NullNameCache::lookup_cached_service(unsigned, unsigned,
                                          FixedText<128>* out) {
  out->Set("-");
}

}  // namespace tnwk
