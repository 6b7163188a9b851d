#include "parsers/win_xp_parser.h"

#include <cctype>
#include <cstring>
#include <string_view>

#include "base/address_family.h"
#include "base/ip_protocol.h"
#include "base/numbers.h"
#include "parsers/syslog_time.h"

namespace tnwk {

namespace {

using Byte = unsigned char;

// A stretch of the line, [begin, end): one field, or the rest of the line.
struct Field {
  const Byte* begin;
  const Byte* end;

  std::string_view view() const { return View(begin, end); }
  bool StartsWithDigit() const { return begin < end && IsDigit(*begin); }
  bool StartsWith(char c) const { return begin < end && *begin == c; }
};

// Takes the fields of a line one by one. A field ends at the next blank or
// at the end of the line; once the line has ended, every further field is
// empty, so a short line reads nothing past its end.
class FieldCursor {
 public:
  FieldCursor(const Byte* begin, const Byte* end) : next_(begin), end_(end) {}

  // Whether the last field taken was followed by a blank.
  bool blank_followed() const { return blank_followed_; }

  Field Next() {
    const Byte* begin = next_;
    const void* blank =
        std::memchr(begin, ' ', static_cast<size_t>(end_ - begin));
    blank_followed_ = blank != nullptr;
    const Byte* field_end =
        blank_followed_ ? static_cast<const Byte*>(blank) : end_;
    next_ = blank_followed_ ? field_end + 1 : end_;
    return Field{begin, field_end};
  }

  // Everything after the last blank taken, blanks included.
  Field Rest() const { return Field{next_, end_}; }

