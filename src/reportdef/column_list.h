#ifndef TNWK_REPORTDEF_COLUMN_LIST_H_
#define TNWK_REPORTDEF_COLUMN_LIST_H_

#include <string_view>

#include "reportdef/definition_context.h"

namespace tnwk {

// Adds the column `key` at the position read from the raw `parameter` (a
// "c_" line) to context.definition.columns, before the first column whose
// position is greater or equal, so that of equal positions the later line
// comes first. Sets the keyword's column-selected flag, ORs its cache and
// location bits into the options and counts the column. An unknown key is
// skipped ("Skipping unrecognized column: %s\n", verbosity 3), a keyword
// that is no column too ("ignoring key = %s\n", verbosity 5).
void add_column(DefinitionContext& context, std::string_view key,
                const char* parameter, int line_no);

}  // namespace tnwk

#endif  // TNWK_REPORTDEF_COLUMN_LIST_H_
