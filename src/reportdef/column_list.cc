#include "reportdef/column_list.h"

#include <algorithm>
#include <string>
#include <vector>

#include "reportdef/keyword_lines.h"
#include "reportdef/value_parsers.h"

namespace tnwk {

void add_column(DefinitionContext& context, std::string_view key,
                const char* parameter, int line_no) {
  const Diagnostics& diag = context.diag;
  ReportDefinition& definition = context.definition;
  const FieldKeyword* keyword =
      KeywordOfLine(diag, key, "column", &FieldKeyword::column_id);
  if (keyword == nullptr) return;
  const std::string key_text(key);

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

  // Inserting in place would cost a walk and a move of the list per line,
  // quadratic in the number of columns; appending and ordering once at the
  // end gives the same list. The trace of verbosity 6 names the neighbours
  // the column goes between, so it walks the list ordered as it stands;
  // order_columns leaves the ordered part alone when it is called again.
  const int32_t position = column.position;
  if (diag.At(6)) {
    order_columns(definition);
    TracedPlace(
        diag, definition.columns, "column", column.name.c_str(), position,
        [&](const ReportColumn& item) { return item.position >= position; },
        [](const ReportColumn&, const ReportColumn&) { return false; }, '>');
  }
  definition.columns.push_back(std::move(column));
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
