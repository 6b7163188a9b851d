#ifndef TNWK_ENTRIES_SORTING_H_
#define TNWK_ENTRIES_SORTING_H_

#include <cstdint>

#include "base/diagnostics.h"
#include "entries/log_entry.h"
#include "entries/report_definition.h"
#include "entries/report_rows.h"

namespace tnwk {

// True when row `a` must come after row `b` on the field `sort_key` (a
// kSort* id): in ascending order when a is greater, in descending order when
// a is smaller; false when they are equal on the field. Numbers compare
// unsigned, texts byte-wise over 128 bytes, addresses by family first and
// then by value, yes/no bytes as signed. An unknown sort key writes
// "Unrecognized sort key %i\n" at verbosity 1 and answers false.
bool compare_rows(const ReportEntry& a, const ReportEntry& b, int sort_key,
                  bool descending, const Diagnostics& diag);

// One stable sort pass of the list of `rows` (head first) on one field: a
// bottom-up merge sort that merges runs of 1, 2, 4... rows pairwise from
// the head, so the sequence of compare_rows calls (and of the messages of
// an unknown key) is fixed.
void sort_rows(ReportRows* rows, int sort_key, bool descending,
               const Diagnostics& diag);

// Puts the rows in the report's order: "Sorting data\n" at verbosity 1,
// then one pass per sort field from the head of the sort list until the
// list ends or a placeholder position is reached, with a "." per pass and
// a closing newline at verbosity 5. Each pass is stable, so the field of
// the last pass is the primary key and earlier passes order its ties.
void SortReportRows(ReportRows* rows, const ReportDefinition& definition,
                    const Diagnostics& diag);

}  // namespace tnwk

#endif  // TNWK_ENTRIES_SORTING_H_
