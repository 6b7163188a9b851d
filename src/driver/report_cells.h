#ifndef TNWK_DRIVER_REPORT_CELLS_H_
#define TNWK_DRIVER_REPORT_CELLS_H_

#include <cstdint>

#include "base/fixed_text.h"
#include "driver/report_stream.h"
#include "entries/field_keywords.h"
#include "entries/log_entry.h"
#include "resolve/name_cache.h"
#include "resolve/system_names.h"

namespace tnwk {

// The tcp_options cell text of TCP flags `flags`: six letters "safrpu" with
// "-" for each clear flag when any of ACK, FIN, RST, PSH, URG is set;
// otherwise "SYN" when SYN is set, else "-". Written into `buffer`, which is
// returned.
const char* tcp_flag_text(uint8_t flags, char (&buffer)[7]);

// Writes the cells of report rows. Each cell depends on the column and, for
// the fields of one protocol only, on the row's protocol: a field the row's
// protocol does not carry gives an empty cell. Host and service cells
// without a name of the row's own come from the name cache (borrowed).
class CellFormatter {
 public:
  explicit CellFormatter(NameCache* cache) : cache_(cache) {}

  // Writes the cell of `column` (a kColumn* id) of `row`; an unknown column
  // writes nothing.
  void WriteCell(int column, const ReportEntry& row, ReportStream& out);

 private:
  void WriteNameCell(const FieldKeyword& keyword, const ReportEntry& row,
                     ReportStream& out);
  void WriteLocationCell(LocationField field, bool source,
                         const ReportEntry& row, ReportStream& out);

  NameCache* cache_;
  ProtocolNames protocol_names_;
  FixedText<128> looked_up_;
};

}  // namespace tnwk

#endif  // TNWK_DRIVER_REPORT_CELLS_H_
