#include "reportdef/option_keys.h"

#include <string>

#include "base/numbers.h"
#include "reportdef/value_parsers.h"

namespace tnwk {
namespace {

enum class OptionValue { kPresence, kText, kPort, kBoolean };

struct OptionKey {
  const char* name;
  OptionValue value;
  // Stores the value: the cleaned text, or for kBoolean the parsed word;
  // null for an option that is echoed but not stored.
  void (*apply)(Options& options, std::string_view text, int8_t boolean);
};

// Copies into a field of `size` bytes, keeping at most bound - 1 characters
// where an option is narrower than its field.
template <size_t N>
void SetBounded(FixedText<N>& field, std::string_view text, size_t bound) {
  field.Set(text.substr(0, bound - 1));
}

constexpr OptionKey kOptions[] = {
    {"populate_cache", OptionValue::kPresence,
     [](Options& o, std::string_view, int8_t) {
       o.cache_flags |= kCachePopulate;
     }},
    {"upd_hosts", OptionValue::kPresence,
     [](Options& o, std::string_view, int8_t) {
       o.cache_flags |= kCacheUpdHosts;
     }},
    {"populate_cache_full", OptionValue::kPresence,
     [](Options& o, std::string_view, int8_t) {
       o.cache_flags |= kCachePopulateFull;
     }},
    {"syslog_dir", OptionValue::kText,
     [](Options& o, std::string_view v, int8_t) {
       SetBounded(o.syslog_dir, v, 128);
     }},
    {"db", OptionValue::kText,
     [](Options& o, std::string_view v, int8_t) { o.database.db_type.Set(v); }},
    {"mysql_server", OptionValue::kText,
     [](Options& o, std::string_view v, int8_t) {
       o.database.mysql_server.Set(v);
     }},
    {"mysql_port", OptionValue::kPort,
     [](Options& o, std::string_view v, int8_t) {
       o.database.mysql_port =
           static_cast<uint16_t>(CheckedAtoi(std::string(v).c_str()));
     }},
    {"mysql_socket", OptionValue::kText,
     [](Options& o, std::string_view v, int8_t) {
       o.database.mysql_socket.Set(v);
     }},
    {"mysql_tnwk_db", OptionValue::kText,
     [](Options& o, std::string_view v, int8_t) {
       o.database.mysql_tnwk_db.Set(v);
     }},
    {"mysql_user", OptionValue::kText,
     [](Options& o, std::string_view v, int8_t) {
       o.database.mysql_user.Set(v);
     }},
    {"mysql_pass", OptionValue::kText,
     [](Options& o, std::string_view v, int8_t) {
       o.database.mysql_pass.Set(v);
     }},
    // The PostgreSQL settings are accepted and echoed for the front end's
    // sake, but the program has no PostgreSQL cache to give them to.
    {"pgsql_server", OptionValue::kText, nullptr},
    {"pgsql_port", OptionValue::kText, nullptr},
    {"pgsql_db", OptionValue::kText, nullptr},
    {"pgsql_user", OptionValue::kText, nullptr},
    {"pgsql_pass", OptionValue::kText, nullptr},
    {"pgsql_tnwk_schema", OptionValue::kText, nullptr},
    {"pgsql_have_namespace", OptionValue::kPresence, nullptr},
    {"geoip2_locale", OptionValue::kText,
     [](Options& o, std::string_view v, int8_t) { o.geoip2_locale.Set(v); }},
    {"geoip2_file", OptionValue::kText,
     [](Options& o, std::string_view v, int8_t) { o.geoip2_file.Set(v); }},
    {"geoip2_asn_file", OptionValue::kText,
     [](Options& o, std::string_view v, int8_t) { o.geoip2_asn_file.Set(v); }},
    {"geoip_php_lookup", OptionValue::kBoolean,
     [](Options& o, std::string_view, int8_t boolean) {
       if (boolean != 0) {
         o.location_flags |= kSkipLocationCriteria | kSkipAsCriteria;
       }
     }},
};

bool Matches(const OptionKey& option, std::string_view key) {
  // pgsql_port alone is compared whole; every other name as a prefix, so
  // that the front end's longer keys (populate_cache_full, db_type) match.
  if (std::string_view(option.name) == "pgsql_port") return key == option.name;
  return key.starts_with(option.name);
}

}  // namespace

bool IsSummarizeKey(std::string_view key) {
  return key.starts_with("summarize");
}

std::vector<std::string_view> OptionNames() {
  std::vector<std::string_view> names = {"summarize"};
  for (const OptionKey& option : kOptions) names.push_back(option.name);
  return names;
}

bool ApplyOptions(DefinitionContext& context, std::string_view key,
                  char* parameter, int line_no) {
  bool matched = false;
  for (const OptionKey& option : kOptions) {
    if (!Matches(option, key)) continue;
    matched = true;
    int8_t boolean = 0;
    // The yes/no option reads the raw parameter, before cleaning.
    if (option.value == OptionValue::kBoolean) {
      boolean = parse_boolean_value(parameter, line_no, context.diag);
    }
    const std::string value = parse_text_value(parameter);
    if (option.apply != nullptr) option.apply(context.options, value, boolean);
    const bool secret =
        key.starts_with("mysql_pass") || key.starts_with("pgsql_pass");
    context.diag.Log(3, "Added option: %s; Value: %s\n",
                     WithoutNewlines(key).c_str(),
                     secret ? "************" : WithoutNewlines(value).c_str());
  }
  return matched;
}

}  // namespace tnwk
