#include "parsers/dialect_parser.h"

#include <cstring>

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

void DialectParser::ReadSyslogDate(const unsigned char* begin,
                                   const unsigned char* end, bool with_host) {
  // The token matched "Mmm" " "? "d" or "dd" " hh:mm:ss" and, with a host,
  // " host"; reading it by position gives what the sscanf gives, without
  // its cost.
  const std::string_view month = View(begin, begin + 3);
  const unsigned char* p = begin + 4;
  if (*p == ' ') ++p;
  int day = *p++ - '0';
  if (*p != ' ') day = day * 10 + (*p++ - '0');
  ++p;
  SetLocalTime(-1, MonthNumber(month), day, TwoDigits(p), TwoDigits(p + 3),
               TwoDigits(p + 6));
  entry().local_hostname.Set(with_host ? View(p + 9, end).substr(0, 32)
                                       : std::string_view("-"));
  parse_status_ |= kStatusHeader;
}

bool DialectParser::ReadSyslogHeader(const unsigned char* begin,
                                     const unsigned char* end) {
  // The host starts after the time's last digit and its blank; without a
  // host character the sscanf would fill only five values.
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

}  // namespace tnwk
