#ifndef TNWK_REPORTDEF_KEYWORD_LINES_H_
#define TNWK_REPORTDEF_KEYWORD_LINES_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/diagnostics.h"
#include "entries/field_keywords.h"

namespace tnwk {

// What the column, sort and criterion lines share.

// The keyword `key` of a line that adds to the list of `what` ("column",
// "sort field", "criterion"), if its identity `use` there (column_id,
// sort_id, criterion_type) is not 0. Otherwise nullptr, after "Skipping
// unrecognized <what>: %s\n" at verbosity 3 for an unknown key (its
// newlines removed) or "ignoring key = %s\n" at verbosity 5 for a keyword
// that cannot be used there.
const FieldKeyword* KeywordOfLine(const Diagnostics& diag, std::string_view key,
                                  const char* what, uint8_t FieldKeyword::*use);

// Where an item of `position` goes in `list` (items with a `position`),
// with the trace of the walk at verbosity 6 ("Inserting <what> <name> into
// list: ..."). The walk stops at the first item that `stops(item)` says
// the new one goes before. A list of one item takes the new one first when
// it stops there; `first_anyway(first, last)`, on the first item and the
// last one the walk passed, puts the new one at the head whatever the
// walk found. `sign` is the comparison the trace names for an insert
// between two items ('>' or '<').
template <typename Item, typename Stops, typename FirstAnyway>
size_t TracedPlace(const Diagnostics& diag, const std::vector<Item>& list,
                   const char* what, const char* name, int32_t position,
                   Stops stops, FirstAnyway first_anyway, char sign) {
  const size_t size = list.size();
  if (size == 0) {
    diag.Log(6, "First item seen; position: %i\n", position);
    return 0;
  }
  size_t stop = 0;
  for (;;) {
    diag.Log(6, "Inserting %s %s into list: this->position = %i\n", what, name,
             list[stop].position);
    if (stops(list[stop])) break;
    if (++stop == size) break;
  }
  const size_t last = stop == 0 ? 0 : stop - 1;
  const size_t visited = stop < size ? stop : size - 1;
  diag.Log(6, "Last->position: %i\n", list[last].position);
  if (stop < size) diag.Log(6, "This->position: %i\n", list[stop].position);
  if (visited + 1 < size) {
    diag.Log(6, "Next->position: %i\n", list[visited + 1].position);
  }
  if (first_anyway(list[0], list[last])) {
    diag.Log(6, "First item seen; position: %i\n", position);
    return 0;
  }
  if (size == 1) {
    diag.Log(6, "Second item seen; position: %i\n", position);
    return stops(list[0]) ? 0 : 1;
  }
  diag.Log(6, "Not first or second item; position: %i\n", position);
  if (stop == size) {
    diag.Log(6, "this->position = NULL = place item last\n");
  } else if (stop == 0) {
    diag.Log(6, "this->position = last->position = place item first\n");
  } else {
    diag.Log(6, "this->position %c last->position = insert item\n", sign);
  }
  return stop;
}

}  // namespace tnwk

#endif  // TNWK_REPORTDEF_KEYWORD_LINES_H_
