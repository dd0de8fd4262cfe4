#include <gtest/gtest.h>

#include <QSet>
#include <map>
#include <set>

#include "tuning/CountryList.h"
#include "tuning/FrequencyTable.h"
#include "tuning/TVSystemList.h"

using namespace pvx::tuning;

namespace {

constexpr int kLetterH = 7, kLetterI = 8, kLetterO = 14, kLetterU = 20, kLetterX = 23;

int LetterOf(char c) { return c - 'A'; }

TTuningEntry Find(const QString& text) {
  for (int letter = 0; letter < kLetterCount; ++letter) {
    const QStringList texts = CountryTexts(letter);
    const int position = texts.indexOf(text);
    if (position >= 0) return CountryEntry(letter, position);
  }
  ADD_FAILURE() << "no entry " << text.toStdString();
  return {};
}

}  // namespace

TEST(CountryList, ListOrderWithinALetter) {
  EXPECT_EQ(CountryTexts(kLetterH),
            QStringList({"Haiti(NTSC-M)", "Honduras(NTSC-M)", "Hong Kong(PAL-I)",
                         "Hungary(PAL-D/K)", "Hungary2(PAL-D/K)", "Hungary(SECAM-D/K)"}));
  EXPECT_EQ(CountryTexts(kLetterU).mid(0, 3),
            QStringList({"U.S.A.(NTSC-M)", "U.S.A.(HRC)(NTSC-M)", "U.S.A.(IRC)(NTSC-M)"}));
  EXPECT_EQ(CountryTexts(kLetterI).mid(7, 4),
            QStringList({"Israel [Gvanim](PAL-B/G)", "Israel [Idan](PAL-B/G)",
                         "Israel [Matav](PAL-B/G)", "Israel [Zahav](PAL-B/G)"}));
  EXPECT_EQ(CountryTexts(LetterOf('Z')), QStringList({"Zambia(PAL-B/G)"}));
}

TEST(CountryList, EntriesFollowTheirTVSystemUnlessTheyHaveATableOfTheirOwn) {
  struct Row {
    const char* text;
    int table, standard, code;
  };
  // clang-format off
  const Row rows[] = {
      {"Andorra", 0, 0, 376}, {"Oman(PAL-B/G)", 3, 2, 968}, {"Aruba(NTSC-M)", 0, 0, 297},
      {"Japan(NTSC-J)", 7, 1, 81}, {"Romania(PAL-D/K)", 4, 3, 40},
      {"Hong Kong(PAL-I)", 5, 4, 852}, {"Brazil(PAL-M)", 0, 5, 55},
      {"Bolivia(PAL-N)", 0, 6, 591}, {"Egypt(SECAM-B/G)", 3, 7, 20},
      {"Czech Republic(SECAM-D/K)", 4, 8, 42}, {"France(SECAM-L)", 6, 9, 33},
      {"Korea(North)(SECAM-D/K)", 4, 8, 850}, {"Canada(NTSC-M)", 0, 0, 2},
      // then those with tables of their own
      {"Australia(PAL-B/G)", 22, 2, 61}, {"China(PAL-D/K)", 8, 3, 86},
      {"Czech Republic(PAL-D/K)", 15, 3, 42}, {"Hungary(PAL-D/K)", 16, 3, 36},
      {"Hungary2(PAL-D/K)", 23, 3, 36}, {"Hungary(SECAM-D/K)", 4, 8, 36},
      {"Israel [Gvanim](PAL-B/G)", 12, 2, 972}, {"Israel [Idan](PAL-B/G)", 11, 2, 972},
      {"Israel [Matav](PAL-B/G)", 10, 2, 972}, {"Israel [Zahav](PAL-B/G)", 9, 2, 972},
      {"Latvia(PAL-D/K)", 17, 3, 371}, {"Netherlands 1(PAL-B/G)", 13, 2, 31},
      {"Netherlands 2(PAL-B/G)", 14, 2, 31}, {"Poland 1(PAL-D/K)", 18, 3, 48},
      {"Poland 2(PAL-D/K)", 19, 3, 48}, {"Poland 3(PAL-D/K)", 20, 3, 48},
      {"Russia(SECAM-D/K)", 21, 8, 7}, {"Russia Moscow(SECAM-D/K)", 24, 8, 7},
      {"Ukraine(SECAM-D/K)", 21, 8, 380}, {"U.S.A.(NTSC-M)", 0, 0, 1},
      {"U.S.A.(HRC)(NTSC-M)", 1, 0, 1}, {"U.S.A.(IRC)(NTSC-M)", 2, 0, 1},
  };
  // clang-format on
  for (const Row& row : rows) {
    const TTuningEntry entry = Find(row.text);
    EXPECT_EQ(QList<int>({entry.TableIndex, entry.Standard, entry.CountryCode}),
              QList<int>({row.table, row.standard, row.code}))
        << row.text;
  }
}

