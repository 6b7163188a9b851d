#include "reportdef/sort_list.h"

#include <string>
#include <vector>

#include "reportdef/keyword_lines.h"
#include "reportdef/value_parsers.h"

namespace tnwk {
namespace {

// Inserts `field` by descending position, with the trace of the walk.
void InsertByPosition(DefinitionContext& context, SortField field) {
  const Diagnostics& diag = context.diag;
  std::vector<SortField>& fields = context.definition.sort_fields;
  ++context.definition.sort_count;
  const int32_t position = field.position;
  // Placeholders only ahead of the stop: a positioned field must come
  // before them, or the sorting would stop before reaching it.
  const size_t at = TracedPlace(
      diag, fields, "sort field", field.name.c_str(), position,
      [&](const SortField& item) { return position >= item.position; },
      [](const SortField& first, const SortField& last) {
        return first.position == kSortPlaceholderPosition &&
               last.position == kSortPlaceholderPosition;
      },
      '<');
  fields.insert(fields.begin() + static_cast<std::ptrdiff_t>(at),
                std::move(field));
}

}  // namespace

void add_sort_field(DefinitionContext& context, std::string_view key,
                    const char* parameter, int line_no, int kind) {
  const Diagnostics& diag = context.diag;
  const FieldKeyword* keyword =
      KeywordOfLine(diag, key, "sort field", &FieldKeyword::sort_id);
  if (keyword == nullptr) return;
  const std::string key_text(key);

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
