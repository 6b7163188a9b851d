#include "reportdef/definition_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "definition_fixture.h"
#include "entries/field_keywords.h"

namespace tnwk::testing {
namespace {

class DefinitionReaderTest : public DefinitionTest {
 protected:
  int ReadFile(const std::string& contents) {
    return read_report_definition(context_,
                                  dir_.WriteFile("def", contents).c_str());
  }

  TempDir dir_;
};

TEST_F(DefinitionReaderTest, CommentsAndBlanksOnlyStillGiveTheSnameColumn) {
  SetVerbosity(1);
  ASSERT_EQ(ReadFile("# a comment\n\n   \t\n  # indented\n"), 0);
  EXPECT_EQ(ColumnNames(), std::vector<std::string>{"sname"});
  EXPECT_EQ(definition_.columns[0].position, 99);
  EXPECT_TRUE(definition_.IsColumnSelected(kColumnSname));
  EXPECT_EQ(Messages(), "Processing report definition file '" + dir_.path() +
                            "/def'\n"
                            "Number of columns: 1\n"
                            "Number of criteria: 0\n"
                            "Number of aggregate criteria: 0\n"
                            "Number of sorts: 0\n");
}

TEST_F(DefinitionReaderTest, SummarizingReportsGetNoDefaultColumn) {
  ASSERT_EQ(ReadFile("summarize=yes\n"), 0);
  EXPECT_TRUE(options_.summarize);
  EXPECT_TRUE(definition_.columns.empty());
}

TEST_F(DefinitionReaderTest, AnSnameColumnOfItsOwnIsNotDoubled) {
  ASSERT_EQ(ReadFile("c_sname=4\n"), 0);
  EXPECT_EQ(definition_.columns.size(), 1u);
  EXPECT_EQ(definition_.columns[0].position, 4);
}

TEST_F(DefinitionReaderTest, MissingAndIrregularFilesStopStartUp) {
  EXPECT_EQ(read_report_definition(context_, "/nonexistent/def"), 1);
  EXPECT_EQ(read_report_definition(context_, dir_.path().c_str()), 1);
  EXPECT_EQ(Messages(),
            "Cannot open report definition file /nonexistent/def, exiting.\n" +
                dir_.path() + " is not a regular file, exiting.\n");
}

TEST_F(DefinitionReaderTest, StandardInputIsReadAndLeftOpen) {
  SetVerbosity(4);
  TempDir dir;
  std::FILE* input =
      std::fopen(dir.WriteFile("in", "c_count=1\n").c_str(), "r");
  ASSERT_NE(input, nullptr);
  ASSERT_EQ(read_report_definition(context_, "-", input), 0);
  EXPECT_EQ(ColumnNames(), (std::vector<std::string>{"count", "sname"}));
  EXPECT_NE(Messages().find("Done processing report definition from stdin\n"),
            std::string::npos);
  EXPECT_EQ(std::fclose(input), 0);  // still ours to close
}

TEST_F(DefinitionReaderTest, UnreadableStandardInputFailsTheRun) {
  // A directory on standard input reads as an error, not as an empty
  // definition that would give the default report.
  std::FILE* input = std::fopen(dir_.path().c_str(), "r");
  ASSERT_NE(input, nullptr);
  EXPECT_EQ(read_report_definition(context_, "-", input), 1);
  EXPECT_EQ(Messages(),
            "Error reading the report definition: Is a directory\n");
  std::fclose(input);
}

TEST_F(DefinitionReaderTest, CarriageReturnsBeforeTheNewlineAreDropped) {
  ASSERT_EQ(ReadFile("summarize=yes\r\nc_oob_prefix=1\r\n"
                     "w_oob_prefix=^DROP$\r\nw_sname=x\r"),
            0);
  EXPECT_TRUE(options_.summarize);
  ASSERT_EQ(definition_.criteria.size(), 1u);
  EXPECT_EQ(definition_.criteria[0].svalue.view(), "^DROP$");
  EXPECT_EQ(definition_.criteria[0].regex.Execute("DROP"), 0);
}

TEST_F(DefinitionReaderTest, LongLinesArriveInPiecesWithTheirOwnNumbers) {
  SetVerbosity(1);
  // 1500 characters: the second piece is line 2 and holds a bad number.
  std::string line = "c_count=1" + std::string(1014, ' ') + "-5\n";
  line.resize(1500, 'z');
  line.back() = '\n';
  ASSERT_EQ(ReadFile(line + "c_ip_saddr=2\n"), 0);
  EXPECT_EQ(ColumnNames(),
            (std::vector<std::string>{"count", "ip_saddr", "sname"}));
  EXPECT_EQ(definition_.columns.size(), 3u);
}

TEST_F(DefinitionReaderTest, EveryKindOfBadLineIsSkippedWithItsMessage) {
  SetVerbosity(5);
  ASSERT_EQ(ReadFile("nonsense=1\n"
                     "c_count=q\n"
                     "w_oob_prefix=(\n"
                     "c_nosuchkey=1\n"
                     "i_tcp_syn=yes\n"
                     "w_ip_saddr=999.1.1.1.1\n"
                     "c_ip_saddr=3\n"),
            0);
  const std::string messages = Messages();
  for (const char* expected :
       {"Ignoring report definition line: nonsense=1\n",
        "Error in report definition, line 2: q not a number\n",
        "Error in regular expression \"(\" for key oob_prefix, skipping:\n",
        "Skipping unrecognized column: nosuchkey\n",
        "Skipping invert flag for criterion: tcp_syn\n",
        "Couldn't convert 999.1.1.1.1\n", "Added column ip_saddr at "}) {
    EXPECT_NE(messages.find(expected), std::string::npos) << expected;
  }
  EXPECT_EQ(definition_.criteria.size(), 1u);  // the unconverted address
}

TEST_F(DefinitionReaderTest, PrefixesSelectTheLineKind) {
  SetVerbosity(6);
  Line("  \tw_oob_in=eth0");
  Line("h_oob_in=1");
  Line("l_x=1");
  EXPECT_EQ(definition_.criteria.size(), 1u);
  const std::string messages = Messages();
  EXPECT_NE(messages.find("Processing report definition line Type: 1; "
                          "Key: oob_in; Parameter: eth0\n"),
            std::string::npos);
  EXPECT_NE(messages.find("Ignoring report definition line: h_oob_in=1\n"),
            std::string::npos);
  EXPECT_NE(messages.find("Ignoring report definition line: l_x=1\n"),
            std::string::npos);
}

TEST_F(DefinitionReaderTest, KeysEndAtSpaceOrEqualsButNotAtTab) {
  SetVerbosity(3);
  Line("c_count 5=2");
  EXPECT_EQ(definition_.columns[0].position, 2);
  Line("w_ip_saddr\t=1.2.3.4");
  EXPECT_TRUE(definition_.criteria.empty());
  EXPECT_NE(Messages().find("Skipping unrecognized criterion: ip_saddr\t\n"),
            std::string::npos);
}

TEST_F(DefinitionReaderTest, SummarizeNeedsAParameter) {
  Line("summarize");
  EXPECT_FALSE(options_.summarize);
  Line("summarize=-1");
  EXPECT_TRUE(options_.summarize);
  Line("c_summarize=no");
  EXPECT_FALSE(options_.summarize);
}

TEST_F(DefinitionReaderTest, PresenceOptionsIgnoreTheirValue) {
  Line("populate_cache=no");
  EXPECT_EQ(options_.cache_flags, kCachePopulate);
  Line("populate_cache_full");
  Line("upd_hosts=0");
  EXPECT_EQ(options_.cache_flags,
            kCachePopulate | kCachePopulateFull | kCacheUpdHosts);
}

TEST_F(DefinitionReaderTest, OptionsMatchByPrefixExceptPgsqlPort) {
  SetVerbosity(3);
  Line("db_type=mysql");
  Line("mysql_server = \"db.example\" ");
  Line("mysql_port='3306'");
  Line("pgsql_port=5432");
  Line("pgsql_portx=1");
  Line("w_mysql_user=report");
  EXPECT_EQ(options_.database.db_type.view(), "mysql");
  EXPECT_EQ(options_.database.mysql_server.view(), "db.example");
  EXPECT_EQ(options_.database.mysql_port, 3306);
  EXPECT_EQ(options_.database.mysql_user.view(), "report");
  const std::string messages = Messages();
  EXPECT_NE(messages.find("Added option: pgsql_port; Value: 5432\n"),
            std::string::npos);
  EXPECT_EQ(messages.find("pgsql_portx"), std::string::npos);
}

TEST_F(DefinitionReaderTest, OptionTextsKeepTheirWidths) {
  Line("syslog_dir=" + std::string(300, 'd'));
  Line("mysql_socket=" + std::string(300, 'k'));
  EXPECT_EQ(options_.syslog_dir.view().size(), 127u);
  EXPECT_EQ(options_.database.mysql_socket.view().size(), 127u);
}

TEST_F(DefinitionReaderTest, PasswordsAreNeverEchoed) {
  SetVerbosity(3);
  Line("mysql_pass=secret");
  Line("pgsql_pass=");
  Line("geoip2_locale=de");
  EXPECT_EQ(options_.database.mysql_pass.view(), "secret");
  EXPECT_EQ(Messages(),
            "Added option: mysql_pass; Value: ************\n"
            "Added option: pgsql_pass; Value: ************\n"
            "Added option: geoip2_locale; Value: de\n");
  // Not in the traces of verbosity 6 either, whatever the line's form.
  SetVerbosity(6);
  ASSERT_EQ(ReadFile("mysql_pass=s1\n  mysql_pass = \"s2\"\nw_pgsql_pass=s3\n"
                     "mysql_passwd=s4\n"),
            0);
  for (const char* secret : {"s1", "s2", "s3", "s4"}) {
    EXPECT_EQ(Messages().find(secret), std::string::npos) << secret;
  }
  EXPECT_NE(Messages().find("Input line is: mysql_pass=************\n"),
            std::string::npos);
}

TEST_F(DefinitionReaderTest, GeoipPhpLookupOnlyEverSetsTheSkipBits) {
  Line("geoip_php_lookup=no");
  EXPECT_EQ(options_.location_flags, 0);
  Line("geoip_php_lookup=yes");
  EXPECT_EQ(options_.location_flags, kSkipLocationCriteria | kSkipAsCriteria);
  Line("geoip_php_lookup=off");
  EXPECT_EQ(options_.location_flags, kSkipLocationCriteria | kSkipAsCriteria);
}

}  // namespace
}  // namespace tnwk::testing
