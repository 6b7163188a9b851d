#include "driver/dispatcher.h"

#include <cstdio>
#include <cstring>

#include "base/numbers.h"

namespace tnwk {

namespace {

constexpr char kLastRepeated[] = " last message repeated ";
constexpr char kRepeated[] = " message repeated ";

// Cuts " message repeated N times: [" out of the line, leaving one blank in
// its place (none when the message itself starts with one), and removes the
// last "]" after it, so the line reads exactly as the original message.
void Unwrap(char* wrapper) {
  char* close = std::strrchr(wrapper, ']');
  if (close != nullptr) std::memmove(close, close + 1, std::strlen(close));
  char* bracket = std::strchr(wrapper, '[');
  if (bracket == nullptr) return;
  char* message = bracket + 1;
  char* write = wrapper;
  if (*message != ' ') *write++ = ' ';
  std::memmove(write, message, std::strlen(message) + 1);
}

}  // namespace

Dispatcher::Dispatcher(LogEntry* entry, const FixedText<256>* source_name,
                       uint32_t enabled_parsers, const Diagnostics& diag,
                       EntrySelector* selector, EntryAggregator* aggregator)
    : entry_(entry),
      source_name_(source_name),
      enabled_parsers_(enabled_parsers),
      diag_(diag),
      selector_(selector),
      aggregator_(aggregator) {}

void Dispatcher::SetParser(uint32_t bit, DialectParser* parser) {
  for (size_t i = 0; i < kDialectCount; ++i) {
    if (kDialects[i].bit == bit) parsers_[i] = parser;
  }
}

void Dispatcher::Mark(const char* mark) const {
  if (diag_.At(5)) std::fputs(mark, diag_.stream());
}

LineResult Dispatcher::classify_line(char* line, uint64_t line_no) {
  LineResult result = Classify(line, line_no);
  last_line_accepted_ = result == LineResult::kAccepted;
  return result;
}

LineResult Dispatcher::Classify(char* line, uint64_t line_no) {
  int repeat = 0;
  // " last message repeated " holds " message repeated ": a line without
  // the latter, which is almost every line, has neither.
  if (char* wrapper = std::strstr(line, kRepeated)) {
    if (const char* last = std::strstr(line, kLastRepeated)) {
      if (last_line_accepted_) return RepeatLastEntry(line, last);
    } else {
      repeat = CheckedAtoi(wrapper + sizeof kRepeated - 1);
      if (repeat < 0) repeat = 0;  // no repeat: the parser's count stands
      Unwrap(wrapper);
    }
  }

  DialectParser* parser = ParserFor(line);
  if (parser == nullptr) {
    Mark("_");
    return LineResult::kNotPacketLog;
  }
  LineResult result = parser->ParseEntry(line, line_no);
  if (result == LineResult::kNotPacketLog) {
    Mark("_");
    return LineResult::kNotPacketLog;
  }
  if (result != LineResult::kAccepted) return result;

  if (repeat != 0) entry_->count = static_cast<uint64_t>(repeat);
  if (locator_ != nullptr) locator_->locate_entry(*entry_);
  if (!selector_->select_entry(*entry_)) {
    Mark("e");
    return LineResult::kExcluded;
  }
  last_count_ = entry_->count;
  entry_->sname.Set(source_name_->view());
  entry_->id = line_no;
  aggregator_->aggregate_entry(*entry_);
  if (repeat != 0) Mark("r");
  Mark(".");
  return LineResult::kAccepted;
}

LineResult Dispatcher::RepeatLastEntry(const char* line, const char* marker) {
  char month[4], time[9], host[33], rest[1024];
  int day;
  if (std::sscanf(line, "%3s %2d %8s %32s %1023s", month, &day, time, host,
                  rest) != 5 ||
      std::strncmp(host, entry_->local_hostname.c_str(), 33) != 0) {
    Mark("_");
    return LineResult::kNotPacketLog;
  }
  int repeat = CheckedAtoi(marker + sizeof kLastRepeated - 1);
  if (repeat <= 0) {
    // "repeated 0 times" stands for no packet at all.
    Mark("_");
    return LineResult::kNotPacketLog;
  }
  // The entry still holds the last accepted line, its name and number too.
  entry_->count = SaturatingMul(last_count_, static_cast<uint64_t>(repeat));
  aggregator_->aggregate_entry(*entry_);
  Mark("r");
  return LineResult::kAccepted;
}

DialectParser* Dispatcher::ParserFor(const char* line) const {
  for (size_t i = 0; i < kDialectCount; ++i) {
    const Dialect& d = kDialects[i];
    if (!(enabled_parsers_ & d.bit)) continue;
    for (const char* marker : d.markers) {
      if (marker == nullptr) break;
      // A dialect whose parser is missing still claims its lines.
      if (std::strstr(line, marker) != nullptr) return parsers_[i];
    }
  }
  return nullptr;
}

}  // namespace tnwk
