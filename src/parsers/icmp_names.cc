#include "parsers/icmp_names.h"

#include <cctype>
#include <cstddef>
#include <cstring>
#include <span>
#include <string_view>

#include "base/numbers.h"

namespace tnwk {

namespace {

struct IcmpCode {
  int number;
  const char* name;
};

struct IcmpType {
  int number;
  const char* name;
  std::span<const IcmpCode> codes;
};

constexpr IcmpCode kUnreachCodes[] = {
    {0, "net"},         {1, "host"},           {2, "protocol"},
    {3, "port"},        {4, "needfrag"},       {5, "srcfail"},
    {6, "net_unknown"}, {7, "host_unknown"},   {8, "isolated"},
    {9, "net_prohib"},  {10, "host_prohib"},   {11, "tosnet"},
    {12, "toshost"},    {13, "admin_prohibit"}};
constexpr IcmpCode kRedirectCodes[] = {
    {0, "net"}, {1, "host"}, {2, "tosnet"}, {3, "toshost"}};
constexpr IcmpCode kTimxceedCodes[] = {{0, "transit"}, {1, "reassem"}};
constexpr IcmpCode kParamprobCodes[] = {
    {0, "errata_pointer"}, {1, "optmissing"}, {2, "length"}};

// Numeric lookups take the first entry with the number, so the order of the
// entries is part of the table.
constexpr IcmpType kIcmpTypes[] = {
    {0, "echoreply", {}},
    {3, "unreach", kUnreachCodes},
    {4, "sourcequench", {}},
    {5, "redirect", kRedirectCodes},
    {8, "echo", {}},
    {9, "routeradvert", {}},
    {10, "routersolicit", {}},
    {11, "timxceed", kTimxceedCodes},
    {12, "paramprob", kParamprobCodes},
    {13, "timestamp", {}},
    {14, "timestampreply", {}},
    {15, "inforeq", {}},
    {16, "inforeply", {}},
    {17, "maskreq", {}},
    {18, "maskreply", {}},
};

constexpr IcmpCode kUnreach6Codes[] = {{0, "noroute"},
                                       {1, "admin"},
                                       {2, "neighbour"},
                                       {3, "address"},
                                       {4, "noport"}};
constexpr IcmpCode kTimxceed6Codes[] = {{0, "intransit"}, {1, "reassem"}};
constexpr IcmpCode kParamprob6Codes[] = {
    {0, "header"}, {1, "nextheader"}, {2, "option"}};
constexpr IcmpCode kRenumberCodes[] = {
    {0, "command"}, {1, "result"}, {255, "seqnum_reset"}};
constexpr IcmpCode kNodeInfoRequestCodes[] = {
    {0, "ipv6"}, {1, "fqdn"}, {2, "ipv4"}};
constexpr IcmpCode kNodeInfoReplyCodes[] = {
    {0, "success"}, {1, "refused"}, {2, "unknown"}};

// Types 139 and 140 carry three names each; a number finds the first.
constexpr IcmpType kIcmpv6Types[] = {
    {1, "unreach", kUnreach6Codes},
    {2, "toobig", {}},
    {3, "timxceed", kTimxceed6Codes},
    {4, "paramprob", kParamprob6Codes},
    {128, "echo", {}},
    {129, "echoreply", {}},
    {130, "groupmemberquery", {}},
    {131, "groupmemberreport", {}},
    {132, "groupmemberterm", {}},
    {133, "routersolicit", {}},
    {134, "routeradvert", {}},
    {135, "neighborsolicit", {}},
    {136, "neighboradvert", {}},
    {137, "redirect", {}},
    {138, "routerrenumber", kRenumberCodes},
    {139, "nodeinforequest", kNodeInfoRequestCodes},
    {140, "nodeinforeply", kNodeInfoReplyCodes},
    {139, "whoareyourequest", {}},
    {140, "whoareyoureply", {}},
    {139, "fqdnquery", {}},
    {140, "fqdnreply", {}},
    {200, "mtraceresponse", {}},
    {201, "mtracerequest", {}},
};

// Words are read into buffers of this size, whatever the log holds.
constexpr size_t kWordSize = 128;

bool IsWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// Copies the run of word characters at `p` into `word` (at most
// kWordSize - 1 of them) and returns where the copy stopped. An empty run
// leaves `word` empty.
const char* ReadWord(const char* p, char (&word)[kWordSize]) {
  size_t n = 0;
  while (n < kWordSize - 1 && IsWordChar(p[n])) {
    word[n] = p[n];
    ++n;
  }
  word[n] = '\0';
  return p + n;
}

}  // namespace

int lookup_icmp_names(const char* token, LogEntry& entry,
                      const Diagnostics& diag) {
  // The family word is the run of the letters of "icmpv6" (six at most),
  // then come blanks, the type word, "/" and the code word. What stops a
  // word also ends the reading; a part not read stays empty.
  const char* p = token;
  while (p - token < 6 && *p != '\0' && std::strchr("icmpv6", *p) != nullptr) {
    ++p;
  }
  const bool v6 = std::string_view(token, p).starts_with("icmpv6");
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  char type_word[kWordSize];
  char code_word[kWordSize] = "";
  p = ReadWord(p, type_word);
  if (type_word[0] != '\0' && *p == '/') ReadWord(p + 1, code_word);

  int n = CheckedAtoi(type_word);
  if (n == 0 && type_word[0] != '0') n = -1;

  int type = n;
  int code = -1;
  for (const IcmpType& t : v6 ? std::span<const IcmpType>(kIcmpv6Types)
                              : std::span<const IcmpType>(kIcmpTypes)) {
    if (t.number != n && std::string_view(t.name) != type_word) continue;
    type = t.number;
    code = CheckedAtoi(code_word);
    for (const IcmpCode& c : t.codes) {
      if (std::string_view(c.name) == code_word) {
        code = c.number;
        break;
      }
    }
    break;
  }

  if (type == -1) diag.Log(3, "Unrecognized Type %s, ignoring\n", type_word);
  diag.Log(6, "Type %s is %i; Code %s is %i\n", type_word, type, code_word,
           code);
  if (type == -1) return 1;
  entry.icmp_type = static_cast<uint8_t>(type);
  entry.icmp_code = static_cast<uint8_t>(code == -1 ? 0 : code);
  return 0;
}

}  // namespace tnwk
