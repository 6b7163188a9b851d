#ifndef TNWK_REPORTDEF_DEFINITION_DUMP_H_
#define TNWK_REPORTDEF_DEFINITION_DUMP_H_

#include "base/clock.h"
#include "base/diagnostics.h"
#include "entries/report_definition.h"

namespace tnwk {

// Writes the summary of a read definition: the counts of columns, criteria,
// aggregate limits and sorts at verbosity 1, and each item at verbosity 2,
// in list order. Limit times are shown as local time ("%c %Z").
void WriteDefinitionDump(const ReportDefinition& definition,
                         const Diagnostics& diag, const Clock& clock);

}  // namespace tnwk

#endif  // TNWK_REPORTDEF_DEFINITION_DUMP_H_
