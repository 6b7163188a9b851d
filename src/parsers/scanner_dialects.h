#ifndef TNWK_PARSERS_SCANNER_DIALECTS_H_
#define TNWK_PARSERS_SCANNER_DIALECTS_H_

#include <memory>

#include "parsers/dialect_parser.h"

namespace tnwk {

// The parsers of the dialects read by a generated scanner alone. Each
// dialect's class, its parse_status bits and its completeness test live in
// its .re file; the dialect table makes the parsers through these.
std::unique_ptr<DialectParser> MakeCiscoIosParser(const ParserEnvironment& env);
std::unique_ptr<DialectParser> MakeCiscoPixParser(const ParserEnvironment& env);
std::unique_ptr<DialectParser> MakeIpchainsParser(const ParserEnvironment& env);
std::unique_ptr<DialectParser> MakeIpfilterParser(const ParserEnvironment& env);
std::unique_ptr<DialectParser> MakeIpfwParser(const ParserEnvironment& env);
std::unique_ptr<DialectParser> MakeNetscreenParser(
    const ParserEnvironment& env);
std::unique_ptr<DialectParser> MakeSnortParser(const ParserEnvironment& env);

}  // namespace tnwk

#endif  // TNWK_PARSERS_SCANNER_DIALECTS_H_
