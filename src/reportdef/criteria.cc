#include "reportdef/criteria.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cctype>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/address_family.h"
#include "base/address_parser.h"
#include "base/numbers.h"
#include "reportdef/keyword_lines.h"
#include "reportdef/value_parsers.h"

namespace tnwk {
namespace {

// Bits of the TCP flag keywords, by criterion id 18 (tcp_flags) to 25.
constexpr uint64_t kTcpFlagBits[] = {0,           kTcpFlagSyn,  kTcpFlagAck,
                                     kTcpFlagFin, kTcpFlagRst,  kTcpFlagPsh,
                                     kTcpFlagUrg, kTcpFlagExact};

// Netmask of a prefix length, without shifting by 32 or more.
uint32_t PrefixMask(uint64_t bits) {
  if (bits == 0) return 0;
  if (bits >= 32) return 0xFFFFFFFF;
  return ~uint32_t{0} << (32 - bits);
}

// Reads the address of one address item (a criterion's first item or a
// list item) into `criterion`. False, with a message, when the address does
// not convert; the criterion then keeps its default address.
bool ReadAddress(const Diagnostics& diag, const std::string& item, int line_no,
                 SelectionCriterion& criterion) {
  if (item.find(':') != std::string::npos) criterion.family = kFamilyIpv6;
  const size_t slash = item.find('/');
  const std::string address = item.substr(0, slash);
  uint32_t ipv4 = 0;
  uint8_t ipv6[16] = {};
  if (parse_ip_address(criterion.family, address.c_str(), &ipv4, ipv6, nullptr,
                       diag) != 0) {
    diag.Log(2, "Couldn't convert %s\n", address.c_str());
    return false;
  }
  if (criterion.family == kFamilyIpv6) {
    std::memcpy(criterion.in6_addr.data(), ipv6, sizeof ipv6);
    if (slash != std::string::npos) {
      const long bits = CheckedAtol(item.c_str() + slash + 1);
      if (bits >= 0 && bits <= 128)
        criterion.in6_bits = static_cast<uint8_t>(bits);
    }
    return true;
  }
  criterion.addr = ntohl(ipv4);
  if (slash != std::string::npos) {
    const char* mask = item.c_str() + slash + 1;
    if (std::strchr(mask, '.') != nullptr) {
      criterion.netmask = static_cast<uint32_t>(inet_network(mask));
    } else {
      criterion.netmask = PrefixMask(parse_number_value(mask, line_no, diag));
    }
    criterion.addr &= criterion.netmask;
  }
  return true;
}

// Reads "low" or "low:high" (`colon` is where the colon is, if any).
template <typename T, typename Parse>
void ReadRange(const std::string& item, size_t colon, T* low, T* high,
               Parse parse) {
  *low = parse(item.c_str());
  *high = colon == std::string::npos ? *low : parse(item.c_str() + colon + 1);
}

// Reads the value of one item of a number, double, address or protocol
// criterion ("80", "1024:65535", "10.0.0.0/8", "tcp"). False when an address
// does not convert.
bool ReadItem(const Diagnostics& diag, const std::string& item, int line_no,
              SelectionCriterion& criterion) {
  const size_t colon = item.find(':');
  switch (criterion.type) {
    case kTypeProtocol:
      if (!std::isdigit(static_cast<unsigned char>(item.c_str()[0]))) {
        criterion.value = criterion.max_value =
            static_cast<uint64_t>(protocol_number(item.c_str()));
        return true;
      }
      [[fallthrough]];
    case kTypeNumber:
      ReadRange(item, colon, &criterion.value, &criterion.max_value,
                [&](const char* text) {
                  return parse_number_value(text, line_no, diag);
                });
      return true;
    case kTypeDouble:
      ReadRange(item, colon, &criterion.dvalue, &criterion.max_dvalue,
                [&](const char* text) {
                  return parse_double_value(text, line_no, diag);
                });
      return true;
    case kTypeAddress:
      return ReadAddress(diag, item, line_no, criterion);
    default:
      return true;
  }
}

bool TakesList(int type) {
  return type == kTypeNumber || type == kTypeDouble || type == kTypeAddress ||
         type == kTypeProtocol;
}

// The one-line summary of a value criterion at verbosity 4. List items use
// the same text without the colon after "Max value".
void LogAdded(const Diagnostics& diag, const char* key,
              const SelectionCriterion& c, bool list_item) {
  diag.Log(4,
           "Added criterion: %s; Value: %lu; Max value%s %lu; Svalue: %s; "
           "Family: %i; Addr: %s; Netmask: %s; In6_addr: %s; In6_bits: %u\n",
           key, static_cast<unsigned long>(c.value), list_item ? "" : ":",
           static_cast<unsigned long>(c.max_value), c.svalue.c_str(),
           static_cast<int>(c.family), DottedAddress(c.addr).c_str(),
           DottedAddress(c.netmask).c_str(), Ipv6Text(c.in6_addr).c_str(),
           static_cast<unsigned>(c.in6_bits));
}

// A value line that meets an existing criterion of its field hands it its
// whole value, so that a criterion first made by an invert line tests what
// the value line says, not the defaults.
void TakeValue(SelectionCriterion& into, SelectionCriterion& from) {
  into.value = from.value;
  into.max_value = from.max_value;
  into.svalue = from.svalue;
  into.regex = std::move(from.regex);
  into.family = from.family;
  into.addr = from.addr;
  into.netmask = from.netmask;
  into.in6_addr = from.in6_addr;
  into.in6_bits = from.in6_bits;
  into.dvalue = from.dvalue;
  into.max_dvalue = from.max_dvalue;
  into.boolean = from.boolean;
  into.geoip = from.geoip;
  into.have_value = 0;
}

}  // namespace

std::string DottedAddress(uint32_t host_order) {
  char text[16];
  return std::string(text, FormatDottedQuad(htonl(host_order), text));
}

std::string Ipv6Text(const std::array<uint8_t, 16>& address) {
  char text[INET6_ADDRSTRLEN];
  if (inet_ntop(PlatformFamily(kFamilyIpv6), address.data(), text,
                sizeof text) == nullptr) {
    return "";
  }
  return text;
}

namespace {

// Reads the value of a value line into `criterion`; the items after the
// first comma of a list go to `list_rest`. False, with a message, when a
// pattern does not compile.
bool ReadValueLine(DefinitionContext& context, const FieldKeyword& keyword,
                   const std::string& key, char* parameter, int line_no,
                   SelectionCriterion& criterion,
                   std::optional<std::string>* list_rest) {
  const Diagnostics& diag = context.diag;
  if (criterion.type == kTypeDate) {
    criterion.value = parse_number_value(parameter, line_no, diag);
    char text[128];
    context.clock.FormatLocal(static_cast<int64_t>(criterion.value), "%c %Z",
                              text, sizeof text);
    criterion.svalue.Set(text);
  } else {
    const std::string cleaned = parse_text_value(parameter);
    if (TakesList(criterion.type)) {
      // Items come from the whole cleaned value; svalue only shows the
      // first one, so a long list is never cut mid-item.
      const size_t comma = cleaned.find(',');
      const std::string first = cleaned.substr(0, comma);
      if (comma != std::string::npos) *list_rest = cleaned.substr(comma + 1);
      criterion.svalue.Set(first);
      if (!ReadItem(diag, first, line_no, criterion)) list_rest->reset();
    } else if (criterion.type == kTypeText) {
      criterion.svalue.Set(cleaned);
      std::string error;
      if (!criterion.regex.Compile(cleaned.c_str(), &error)) {
        diag.Log(2,
                 "Error in regular expression \"%s\" for key %s, "
                 "skipping:\n  %.127s\n",
                 criterion.svalue.c_str(), key.c_str(), error.c_str());
        return false;
      }
    } else if (criterion.type == kTypeBoolean) {
      criterion.svalue.Set(cleaned);
      criterion.boolean = parse_boolean_value(cleaned.c_str(), line_no, diag);
    }
  }
  context.options.location_flags |= keyword.location_bits;
  criterion.geoip = keyword.location_bits;
  return true;
}

// Folding: the selection sees one tcp_flags and one ip_fragoff test.
void Fold(ReportDefinition& definition, SelectionCriterion& criterion) {
  if (criterion.field >= kCriterionTcpFlags &&
      criterion.field <= kCriterionTcpOptions) {
    criterion.value = kTcpFlagBits[criterion.field - kCriterionTcpFlags];
    criterion.field = kCriterionTcpFlags;
    criterion.key.Set("tcp_flags");
  } else if (criterion.field == kCriterionIpDf ||
             criterion.field == kCriterionIpMf) {
    definition.fragoff_bits |= static_cast<int32_t>(
        static_cast<uint32_t>(criterion.value & 0xFFFFFFFF));
    criterion.field = kCriterionIpFragoff;
    criterion.key.Set("ip_fragoff");
  }
}

// Hands the line to the existing criteria of its field, if there are any:
// an invert line marks them all, a value line gives the first its value.
bool MergeIntoExisting(ReportDefinition& definition,
                       SelectionCriterion& criterion, bool invert_line) {
  bool merged = false;
  for (SelectionCriterion& existing : definition.criteria) {
    if (existing.field != criterion.field) continue;
    merged = true;
    if (invert_line) {
      existing.invert = criterion.invert;
      continue;
    }
    if (criterion.field == kCriterionTcpFlags) {
      criterion.value |= existing.value;
    } else if (criterion.field == kCriterionIpFragoff) {
      criterion.value |= existing.value;
      criterion.max_value |= existing.max_value;
    }
    criterion.invert = existing.invert;
    TakeValue(existing, criterion);
    break;
  }
  return merged;
}

// The criteria of the list items after the first, `rest`, each a criterion
// of its own like `first`; the list ends at an address that does not
// convert.
std::vector<SelectionCriterion> ReadListItems(
    const Diagnostics& diag, const ReportDefinition& definition,
    const SelectionCriterion& first, const std::string& rest, int line_no) {
  std::vector<SelectionCriterion> items;
  size_t start = 0;
  for (;;) {
    const size_t comma = rest.find(',', start);
    const std::string text = rest.substr(start, comma - start);
    SelectionCriterion item;
    item.field = first.field;
    item.key = first.key;
    item.type = first.type;
    item.invert = first.invert;
    item.have_value = first.have_value;
    item.geoip = first.geoip;
    // The dump shows the item as the value parsers clean it, without the
    // blanks that follow its comma; the item is read as written.
    std::string cleaned = text;
    item.svalue.Set(parse_text_value(cleaned.data()));
    if (!ReadItem(diag, text, line_no, item)) break;
    if (item.field == kCriterionIpFragoff && item.type == kTypeNumber) {
      const uint64_t bits = static_cast<uint32_t>(definition.fragoff_bits);
      item.value |= bits;
      item.max_value |= bits;
    }
    LogAdded(diag, item.key.c_str(), item, true);
    items.push_back(std::move(item));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return items;
}

}  // namespace

void add_criterion(DefinitionContext& context, std::string_view key,
                   char* parameter, int line_no, int kind) {
  const Diagnostics& diag = context.diag;
  ReportDefinition& definition = context.definition;
  const FieldKeyword* keyword =
      KeywordOfLine(diag, key, "criterion", &FieldKeyword::criterion_type);
  if (keyword == nullptr) return;
  const std::string key_text(key);
  const int type = keyword->criterion_type;
  const bool invert_line = kind == kLineCriterionInvert;

  // Keywords that set a run-wide value instead of testing lines; they take
  // their number from either kind of line.
  if (type == kTypeCountLimit || type == kTypeTimeLimit) {
    ++definition.aggregate_criteria_count;
    uint64_t* limit = definition.LimitFor(keyword->aggregate_limit);
    if (limit != nullptr) *limit = parse_number_value(parameter, line_no, diag);
    return;
  }
  if (type == kTypeLineId) {
    context.options.single_line = parse_number_value(parameter, line_no, diag);
    return;
  }
  if (invert_line &&
      (type == kTypeBoolean || type == kTypeDate || type == kTypeFlagNumber)) {
    diag.Log(3, "Skipping invert flag for criterion: %s\n", key_text.c_str());
    return;
  }

  SelectionCriterion criterion;
  criterion.key.Set(key);
  criterion.field = keyword->criterion_id;
  criterion.type = type == kTypeFlagNumber ? kTypeNumber : type;

  std::optional<std::string> list_rest;  // the items after the first comma
  if (invert_line) {
    criterion.invert =
        static_cast<uint8_t>(parse_boolean_value(parameter, line_no, diag));
  } else if (!ReadValueLine(context, *keyword, key_text, parameter, line_no,
                            criterion, &list_rest)) {
    return;
  }
  Fold(definition, criterion);
  const bool merged = MergeIntoExisting(definition, criterion, invert_line);

  if (invert_line) {
    diag.Log(4, "Added invert flag for criterion: %s\n", key_text.c_str());
  } else if (criterion.field == kCriterionTcpFlags) {
    diag.Log(4, "Added criterion: %s\n", key_text.c_str());
  } else {
    LogAdded(diag, key_text.c_str(), criterion, false);
  }

  criterion.have_value = invert_line && !merged ? -1 : 0;

  // Every further list item is a criterion of its own, after the first.
  std::vector<SelectionCriterion> items;
  if (list_rest) {
    items = ReadListItems(diag, definition, criterion, *list_rest, line_no);
  }
  std::deque<SelectionCriterion>& list = definition.criteria;
  if (!merged) list.push_front(std::move(criterion));
  for (SelectionCriterion& item : items) list.push_front(std::move(item));
}

}  // namespace tnwk
