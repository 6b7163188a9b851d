#ifndef TNWK_REPORTDEF_SORT_LIST_H_
#define TNWK_REPORTDEF_SORT_LIST_H_

#include <string_view>

#include "reportdef/definition_context.h"

namespace tnwk {

// Handles an "s_" (kLineSortPosition: position) or "o_" (kLineSortOrder:
// descending flag) line for the sort key `key`,
// reading the raw `parameter`. A position line inserts the field by
// descending position (of equal positions the later line first) or moves
// the existing field of that key there, keeping its descending flag, and
// counts in sort_count either way. An order line sets the descending flag
// of the existing field or, for a key not yet in the list, puts a
// placeholder (kSortPlaceholderPosition) at the front, uncounted. Unknown
// keys and keys that cannot be sorted on are skipped with a message.
void add_sort_field(DefinitionContext& context, std::string_view key,
                    const char* parameter, int line_no, int kind);

}  // namespace tnwk

#endif  // TNWK_REPORTDEF_SORT_LIST_H_
