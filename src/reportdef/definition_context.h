#ifndef TNWK_REPORTDEF_DEFINITION_CONTEXT_H_
#define TNWK_REPORTDEF_DEFINITION_CONTEXT_H_

#include "base/clock.h"
#include "base/diagnostics.h"
#include "entries/options.h"
#include "entries/report_definition.h"

namespace tnwk {

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
