#include "app/CommandNames.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace pvx::app {
namespace {

// Every code the dispatcher knows, as its command table lists them.
const std::set<int> kDispatcherCodes = {
    1,     2,     3,     5,     7,     8,     9,     10,    11,    12,    13,    14,    200,
    201,   202,   203,   204,   205,   206,   300,   401,   402,   403,   1000,  1001,  1002,
    1003,  1004,  1005,  1006,  1007,  2000,  2001,  3000,  3001,  4001,  4002,  4003,  4004,
    4005,  5001,  5002,  5003,  6000,  6001,  6002,  6003,  6004,  6005,  10000, 10001, 10002,
    10003, 10004, 10005, 10006, 10007, 10008, 10009, 10010, 10011, 10012, 10020, 10021, 10100};

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

TEST(CommandNames, EveryDispatcherCodeHasExactlyOneEntry) {
  std::set<int> listed;
  for (const TCommandName& c : CommandNames()) EXPECT_TRUE(listed.insert(c.code).second) << c.code;
  EXPECT_EQ(listed, kDispatcherCodes);
  EXPECT_EQ(CommandNames().size(), 65u);
}

TEST(CommandNames, EverySpellingIsUniqueIgnoringCase) {
  std::set<std::string> seen;
  for (const TCommandName& c : CommandNames()) {
    EXPECT_TRUE(seen.insert(Lower(c.name)).second) << c.name;
    EXPECT_FALSE(c.title.empty()) << c.name;
    for (std::string_view alias : c.aliases)
      if (!alias.empty()) EXPECT_TRUE(seen.insert(Lower(alias)).second) << alias;
  }
}

TEST(CommandNames, NameAndCodeLookUpEachOther) {
  for (const TCommandName& c : CommandNames()) {
    EXPECT_EQ(CommandName(c.code), c.name);
    EXPECT_EQ(CommandCode(c.name), c.code) << c.name;
    EXPECT_EQ(ParseCommand(std::to_string(c.code)), c.code);
    for (std::string_view alias : c.aliases)
      if (!alias.empty()) EXPECT_EQ(CommandCode(alias), c.code) << alias;
  }
}

TEST(CommandNames, ParseAcceptsNamesAliasesAndCodesAndRejectsTheRest) {
  const struct {
    const char* text;
    std::optional<int> code;
  } rows[] = {
      {"next-channel", 4001},
      {"NEXT-CHANNEL", 4001},
      {"Next_Channel", 4001},
      {"channel-up", 4001},
      {"previous-channel", 4002},
      {"prev-channel", 4002},
      {"volume-up", 401},
      {"mute", 403},
      {"exit", 1},
      {"Quit", 1},
      {"minimize", 2},
      {"memorize-channel", 4005},
      {"digit-0", 10000},
      {"DIGIT-9", 10009},
      {"enter", 10020},
      {"decimal-point", 10100},
      {"dot", 10100},
      {"escape", 10021},
      {"4001", 4001},
      {"10100", 10100},
      {"1", 1},
      // failure rows
      {"", std::nullopt},
      {"next channel", std::nullopt},
      {"next-channel ", std::nullopt},
      {"nextchannel-", std::nullopt},
      {"4", std::nullopt},  // no such code
      {"99999", std::nullopt},
      {"4001x", std::nullopt},
      {"-1", std::nullopt},
      {"+1", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"digit-10x", std::nullopt},
  };
  for (const auto& row : rows) EXPECT_EQ(ParseCommand(row.text), row.code) << '"' << row.text << '"';
}

TEST(CommandNames, UnknownCodesAndNamesFindNothing) {
  EXPECT_EQ(FindCommand(0), nullptr);
  EXPECT_EQ(FindCommand(4006), nullptr);
  EXPECT_TRUE(CommandName(6).empty());
  EXPECT_EQ(FindCommand(std::string_view("")), nullptr);
  EXPECT_FALSE(CommandCode("volume"));
}

TEST(CommandNames, CaseIsIgnoredAndUnderscoreMatchesHyphen) {
  EXPECT_TRUE(SameCommandName("Volume_Up", "volume-up"));
  EXPECT_FALSE(SameCommandName("volume-up", "volume-upp"));
  EXPECT_FALSE(SameCommandName("volume up", "volume-up"));
}

}  // namespace
}  // namespace pvx::app
