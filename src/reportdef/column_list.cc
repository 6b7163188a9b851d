#include "reportdef/column_list.h"

#include <algorithm>
#include <string>
#include <vector>

#include "reportdef/value_parsers.h"

namespace tnwk {

void add_column(DefinitionContext& context, std::string_view key,
                const char* parameter, int line_no) {
  const Diagnostics& diag = context.diag;
  ReportDefinition& definition = context.definition;
  const std::string key_text(key);
  const FieldKeyword* keyword = find_keyword(key);
  if (keyword == nullptr) {
    diag.Log(3, "Skipping unrecognized column: %s\n",
             WithoutNewlines(key).c_str());
    return;
  }
  if (keyword->column_id == 0) {
    diag.Log(5, "ignoring key = %s\n", key_text.c_str());
    return;
  }

  ReportColumn column;
  column.column = keyword->column_id;
  column.name.Set(keyword->name);
  column.position =
      static_cast<int32_t>(parse_number_value(parameter, line_no, diag));

  if (keyword->column_selected) {
    definition.column_selected[keyword->column_id] = 1;
  }
  context.options.cache_flags |= keyword->cache_bits;
  context.options.location_flags |= keyword->location_bits;
  ++definition.column_count;

  std::vector<ReportColumn>& columns = definition.columns;
  if (!diag.At(6)) {
    // Inserting in place costs a walk and a move of the list per line,
    // quadratic in the number of columns; appending and ordering once at
    // the end gives the same list.
    const int32_t position = column.position;
    columns.push_back(std::move(column));
    diag.Log(4, "Added column %s at position %i\n", key_text.c_str(), position);
    return;
  }
  order_columns(definition);
  const size_t size = columns.size();
  const int32_t position = column.position;
  size_t at;
  if (size == 0) {
    diag.Log(6, "First item seen; position: %i\n", position);
    at = 0;
  } else {
    size_t stop = 0;
    for (;;) {
      diag.Log(6, "Inserting column %s into list: this->position = %i\n",
               column.name.c_str(), columns[stop].position);
      if (columns[stop].position >= position) break;
      if (++stop == size) break;
    }
    const size_t last = stop == 0 ? 0 : stop - 1;
    const size_t visited = stop < size ? stop : size - 1;
    diag.Log(6, "Last->position: %i\n", columns[last].position);
    if (stop < size)
      diag.Log(6, "This->position: %i\n", columns[stop].position);
    if (visited + 1 < size) {
      diag.Log(6, "Next->position: %i\n", columns[visited + 1].position);
    }
    if (size == 1) {
      diag.Log(6, "Second item seen; position: %i\n", position);
      at = position > columns[0].position ? 1 : 0;
    } else {
      diag.Log(6, "Not first or second item; position: %i\n", position);
      if (stop == size) {
        diag.Log(6, "this->position = NULL = place item last\n");
      } else if (stop == 0) {
        diag.Log(6, "this->position = last->position = place item first\n");
      } else {
        diag.Log(6, "this->position > last->position = insert item\n");
      }
      at = stop;
    }
  }
  columns.insert(columns.begin() + static_cast<std::ptrdiff_t>(at),
                 std::move(column));
  definition.ordered_columns = columns.size();
  diag.Log(4, "Added column %s at position %i\n", key_text.c_str(), position);
}

void order_columns(ReportDefinition& definition) {
  std::vector<ReportColumn>& columns = definition.columns;
  const auto appended =
      columns.begin() + static_cast<std::ptrdiff_t>(definition.ordered_columns);
  if (appended == columns.end()) return;
  // Each appended column goes before every column of its position that came
  // earlier, so the appended ones go newest first ahead of the ordered
  // ones, and a stable sort by position keeps that among equals.
  std::reverse(appended, columns.end());
  std::rotate(columns.begin(), appended, columns.end());
  std::stable_sort(columns.begin(), columns.end(),
                   [](const ReportColumn& a, const ReportColumn& b) {
                     return a.position < b.position;
                   });
  definition.ordered_columns = columns.size();
}

}  // namespace tnwk
