#include "parsers/dialect_parser.h"

#include <cstdio>
#include <cstring>

#include "base/address_parser.h"
#include "base/ip_protocol.h"
#include "parsers/syslog_time.h"

namespace tnwk {

void DialectParser::BeginLine(uint64_t line_no) {
  parse_status_ = 0;
  line_no_ = line_no;
  reset_current_entry(entry());
}

const char* DialectParser::TokenText(const unsigned char* begin,
                                     const unsigned char* end) {
  size_t length = static_cast<size_t>(end - begin);
  if (length > kTokenSize - 1) length = kTokenSize - 1;
  std::memcpy(token_, begin, length);
  token_[length] = '\0';
  return token_;
}

int64_t DialectParser::SetLocalTime(int year, int month, int day, int hour,
                                    int minute, int second) {
  const DateKey key{
      year < 0 ? clock().Now() : 0, year, month, day, hour, minute, second};
  if (!(date_cached_ && key == date_key_)) {
    if (year < 0 && !(now_cached_ && now_instant_ == key.now)) {
      now_ = BreakDownNow(clock(), key.now);
      now_instant_ = key.now;
      now_cached_ = true;
    }
    date_time_ =
        year < 0
            ? SyslogTime(clock(), now_, month, day, hour, minute, second)
            : CalendarTime(clock(), year, month + 1, day, hour, minute, second);
    date_key_ = key;
    date_cached_ = true;
  }
  entry().local_time = date_time_;
  return date_time_;
}

const unsigned char* DialectParser::ReadMonthDayTime(const unsigned char* begin,
                                                     int gap) {
  // The token's pattern fixed every position but the day's, which has one
  // or two digits and may have a blank before it, so the values are read by
  // position.
  const unsigned char* p = begin + 4;
  if (*p == ' ') ++p;
  int day = *p++ - '0';
  if (*p != ' ') day = day * 10 + (*p++ - '0');
  p += gap;
  SetLocalTime(-1, MonthNumber(View(begin, begin + 3)), day, TwoDigits(p),
               TwoDigits(p + 3), TwoDigits(p + 6));
  parse_status_ |= kStatusHeader;
  return p + 8;
}

void DialectParser::ReadSyslogDate(const unsigned char* begin,
                                   const unsigned char* end, bool with_host) {
  const unsigned char* time_end = ReadMonthDayTime(begin, 1);
  entry().local_hostname.Set(with_host ? View(time_end + 1, end).substr(0, 32)
                                       : std::string_view("-"));
}

bool DialectParser::ReadSyslogHeader(const unsigned char* begin,
                                     const unsigned char* end) {
  // The host starts after the time's last digit and its blank; a header
  // without a host character gives no date.
  const unsigned char* p = begin + 4;
  if (*p == ' ') ++p;
  while (*p != ' ') ++p;
  if (p + 10 >= end) return false;
  ReadSyslogDate(begin, end, true);
  return true;
}

void DialectParser::ReadCalendarTime(const unsigned char* begin,
                                     const unsigned char* end) {
  // Both forms put year, month, day, hour, minute and second at the same
  // offsets; the ISO form's fraction and zone are skipped, so the time is
  // read as local time like every other timestamp of the log.
  SetLocalTime(TwoDigits(begin) * 100 + TwoDigits(begin + 2),
               TwoDigits(begin + 5) - 1, TwoDigits(begin + 8),
               TwoDigits(begin + 11), TwoDigits(begin + 14),
               TwoDigits(begin + 17));
  const unsigned char* host = begin + 19;
  while (*host != ' ') ++host;
  entry().local_hostname.Set(View(host + 1, end).substr(0, 32));
  parse_status_ |= kStatusHeader;
}

bool DialectParser::ReadAddress(uint16_t family, const char* text,
                                AddressBlock* block, uint32_t status_bit) {
  if (ParseAddressInto(family, text, block, diag()) != 0) return false;
  parse_status_ |= status_bit;
  return true;
}

void DialectParser::ReportUnrecognized(TokenReportStyle style, unsigned level,
                                       const char* what,
                                       const unsigned char* begin,
                                       const unsigned char* end) {
  if (!diag().At(level)) return;
  const char* text = TokenText(begin, end);
  const unsigned long line = static_cast<unsigned long>(line_no_);
  switch (style) {
    case TokenReportStyle::kPlain:
      diag().Log(level, "Unrecognized %s: %s\n", what, text);
      break;
    case TokenReportStyle::kLine:
      diag().Log(level, "Unrecognized %s: %s, line %lu\n", what, text, line);
      break;
    case TokenReportStyle::kLineColon:
      diag().Log(level, "Unrecognized %s: %s, line: %lu\n", what, text, line);
      break;
  }
}

void DialectParser::ReportParseError(const char* dialect,
                                     const char* line) const {
  diag().Log(5, "%s parse error in line %lu, ignoring.\n", dialect,
             static_cast<unsigned long>(line_no_));
  diag().Log(6, "input was: \"%s\"\n", line);
}

LineResult ScannedDialect::ParseEntry(const char* line, uint64_t line_no) {
  BeginLine(line_no);
  Prepare();
  Scan(reinterpret_cast<const unsigned char*>(line));
  const LineResult result = Result();
  if (result == LineResult::kWrongFormat) ReportParseError(name_, line);
  return result;
}

uint32_t ReadDecimal(const unsigned char** p, const unsigned char* end,
                     int max_digits) {
  uint32_t value = 0;
  for (int i = 0; i < max_digits && *p < end && IsDigit(**p); ++i) {
    value = value * 10 + static_cast<uint32_t>(*(*p)++ - '0');
  }
  return value;
}

void ReadDottedQuad(const unsigned char** p, const unsigned char* end,
                    char (&text)[16]) {
  uint32_t octets[4];
  bool in_range = true;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) ++*p;  // the dot
    octets[i] = ReadDecimal(p, end, 3);
    in_range = in_range && octets[i] <= 255;
  }
  if (!in_range) {
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", octets[0], octets[1],
                  octets[2], octets[3]);
    return;
  }
  // FormatDottedQuad takes the address as stored: its first octet first.
  unsigned char bytes[4];
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(octets[i]);
  uint32_t address;
  std::memcpy(&address, bytes, sizeof address);
  FormatDottedQuad(address, text);
}

uint8_t TcpFlagOfLetter(unsigned char letter) {
  switch (letter) {
    case 'S':
      return kTcpSyn;
    case 'A':
      return kTcpAck;
    case 'F':
      return kTcpFin;
    case 'R':
      return kTcpRst;
    case 'P':
      return kTcpPsh;
    case 'U':
      return kTcpUrg;
    default:
      return 0;
  }
}

uint8_t ProtocolOfWord(std::string_view word) {
  if (word.starts_with("TCP")) return kProtocolTcp;
  if (word.starts_with("UDP")) return kProtocolUdp;
  if (word.starts_with("ICMP")) return kProtocolIcmp;
  return 0;
}

}  // namespace tnwk
