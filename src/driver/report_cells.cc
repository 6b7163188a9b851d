#include "driver/report_cells.h"

#include <string_view>

#include "base/address_parser.h"
#include "entries/field_keywords.h"
#include "entries/location_fields.h"

namespace tnwk {
namespace {

void PutYesNo(uint8_t value, ReportStream& out) {
  if (value == 1) {
    out.Put("Yes");
  } else if (value == 0) {
    out.Put("No");
  }
}

}  // namespace

const char* tcp_flag_text(uint8_t flags, char (&buffer)[7]) {
  constexpr uint8_t kOtherFlags =
      kTcpAck | kTcpFin | kTcpRst | kTcpPsh | kTcpUrg;
  if (flags & kOtherFlags) {
    buffer[0] = (flags & kTcpSyn) ? 's' : '-';
    buffer[1] = (flags & kTcpAck) ? 'a' : '-';
    buffer[2] = (flags & kTcpFin) ? 'f' : '-';
    buffer[3] = (flags & kTcpRst) ? 'r' : '-';
    buffer[4] = (flags & kTcpPsh) ? 'p' : '-';
    buffer[5] = (flags & kTcpUrg) ? 'u' : '-';
    buffer[6] = '\0';
  } else if (flags & kTcpSyn) {
    buffer[0] = 'S';
    buffer[1] = 'Y';
    buffer[2] = 'N';
    buffer[3] = '\0';
  } else {
    buffer[0] = '-';
    buffer[1] = '\0';
  }
  return buffer;
}

void CellFormatter::WriteCell(int column, const ReportEntry& row,
                              ReportStream& out) {
  const FieldKeyword* keyword = KeywordOfColumn(column);
  if (keyword == nullptr || !FitsGuard(keyword->column_guard, row)) return;
  const RowField field = keyword->field;
  switch (keyword->kind) {
    case FieldKind::kNone:
      return;
    case FieldKind::kLineId:
    case FieldKind::kCounter:
    case FieldKind::kNumber:
      out.PutUnsigned(FieldNumber(row, field));
      return;
    case FieldKind::kTime:
      out.PutSigned(static_cast<int64_t>(FieldNumber(row, field)));
      return;
    case FieldKind::kText:
      out.PutText(FieldText(row, field));
      return;
    case FieldKind::kAddress:
      out.PutText(FieldAddress(row, field).text.c_str());
      return;
    case FieldKind::kProtocol:
      out.PutText(protocol_names_.Name(row.ip_protocol).c_str());
      return;
    case FieldKind::kHost:
    case FieldKind::kService:
      WriteNameCell(*keyword, row, out);
      return;
    case FieldKind::kTcpFlags: {
      char buffer[7];
      out.Put(tcp_flag_text(row.tcp_flags, buffer));
      return;
    }
    case FieldKind::kGateway: {
      char text[16];
      out.Put(std::string_view(text, FormatDottedQuad(row.icmp_gateway, text)));
      return;
    }
    case FieldKind::kLocation:
      WriteLocationCell(LocationOf(*keyword), IsSourceLocation(*keyword), row,
                        out);
      return;
  }
}

void CellFormatter::WriteNameCell(const FieldKeyword& keyword,
                                  const ReportEntry& row, ReportStream& out) {
  const char* name = FieldText(row, keyword.field);
  if (name[0] != '\0') {
    out.PutText(name);
    return;
  }
  // Without a name of the row's own, the cache's name of its address or
  // port.
  if (keyword.kind == FieldKind::kHost) {
    cache_->lookup_cached_host(
        FieldAddress(row, keyword.companion).text.c_str(), &looked_up_);
  } else {
    cache_->lookup_cached_service(
        row.ip_protocol,
        static_cast<unsigned>(FieldNumber(row, keyword.companion)),
        &looked_up_);
  }
  out.PutText(looked_up_.c_str());
}

void CellFormatter::WriteLocationCell(LocationField field, bool source,
                                      const ReportEntry& row,
                                      ReportStream& out) {
  // Numbers and coordinates of 0 are unknown and print as empty cells.
  switch (KindOfLocationField(field)) {
    case LocationKind::kText:
      out.PutText(LocationText(row, source, field));
      return;
    case LocationKind::kNumber:
      if (uint64_t number = LocationNumber(row, source, field); number != 0) {
        out.PutUnsigned(number);
      }
      return;
    case LocationKind::kDouble:
      if (double value = LocationDouble(row, source, field); value != 0.0) {
        out.PutDouble(value);
      }
      return;
    case LocationKind::kYesNo:
      PutYesNo(LocationYesNo(row, source, field), out);
      return;
  }
}

}  // namespace tnwk
