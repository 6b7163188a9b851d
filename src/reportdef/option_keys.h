#ifndef TNWK_REPORTDEF_OPTION_KEYS_H_
#define TNWK_REPORTDEF_OPTION_KEYS_H_

#include <string_view>
#include <vector>

#include "reportdef/definition_context.h"

namespace tnwk {

// True when `key` (the key without its line prefix) is the summarize
// option: it begins with "summarize".
bool IsSummarizeKey(std::string_view key);

// Applies every option whose name begins `key` ("pgsql_port" only when it
// is the whole key), in the order of the option table, and echoes each at
// verbosity 3 ("Added option: %s; Value: %s\n", passwords as
// "************"). Text options take the cleaned parameter, cut to their
// width; presence options ignore it; mysql_port reads it as a decimal
// number cut to 16 bits; geoip_php_lookup reads the raw parameter as a
// yes/no word. A null parameter is the empty text. Returns whether any
// option matched.
bool ApplyOptions(DefinitionContext& context, std::string_view key,
                  char* parameter, int line_no);

// Every option name: "summarize", then the option table in matching order.
// The documentation is checked against this list.
std::vector<std::string_view> OptionNames();

}  // namespace tnwk

#endif  // TNWK_REPORTDEF_OPTION_KEYS_H_
