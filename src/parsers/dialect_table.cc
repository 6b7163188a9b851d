#include "parsers/dialect_table.h"

#include "entries/options.h"
#include "parsers/netfilter_parser.h"
#include "parsers/scanner_dialects.h"
#include "parsers/win_xp_parser.h"

namespace tnwk {

namespace {

template <typename Parser>
std::unique_ptr<DialectParser> Make(const ParserEnvironment& env) {
  return std::make_unique<Parser>(env);
}

}  // namespace

// One row a line, so that rows added side by side merge cleanly.
// clang-format off
const std::array<Dialect, kDialectCount> kDialects = {{
    {"ipchains",  'i', kParserIpchains,  " kernel: Packet log: ", nullptr,  MakeIpchainsParser},
    {"netfilter", 'n', kParserNetfilter, " OUT=",                 nullptr,  Make<NetfilterParser>},
    {"cisco_ios", 'c', kParserCiscoIos,  "%SEC-6-IPACCESSLOG",    nullptr,  MakeCiscoIosParser},
    {"ipfilter",  'f', kParserIpfilter,  " ipmon[",               nullptr,  MakeIpfilterParser},
    {"ipfw",      'b', kParserIpfw,      " ipfw: ",               nullptr,  MakeIpfwParser},
    {"cisco_pix", 'p', kParserCiscoPix,  "%PIX-",                 "%FWSM-", MakeCiscoPixParser},
    {"netscreen", 'e', kParserNetscreen, " NetScreen ",           nullptr,  MakeNetscreenParser},
    {"win_xp",    'w', kParserWinXp,     "",                      nullptr,  Make<WinXpParser>},
    {"snort",     's', kParserSnort,     " snort",                nullptr,  MakeSnortParser},
}};
// clang-format on

const Dialect* DialectByLetter(char letter) {
  for (const Dialect& d : kDialects) {
    if (d.letter == letter) return &d;
  }
  return nullptr;
}

ParserSet::ParserSet(const ParserEnvironment& env) {
  for (size_t i = 0; i < kDialectCount; ++i) {
    if (kDialects[i].make != nullptr) parsers_[i] = kDialects[i].make(env);
  }
}

DialectParser* ParserSet::Get(uint32_t bit) const {
  for (size_t i = 0; i < kDialectCount; ++i) {
    if (kDialects[i].bit == bit) return parsers_[i].get();
  }
  return nullptr;
}

}  // namespace tnwk
