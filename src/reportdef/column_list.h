#ifndef TNWK_REPORTDEF_COLUMN_LIST_H_
#define TNWK_REPORTDEF_COLUMN_LIST_H_

#include <string_view>

#include "reportdef/definition_context.h"

namespace tnwk {

// Adds the column `key` at the position read from the raw `parameter` (a
// "c_" line) to context.definition.columns, before the first column whose
// position is greater or equal, so that of equal positions the later line
// comes first. The column is appended and takes its place when
// order_columns runs; at verbosity 6 the trace shows the walk to that place.
// Sets the keyword's column-selected flag, ORs its cache and
// location bits into the options. An unknown key is
// skipped ("Skipping unrecognized column: %s\n", verbosity 3), a keyword
// that is no column too ("ignoring key = %s\n", verbosity 5).
void add_column(DefinitionContext& context, std::string_view key,
                const char* parameter, int line_no);

// Puts the appended columns in their places, in O(n log n) time: the order
// is the one that inserting each line's column as add_column describes
// gives.
void order_columns(ReportDefinition& definition);

}  // namespace tnwk

#endif  // TNWK_REPORTDEF_COLUMN_LIST_H_
