#ifndef TNWK_PARSERS_SCANNER_DIALECTS_H_
#define TNWK_PARSERS_SCANNER_DIALECTS_H_

#include "parsers/dialect_parser.h"

namespace tnwk {

// The parsers of the dialects read by a generated scanner alone. Each
// dialect's class, its parse_status bits and its completeness test live in
// its .re file; the dialect table makes the parsers through these. Each
// returns a new parser that the caller owns (the dialect table hands it to
// a unique_ptr at once): a plain pointer keeps <memory>, which more than
// doubles what a scanner's compile reads, out of the generated files.
DialectParser* NewCiscoIosParser(const ParserEnvironment& env);
DialectParser* NewCiscoPixParser(const ParserEnvironment& env);
DialectParser* NewIpchainsParser(const ParserEnvironment& env);
DialectParser* NewIpfilterParser(const ParserEnvironment& env);
DialectParser* NewIpfwParser(const ParserEnvironment& env);
DialectParser* NewJunosSrxParser(const ParserEnvironment& env);
DialectParser* NewNetscreenParser(const ParserEnvironment& env);
DialectParser* NewPfParser(const ParserEnvironment& env);
DialectParser* NewSnortParser(const ParserEnvironment& env);

}  // namespace tnwk

#endif  // TNWK_PARSERS_SCANNER_DIALECTS_H_
