#ifndef TNWK_REPORTDEF_DEFINITION_CONTEXT_H_
#define TNWK_REPORTDEF_DEFINITION_CONTEXT_H_

#include "base/clock.h"
#include "base/diagnostics.h"
#include "entries/options.h"
#include "entries/report_definition.h"

namespace tnwk {

// The kinds of report definition lines, from the key's two-letter prefix
// and the option names. The verbosity-6 trace prints them as numbers.
inline constexpr int kLineIgnored = 0;
inline constexpr int kLineCriterionValue = 1;   // "w_"
inline constexpr int kLineCriterionInvert = 2;  // "i_"
inline constexpr int kLineSortPosition = 3;     // "s_"
inline constexpr int kLineSortOrder = 4;        // "o_"
inline constexpr int kLineColumn = 5;           // "c_"
inline constexpr int kLineSummarize = 6;
inline constexpr int kLineOption = 7;

// What the definition lines write to (the definition and the options) and
// the services they use (diagnostics, local time). Borrowed, not owned.
struct DefinitionContext {
  ReportDefinition& definition;
  Options& options;
  const Diagnostics& diag;
  const Clock& clock;
};

}  // namespace tnwk

#endif  // TNWK_REPORTDEF_DEFINITION_CONTEXT_H_