TEST(CountryList, PositionsOutsideTheListGiveTheDefaultChoice) {
  const std::pair<int, int> outside[] = {{kLetterX, 0}, {LetterOf('O'), 1}, {LetterOf('A'), -1},
                                         {-1, 0},       {kLetterCount, 0},  {0, 11}};
  for (const auto& [letter, position] : outside) {
    const TTuningEntry entry = CountryEntry(letter, position);
    EXPECT_TRUE(entry.Text.isEmpty()) << letter << " " << position;
    EXPECT_EQ(QList<int>({entry.TableIndex, entry.Standard, entry.CountryCode}),
              QList<int>({0, 0, 1}));
  }
  for (int letter : {kLetterX, -1, 26}) EXPECT_TRUE(CountryTexts(letter).isEmpty()) << letter;
}

TEST(CountryList, EntryForCodePreselectsTheFirstEntryWithThatCode) {
  struct Row {
    int code;
    const char* text;
    TCountryPosition position;
  };
  // clang-format off
  const Row rows[] = {
      {968, "Oman(PAL-B/G)", {kLetterO, 0}}, {972, "Israel [Gvanim](PAL-B/G)", {kLetterI, 7}},
      {36, "Hungary2(PAL-D/K)", {kLetterH, 4}},  // not the first Hungary entry
      {999, "Afghanistan(PAL-B/G)", {0, 0}},     // no entry has it
      {0, "Afghanistan(PAL-B/G)", {0, 0}}, {-5, "Afghanistan(PAL-B/G)", {0, 0}},
      {1, "U.S.A.(NTSC-M)", {kLetterU, 0}}, {7, "Russia(SECAM-D/K)", {LetterOf('R'), 2}},
      {48, "Poland 1(PAL-D/K)", {LetterOf('P'), 7}},
      {42, "Czech Republic(PAL-D/K)", {LetterOf('C'), 14}},
      {260, "Zambia(PAL-B/G)", {LetterOf('Z'), 0}},
  };
  // clang-format on
  for (const Row& row : rows) {
    const TCountryPosition position = EntryForCode(row.code);
    EXPECT_EQ(position, row.position) << row.code;
    EXPECT_EQ(CountryEntry(position.Letter, position.Position).Text, row.text) << row.code;
  }
}

TEST(CountryList, LettersWithUniqueTextsWhoseCodesLeadBackAndWhoseTablesAllExist) {
  EXPECT_EQ(CountryLetters().join(""), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  const int counts[kLetterCount] = {11, 12, 16, 2, 7, 5,  9, 6, 12, 2, 5, 10, 14,
                                    10, 1,  11, 1, 5, 20, 8, 8, 3,  2, 0, 2,  1};
  QSet<QString> seen;  // unique texts, each under its own letter
  std::map<int, int> uses;
  std::set<int> tables;
  for (int letter = 0; letter < kLetterCount; ++letter) {
    EXPECT_EQ(CountryTexts(letter).size(), counts[letter]) << char('A' + letter);
    for (int position = 0; position < CountryTexts(letter).size(); ++position) {
      const TTuningEntry entry = CountryEntry(letter, position);
      SCOPED_TRACE(entry.Text.toStdString());
      EXPECT_EQ(entry.Text, CountryTexts(letter)[position]);
      EXPECT_EQ(entry.Text.front().toUpper(), QChar('A' + letter));
      EXPECT_FALSE(seen.contains(entry.Text));
      seen.insert(entry.Text);
      const TCountryPosition found = EntryForCode(entry.CountryCode);
      EXPECT_EQ(CountryEntry(found.Letter, found.Position).CountryCode, entry.CountryCode);
      EXPECT_LT(entry.Standard, 10);
      ++uses[entry.CountryCode];
      tables.insert(entry.TableIndex);
    }
  }
  EXPECT_EQ(seen.size(), kCountryEntryCount);
  EXPECT_EQ(seen.size(), 183);
  std::erase_if(uses, [](const auto& use) { return use.second == 1; });
  const std::map<int, int> shared = {{42, 2}, {20, 2}, {36, 3}, {972, 4}, {371, 2}, {961, 2},
                                     {31, 2}, {48, 3}, {40, 2}, {7, 2},   {1, 3}};
  EXPECT_EQ(uses, shared);
  for (int position = 0; position < kTVSystemCount; ++position)
    tables.insert(TVSystemEntry(position).TableIndex);
  EXPECT_EQ(int(tables.size()), kTableCount);
  EXPECT_EQ(*tables.rbegin(), kTableCount - 1);
}
