// The manual page and the report definition guide are checked against the
// keyword table and the option list of the code itself, so that a keyword
// or option added, renamed or removed in one place fails here until the
// documentation follows.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "entries/field_keywords.h"
#include "reportdef/option_keys.h"
#include "test_support.h"

namespace tnwk {
namespace {

using Names = std::set<std::string, std::less<>>;

std::string SourceFile(const char* relative) {
  return testing::ReadFile(std::string(TNWK_SOURCE_DIR) + "/" + relative);
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    text = end == std::string_view::npos ? "" : text.substr(end + 1);
  }
  return lines;
}

// The arguments of a macro line such as `.BR ip_saddr ", " ip_daddr`,
// with quoted arguments unquoted.
std::vector<std::string> MacroArguments(std::string_view line) {
  std::vector<std::string> arguments;
  size_t i = line.find(' ');
  while (i != std::string_view::npos && i < line.size()) {
    while (i < line.size() && line[i] == ' ') ++i;
    if (i >= line.size()) break;
    std::string argument;
    if (line[i] == '"') {
      const size_t close = line.find('"', i + 1);
      argument = line.substr(i + 1, close - i - 1);
      i = close == std::string_view::npos ? close : close + 1;
    } else {
      const size_t end = line.find(' ', i);
      argument = line.substr(i, end - i);
      i = end;
    }
    arguments.push_back(argument);
  }
  return arguments;
}

// The names that head the tagged paragraphs (.TP, .TQ) between the heading
// line `from` and the next heading of the same or a higher level: the bold
// arguments of the tag lines, without a trailing "=". Tag lines in other
// fonts (Text, Numbers) name no keyword and are left out.
Names EntryNames(std::string_view page, std::string_view from) {
  Names names;
  bool inside = false;
  bool tag_next = false;
  for (std::string_view line : Lines(page)) {
    if (line == from) {
      inside = true;
      continue;
    }
    if (!inside) continue;
    if (line.starts_with(".SH") ||
        (from.starts_with(".SS") && line.starts_with(".SS"))) {
      break;
    }
    if (line == ".TP" || line == ".TQ") {
      tag_next = true;
      continue;
    }
    if (!tag_next) continue;
    tag_next = false;
    const bool alternating =
        line.starts_with(".BR ") || line.starts_with(".BI ");
    if (!alternating && !line.starts_with(".B ")) continue;
    const std::vector<std::string> arguments = MacroArguments(line);
    for (size_t k = 0; k < arguments.size(); k += alternating ? 2 : 1) {
      std::string name = arguments[k];
      if (name.ends_with('=')) name.pop_back();
      names.insert(name);
    }
  }
  return names;
}

Names KeywordNames() {
  Names names;
  for (const FieldKeyword& keyword : field_keywords()) {
    names.insert(keyword.name);
  }
  return names;
}

Names OptionNameSet() {
  Names names;
  for (std::string_view name : OptionNames()) names.emplace(name);
  return names;
}

// The names of `expected` missing from `documented`, and those documented
// that do not exist, as one readable line each.
std::string Mismatch(const Names& expected, const Names& documented) {
  std::string text;
  for (const std::string& name : expected) {
    if (!documented.contains(name)) text += "undocumented: " + name + "\n";
  }
  for (const std::string& name : documented) {
    if (!expected.contains(name)) text += "no such name: " + name + "\n";
  }
  return text;
}

TEST(ManPageTest, HeadsOneEntryForEachKeywordAndNoOther) {
  const std::string page = SourceFile("docs/tnwk_syslog.1");
  ASSERT_FALSE(page.empty());
  EXPECT_EQ(Mismatch(KeywordNames(), EntryNames(page, ".SH KEYWORDS")), "");
}

TEST(ManPageTest, HeadsOneEntryForEachOptionAndNoOther) {
  const std::string page = SourceFile("docs/tnwk_syslog.1");
  ASSERT_FALSE(page.empty());
  EXPECT_EQ(Mismatch(OptionNameSet(), EntryNames(page, ".SS Options")), "");
}

TEST(ReportDefinitionGuideTest, NamesEveryKeywordAndOption) {
  const std::string guide = SourceFile("docs/report-definition.md");
  ASSERT_FALSE(guide.empty());
  Names names = KeywordNames();
  names.merge(OptionNameSet());
  std::string missing;
  for (const std::string& name : names) {
    if (guide.find("`" + name + "`") == std::string::npos) {
      missing += name + "\n";
    }
  }
  EXPECT_EQ(missing, "");
}

}  // namespace
}  // namespace tnwk
