#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace tnwk {
namespace {

struct Parsed {
  CommandLineResult result;
  Options options;
  InputList inputs;
  std::string out;
};

Parsed ParseArgs(std::vector<std::string> args) {
  args.insert(args.begin(), "tnwk_syslog");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  testing::CapturedStream out;
  Parsed parsed;
  parsed.result = ParseCommandLine(static_cast<int>(args.size()), argv.data(),
                                   &parsed.options, &parsed.inputs, out.get());
  parsed.out = out.str();
  return parsed;
}

uint32_t EnabledFor(const char* letters, std::string* message = nullptr) {
  Options options;
  options.parser_letters.Set(letters);
  testing::CapturedStream err;
  Diagnostics diag(0, err.get());
  bool ok = ApplyParserLetters(&options, diag);
  if (message != nullptr) *message = err.str();
  return ok ? options.enabled_parsers : 0xffffffff;
}

TEST(CommandLine, NoArgumentsReadsTheSystemLog) {
  Parsed p = ParseArgs({});
  EXPECT_EQ(p.result, CommandLineResult::kRun);
  ASSERT_EQ(p.inputs.files().size(), 1u);
  EXPECT_EQ(p.inputs.files()[0], "/var/log/messages");
}

TEST(CommandLine, OptionsSetTheirValues) {
  Parsed p = ParseArgs({"-v", "-v", "-v", "-l", "3", "-m", "4", "-M", "5", "-o",
                        "out.txt", "-r", "def", "-P", "nfb", "a.log"});
  EXPECT_EQ(p.result, CommandLineResult::kRun);
  EXPECT_EQ(p.options.verbosity, 3);
  EXPECT_EQ(p.options.single_line, 3u);
  EXPECT_EQ(p.options.row_skip, 4u);
  EXPECT_EQ(p.options.row_limit, 5u);
  EXPECT_TRUE(p.options.output_to_file);
  EXPECT_EQ(p.options.output_path.view(), "out.txt");
  EXPECT_EQ(p.options.report_path.view(), "def");
  EXPECT_EQ(p.options.parser_letters.view(), "nfb");
  ASSERT_EQ(p.inputs.files().size(), 1u);
  EXPECT_EQ(p.inputs.files()[0], "a.log");
}

TEST(CommandLine, NumbersAreReadLikeAtol) {
  EXPECT_EQ(ParseArgs({"-M", "abc"}).options.row_limit, 0u);
  EXPECT_EQ(ParseArgs({"-M", "12abc"}).options.row_limit, 12u);
}

TEST(CommandLine, DefaultsWhenNothingIsGiven) {
  Options o = ParseArgs({"x"}).options;
  EXPECT_EQ(o.report_path.view(), "-");
  EXPECT_FALSE(o.output_to_file);
  EXPECT_EQ(o.enabled_parsers, kAllParsers);
  EXPECT_EQ(o.geoip2_locale.view(), "en");
}

TEST(CommandLine, LongPathsAreCutTo255Characters) {
  std::string path(300, 'p');
  Parsed p = ParseArgs({"-o", path, "-r", path, path});
  EXPECT_EQ(p.options.output_path.view().size(), 255u);
  EXPECT_EQ(p.options.report_path.view().size(), 255u);
  EXPECT_EQ(p.inputs.files()[0].size(), 255u);
}

TEST(CommandLine, HelpAndVersionEndTheProgramSuccessfully) {
  Parsed help = ParseArgs({"-h", "-V"});
  EXPECT_EQ(help.result, CommandLineResult::kExitSuccess);
  EXPECT_EQ(help.out.rfind("tarnwick 1.1.3\n\nUsage: tnwk_syslog", 0), 0u);
  Parsed version = ParseArgs({"-V", "-h"});
  EXPECT_EQ(version.result, CommandLineResult::kExitSuccess);
  EXPECT_EQ(version.out.rfind("tarnwick 1.1.3\n", 0), 0u);
  EXPECT_NE(version.out.find("zlib support enabled\n"), std::string::npos);
}

TEST(CommandLine, UnknownOptionPrintsUsageAndFails) {
  Parsed p = ParseArgs({"-x"});
  EXPECT_EQ(p.result, CommandLineResult::kExitFailure);
  EXPECT_NE(p.out.find("  -h           this help\n"), std::string::npos);
}

TEST(ParserLetters, EmptyTextKeepsEveryParser) {
  EXPECT_EQ(EnabledFor(""), 0x7ffu);
}

TEST(ParserLetters, LettersEnableExactlyTheirDialects) {
  EXPECT_EQ(EnabledFor("nfb"), 0x002u | 0x004u | 0x010u);
  EXPECT_EQ(EnabledFor("ifnwbcpse"), 0x1ffu);
  EXPECT_EQ(EnabledFor("ifnwbcpseoj"), 0x7ffu);
  EXPECT_EQ(EnabledFor("nn"), 0x002u);
}

TEST(ParserLetters, UnknownLetterIsNamed) {
  std::string message;
  EXPECT_EQ(EnabledFor("nfx", &message), 0xffffffffu);
  EXPECT_EQ(message, "Unknown parser: 'x'.\n");
  EXPECT_EQ(EnabledFor("d", &message), 0xffffffffu);
  EXPECT_EQ(message, "Unknown parser: 'd'.\n");
}

TEST(InputList, DashReadsStandardInputOnly) {
  InputList inputs;
  inputs.add_input("a.log");
  inputs.add_input("-");
  inputs.add_input("b.log");
  EXPECT_TRUE(inputs.read_stdin());
  EXPECT_EQ(inputs.input_file_count(), 0);
  EXPECT_TRUE(inputs.files().empty());
}

TEST(InputList, SourceNameIsTheLastPathComponent) {
  EXPECT_EQ(BaseName("/var/log/fw/messages.0.gz"), "messages.0.gz");
  EXPECT_EQ(BaseName("messages"), "messages");
  EXPECT_EQ(BaseName("dir/"), "");
}

}  // namespace
}  // namespace tnwk
