#include "entries/report_definition.h"

namespace tnwk {

uint64_t* ReportDefinition::LimitFor(AggregateLimit limit) {
  switch (limit) {
    case AggregateLimit::kMinCount:
      return &min_count;
    case AggregateLimit::kMaxCount:
      return &max_count;
    case AggregateLimit::kMinLatest:
      return &min_latest;
    case AggregateLimit::kMaxEarliest:
      return &max_earliest;
    case AggregateLimit::kNone:
      break;
  }
  return nullptr;
}

}  // namespace tnwk