 private:
  const Byte* next_;
  const Byte* end_;
  bool blank_followed_ = true;
};

// A decimal field of at most `width` characters at `*p`: white space
// skipped, then an optional sign and digits. False, with `*p` left alone,
// when no digit comes.
bool ScanWidth(const char** p, int width, int* out) {
  const char* q = *p;
  while (std::isspace(static_cast<Byte>(*q))) ++q;
  bool negative = false;
  int used = 0;
  if (*q == '+' || *q == '-') {
    negative = *q == '-';
    ++q;
    ++used;
  }
  int value = 0;
  int digits = 0;
  for (; used < width && IsDigit(static_cast<Byte>(*q)); ++q, ++used) {
    value = value * 10 + (*q - '0');
    ++digits;
  }
  if (digits == 0) return false;
  *out = negative ? -value : value;
  *p = q;
  return true;
}

// The date "yyyy-mm-dd" (`width` 4) or the time "hh:mm:ss" (`width` 2) in
// `text`: the count of values read, the first of at most `width`
// characters, the others of two. Each value is written only when it is
// read.
int ScanTriple(const char* text, int width, char separator, int* a, int* b,
               int* c) {
  const char* p = text;
  if (!ScanWidth(&p, width, a)) return 0;
  if (*p++ != separator || !ScanWidth(&p, 2, b)) return 1;
  if (*p++ != separator || !ScanWidth(&p, 2, c)) return 2;
  return 3;
}

// The fields after the ports: size, TCP flags, sequence and
// acknowledgement numbers, window, ICMP type and code, info and path. False
// at a flag letter that names no TCP flag.
bool ReadLastFields(FieldCursor& fields, bool is_icmp, LogEntry& e) {
  const Field size = fields.Next();
  if (size.StartsWithDigit()) {
    e.ip_totlen = static_cast<uint16_t>(CheckedAtoi(size.view()));
  }

  const Field flags = fields.Next();
  for (const Byte* p = flags.begin; p < flags.end; ++p) {
    if (*p == '-') continue;
    const uint8_t bit = TcpFlagOfLetter(*p);
    if (bit == 0) return false;
    e.tcp_flags |= bit;
  }

  // Base 0, so "0x" starts a hexadecimal and "0" an octal number.
  const Field seq = fields.Next();
  if (seq.StartsWithDigit()) {
    e.tcp_seq = static_cast<uint32_t>(CheckedStrtoul(seq.view(), 0));
  }
  const Field ackseq = fields.Next();
  if (ackseq.StartsWithDigit()) {
    e.tcp_ackseq = static_cast<uint32_t>(CheckedStrtoul(ackseq.view(), 0));
  }
  const Field window = fields.Next();
  if (window.StartsWithDigit()) {
    e.tcp_window = static_cast<uint16_t>(CheckedAtol(window.view()));
  }

  // The port columns show the ICMP type and code; the ICMP columns and
  // criteria read them from their own fields.
  const Field icmp_type = fields.Next();
  if (icmp_type.StartsWithDigit()) {
    const int type = CheckedAtoi(icmp_type.view());
    e.sport = static_cast<uint32_t>(type);
    if (is_icmp) e.icmp_type = static_cast<uint8_t>(type);
  }
  const Field icmp_code = fields.Next();
  if (icmp_code.StartsWithDigit()) {
    const int code = CheckedAtoi(icmp_code.view());
    e.dport = static_cast<uint32_t>(code);
    if (is_icmp) e.icmp_code = static_cast<uint8_t>(code);
  }

  fields.Next();  // info: not stored
  if (fields.blank_followed()) e.oob_in.Set(fields.Rest().view());
  return true;
}

}  // namespace

LineResult WinXpParser::ParseEntry(const char* line, uint64_t line_no) {
  // Every line no marker claimed comes here, syslog lines of every other
  // program among them; one byte decides for all of those.
  const Byte* begin = reinterpret_cast<const Byte*>(line);
  if (!IsDigit(*begin)) return LineResult::kNotPacketLog;

  BeginLine(line_no);
  // The log is a Windows file: its lines end in a carriage return and a
  // newline, neither of which belongs to the last field.
  const Byte* end = begin + std::strcspn(line, "\n");
  if (end > begin && end[-1] == '\r') --end;
  return ParseFields(begin, end);
}

LineResult WinXpParser::ParseFields(const Byte* begin, const Byte* end) {
  LogEntry& e = entry();
  e.local_hostname.Set("-");
  e.interface.Set("-");
  FieldCursor fields(begin, end);
  auto text = [this](Field f) { return TokenText(f.begin, f.end); };

  const Field date = fields.Next();
  if (!fields.blank_followed()) return LineResult::kWrongFormat;
  const Field time = fields.Next();
  if (!fields.blank_followed()) return LineResult::kWrongFormat;
  int year = 0, month = 0, day = 0;
  if (ScanTriple(text(date), 4, '-', &year, &month, &day) != 3) {
    return LineResult::kNotPacketLog;
  }
  // A time field cut short reads as the start of its hour or minute.
  int hour = -1, minute = 0, second = 0;
  ScanTriple(text(time), 2, ':', &hour, &minute, &second);
  if (hour == -1) return LineResult::kNotPacketLog;
  // The date cache keys years from 0 up; earlier ones are built directly.
  const int64_t local_time =
      year >= 0 ? SetLocalTime(year, month - 1, day, hour, minute, second)
                : CalendarTime(clock(), year, month, day, hour, minute, second);
  if (local_time == -1) return LineResult::kNotPacketLog;
  e.local_time = local_time;

  e.oob_prefix.Set(fields.Next().view());

  const Field protocol = fields.Next();
  const std::string_view name = protocol.view();
  e.ip_protocol = ProtocolOfWord(name);
  if (e.ip_protocol == 0) {
    e.ip_protocol = static_cast<uint8_t>(CheckedAtoi(text(protocol)));
  }
  if (e.ip_protocol == 0) return FieldError("proto");
  const bool has_ports =
      e.ip_protocol == kProtocolTcp || e.ip_protocol == kProtocolUdp;
  const bool is_icmp = e.ip_protocol == kProtocolIcmp;

  const Field source = fields.Next();
  if (source.StartsWith('-')) return FieldError("shost");
  if (ParseAddressInto(kFamilyIpv4, text(source), &e.ip_saddr, diag()) != 0) {
    return LineResult::kNotPacketLog;
  }
  const Field destination = fields.Next();
  if (destination.StartsWith('-')) return FieldError("dhost");
  if (ParseAddressInto(kFamilyIpv4, text(destination), &e.ip_daddr, diag()) !=
      0) {
    return LineResult::kNotPacketLog;
  }

  const Field sport = fields.Next();
  if (sport.StartsWithDigit()) {
    e.sport = static_cast<uint32_t>(CheckedAtoi(text(sport)));
  } else if (sport.StartsWith('-') && has_ports) {
    return FieldError("sport");
  }
  const Field dport = fields.Next();
  if (dport.StartsWithDigit()) {
    e.dport = static_cast<uint32_t>(CheckedAtoi(text(dport)));
  } else if (dport.StartsWith('-') && has_ports) {
    return FieldError("dport");
  }

  if (!ReadLastFields(fields, is_icmp, e)) {
    diag().Log(5, "win_xp parse error in line %lu, ignoring.\n",
               static_cast<unsigned long>(line_no()));
    return LineResult::kWrongFormat;
  }
  e.count = 1;
  return LineResult::kAccepted;
}

LineResult WinXpParser::FieldError(const char* field) const {
  diag().Log(5, "win_xp parse error while reading %s in line %lu, ignoring.\n",
             field, static_cast<unsigned long>(line_no()));
  return LineResult::kWrongFormat;
}

}  // namespace tnwk
