#include "entries/report_rows.h"

namespace tnwk {

ReportEntry& ReportRows::Allocate() { return storage_.emplace_back(); }

}  // namespace tnwk
