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

// The factory of a dialect whose class only its scanner's file knows.
template <DialectParser* (*kNew)(const ParserEnvironment&)>
std::unique_ptr<DialectParser> Own(const ParserEnvironment& env) {
  return std::unique_ptr<DialectParser>(kNew(env));
}

}  // namespace

// One row a line, so that rows added side by side merge cleanly.
// clang-format off
const std::array<Dialect, kDialectCount> kDialects = {{
    {"ipchains",  'i', kParserIpchains,  {" kernel: Packet log: "}, Own<NewIpchainsParser>},
    {"netfilter", 'n', kParserNetfilter, {" OUT="}, Make<NetfilterParser>},
    {"cisco_ios", 'c', kParserCiscoIos,  {"%SEC-6-IPACCESSLOG"}, Own<NewCiscoIosParser>},
    {"ipfilter",  'f', kParserIpfilter,  {" ipmon["}, Own<NewIpfilterParser>},
    {"ipfw",      'b', kParserIpfw,      {" ipfw: "}, Own<NewIpfwParser>},
    {"cisco_pix", 'p', kParserCiscoPix,  {"%PIX-", "%FWSM-"}, Own<NewCiscoPixParser>},
    {"netscreen", 'e', kParserNetscreen, {" NetScreen "}, Own<NewNetscreenParser>},
    {"pf",        'o', kParserPf,        {" filterlog", " pf:", "(match)"}, Own<NewPfParser>},
    {"junos_srx", 'j', kParserJunosSrx,  {"RT_FLOW_SESSION_DENY", "RT_FLOW_SESSION_CREATE", "RT_FLOW_SESSION_CLOSE"}, Own<NewJunosSrxParser>},
    {"win_xp",    'w', kParserWinXp,     {""}, Make<WinXpParser>},
    {"snort",     's', kParserSnort,     {" snort"}, Own<NewSnortParser>},
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
