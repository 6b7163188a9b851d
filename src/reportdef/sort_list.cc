#include "reportdef/sort_list.h"

#include <string>
#include <vector>

#include "reportdef/value_parsers.h"

namespace tnwk {
namespace {

// Inserts `field` by descending position, with the trace of the walk.
void InsertByPosition(DefinitionContext& context, SortField field) {
  const Diagnostics& diag = context.diag;
  std::vector<SortField>& fields = context.definition.sort_fields;
  ++context.definition.sort_count;
  const size_t size = fields.size();
  const int32_t position = field.position;
  size_t at;
  if (size == 0) {
    diag.Log(6, "First item seen; position: %i\n", position);
    at = 0;
  } else {
    size_t stop = 0;
    for (;;) {
      diag.Log(6, "Inserting sort field %s into list: this->position = %i\n",
               field.name.c_str(), fields[stop].position);
      if (position >= fields[stop].position) break;
      if (++stop == size) break;
    }
    const size_t last = stop == 0 ? 0 : stop - 1;
    const size_t visited = stop < size ? stop : size - 1;
    diag.Log(6, "Last->position: %i\n", fields[last].position);
    if (stop < size) diag.Log(6, "This->position: %i\n", fields[stop].position);
    if (visited + 1 < size) {
      diag.Log(6, "Next->position: %i\n", fields[visited + 1].position);
    }
    if (fields[0].position == kSortPlaceholderPosition &&
        fields[last].position == kSortPlaceholderPosition) {
      // Placeholders only ahead of the stop: a positioned field must come
      // before them, or the sorting would stop before reaching it.
      diag.Log(6, "First item seen; position: %i\n", position);
      at = 0;
    } else if (size == 1) {
      diag.Log(6, "Second item seen; position: %i\n", position);
      at = position >= fields[0].position ? 0 : 1;
    } else {
      diag.Log(6, "Not first or second item; position: %i\n", position);
      if (stop == size) {
        diag.Log(6, "this->position = NULL = place item last\n");
      } else if (stop == 0) {
        diag.Log(6, "this->position = last->position = place item first\n");
      } else {
        diag.Log(6, "this->position < last->position = insert item\n");
      }
      at = stop;
    }
  }
  fields.insert(fields.begin() + static_cast<std::ptrdiff_t>(at),
                std::move(field));
}

}  // namespace

void add_sort_field(DefinitionContext& context, std::string_view key,
                    const char* parameter, int line_no, int kind) {
  const Diagnostics& diag = context.diag;
  const std::string key_text(key);
  const FieldKeyword* keyword = find_keyword(key);
  if (keyword == nullptr) {
    diag.Log(3, "Skipping unrecognized sort field: %s\n",
             WithoutNewlines(key).c_str());
    return;
  }
  if (keyword->sort_id == 0) {
    diag.Log(5, "ignoring key = %s\n", key_text.c_str());
    return;
  }

  SortField field;
  field.sort = keyword->sort_id;
  field.name.Set(key);
  if (kind == kLineSortOrder) {
    field.descending = parse_boolean_value(parameter, line_no, diag) != 0;
  } else {
    field.position =
        static_cast<int32_t>(parse_number_value(parameter, line_no, diag));
    context.options.location_flags |= keyword->location_bits;
  }

  std::vector<SortField>& fields = context.definition.sort_fields;
  auto existing = fields.begin();
  while (existing != fields.end() && existing->sort != field.sort) ++existing;

  if (kind == kLineSortOrder) {
    if (existing != fields.end()) {
      existing->descending = field.descending;
    } else {
      field.position = kSortPlaceholderPosition;
      fields.insert(fields.begin(), std::move(field));
    }
    diag.Log(4, "Added descending flag for sort field %s\n", key_text.c_str());
    return;
  }

  const int32_t position = field.position;
  if (existing != fields.end()) {
    SortField moved = std::move(*existing);
    fields.erase(existing);
    moved.position = position;
    InsertByPosition(context, std::move(moved));
  } else {
    InsertByPosition(context, std::move(field));
  }
  diag.Log(4, "Added sort field %s at position %i\n", key_text.c_str(),
           position);
}

}  // namespace tnwk
