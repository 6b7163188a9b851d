#include "parsers/dialect_table.h"

#include "entries/options.h"
#include "parsers/cisco_pix_parser.h"
#include "parsers/netfilter_parser.h"

namespace tnwk {

namespace {

template <typename Parser>
std::unique_ptr<DialectParser> Make(const ParserEnvironment& env) {
  return std::make_unique<Parser>(env);
}

}  // namespace

const std::array<Dialect, kDialectCount> kDialects = {{
    {"ipchains", 'i', kParserIpchains, " kernel: Packet log: ", nullptr,
     nullptr},
    {"netfilter", 'n', kParserNetfilter, " OUT=", nullptr,
     Make<NetfilterParser>},
    {"cisco_ios", 'c', kParserCiscoIos, "%SEC-6-IPACCESSLOG", nullptr, nullptr},
    {"ipfilter", 'f', kParserIpfilter, " ipmon[", nullptr, nullptr},
    {"ipfw", 'b', kParserIpfw, " ipfw: ", nullptr, nullptr},
    {"cisco_pix", 'p', kParserCiscoPix, "%PIX-", "%FWSM-",
     Make<CiscoPixParser>},
    {"netscreen", 'e', kParserNetscreen, " NetScreen ", nullptr, nullptr},
    {"win_xp", 'w', kParserWinXp, "", nullptr, nullptr},
    {"snort", 's', kParserSnort, " snort", nullptr, nullptr},
}};

const Dialect* DialectByBit(uint32_t bit) {
  for (const Dialect& d : kDialects) {
    if (d.bit == bit) return &d;
  }
  return nullptr;
}

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
