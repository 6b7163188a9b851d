#include "parsers/dialect_table.h"

#include "entries/options.h"
#include "parsers/cisco_ios_parser.h"
#include "parsers/cisco_pix_parser.h"
#include "parsers/ipchains_parser.h"
#include "parsers/ipfilter_parser.h"
#include "parsers/ipfw_parser.h"
#include "parsers/netfilter_parser.h"
#include "parsers/netscreen_parser.h"
#include "parsers/snort_parser.h"
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
    {"ipchains",  'i', kParserIpchains,  " kernel: Packet log: ", nullptr,  Make<IpchainsParser>},
    {"netfilter", 'n', kParserNetfilter, " OUT=",                 nullptr,  Make<NetfilterParser>},
    {"cisco_ios", 'c', kParserCiscoIos,  "%SEC-6-IPACCESSLOG",    nullptr,  Make<CiscoIosParser>},
    {"ipfilter",  'f', kParserIpfilter,  " ipmon[",               nullptr,  Make<IpfilterParser>},
    {"ipfw",      'b', kParserIpfw,      " ipfw: ",               nullptr,  Make<IpfwParser>},
    {"cisco_pix", 'p', kParserCiscoPix,  "%PIX-",                 "%FWSM-", Make<CiscoPixParser>},
    {"netscreen", 'e', kParserNetscreen, " NetScreen ",           nullptr,  Make<NetscreenParser>},
    {"win_xp",    'w', kParserWinXp,     "",                      nullptr,  Make<WinXpParser>},
    {"snort",     's', kParserSnort,     " snort",                nullptr,  Make<SnortParser>},
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
