#include <gtest/gtest.h>

#include <set>

#include "settings/ChannelInfo.h"
#include "support/TestEnvironment.h"
#include "tuning/CountryList.h"
#include "tuning/FrequencyTable.h"
#include "tuning/TVStandard.h"
#include "tuning/TVSystemList.h"

using namespace pvx::tuning;

namespace {

constexpr int kLetterX = 23;

int LetterOf(char c) { return c - 'A'; }

// "text table standard code", a country or TV system entry on one line.
QString Show(const TTuningEntry& e) {
  return QStringLiteral("%1 %2 %3 %4").arg(e.Text).arg(e.TableIndex).arg(e.Standard).arg(e.CountryCode);
}

}  // namespace

TEST(CountryList, PositionsOutsideTheListGiveTheDefaultChoiceAndACodeItsFirstEntry) {
  const std::pair<int, int> outside[] = {{kLetterX, 0}, {LetterOf('O'), 1}, {LetterOf('A'), -1},
                                         {-1, 0},       {kLetterCount, 0},  {0, 11}};
  for (const auto& [letter, position] : outside)
    EXPECT_EQ(Show(CountryEntry(letter, position)), " 0 0 1") << letter << " " << position;
  for (int letter : {kLetterX, -1, 26}) EXPECT_TRUE(CountryTexts(letter).isEmpty()) << letter;

  // A code preselects the first entry with that code.
  // Hungary2 is not the first Hungary entry; 999, 0 and -5 have no entry.
  // clang-format off
  const std::pair<int, const char*> rows[] = {
      {968, "O0 Oman(PAL-B/G)"}, {972, "I7 Israel [Gvanim](PAL-B/G)"}, {36, "H4 Hungary2(PAL-D/K)"},
      {999, "A0 Afghanistan(PAL-B/G)"}, {0, "A0 Afghanistan(PAL-B/G)"}, {1, "U0 U.S.A.(NTSC-M)"},
      {-5, "A0 Afghanistan(PAL-B/G)"}, {7, "R2 Russia(SECAM-D/K)"}, {48, "P7 Poland 1(PAL-D/K)"},
      {42, "C14 Czech Republic(PAL-D/K)"}, {260, "Z0 Zambia(PAL-B/G)"}};
  // clang-format on
  for (const auto& [code, expected] : rows) {
    const auto [letter, at] = EntryForCode(code);
    EXPECT_EQ(QChar('A' + letter) + QString::number(at) + " " + CountryEntry(letter, at).Text, expected)
        << code;
  }
}

// The entries follow their TV system unless they have a table of their own; every table is used.
TEST(CountryList, EntriesFollowTheirTVSystemUnlessTheyHaveATableOfTheirOwn) {
  EXPECT_EQ(CountryLetters().join(""), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  QStringList all;  // "letter position text table standard code"
  std::set<int> tables;
  for (int letter = 0; letter < kLetterCount; ++letter) {
    for (int position = 0; position < CountryTexts(letter).size(); ++position) {
      all << QChar('A' + letter) + QString::number(position) + " " + Show(CountryEntry(letter, position));
      tables.insert(CountryEntry(letter, position).TableIndex);
    }
  }
  EXPECT_EQ(all.size(), kCountryEntryCount);
  // One entry of each TV system and one without; from Australia on, ones with a table of their own.
  const char* table =
      "H0 Haiti(NTSC-M) 0 0 509|A3 Andorra 0 0 376|O0 Oman(PAL-B/G) 3 2 968|J0 Japan(NTSC-J) 7 1 81|"
      "R1 Romania(PAL-D/K) 4 3 40|H2 Hong Kong(PAL-I) 5 4 852|B8 Brazil(PAL-M) 0 5 55|"
      "B6 Bolivia(PAL-N) 0 6 591|E2 Egypt(SECAM-B/G) 3 7 20|C15 Czech Republic(SECAM-D/K) 4 8 42|"
      "F4 France(SECAM-L) 6 9 33|A8 Australia(PAL-B/G) 22 2 61|C6 China(PAL-D/K) 8 3 86|"
      "H4 Hungary2(PAL-D/K) 23 3 36|I7 Israel [Gvanim](PAL-B/G) 12 2 972|R2 Russia(SECAM-D/K) 21 8 7|"
      "R3 Russia Moscow(SECAM-D/K) 24 8 7|U4 Ukraine(SECAM-D/K) 21 8 380|U1 U.S.A.(HRC)(NTSC-M) 1 0 1|"
      "U2 U.S.A.(IRC)(NTSC-M) 2 0 1";
  for (const QString& row : QString(table).split('|')) EXPECT_TRUE(all.contains(row)) << row.toStdString();
  for (int position = 0; position < kTVSystemCount; ++position)
    tables.insert(TVSystemEntry(position).TableIndex);
  EXPECT_EQ(QList<int>({int(tables.size()), *tables.rbegin(), kTableCount}), QList<int>({25, 24, 25}));
}

// A country's plan: its table's frequencies as defaults, the channels with one valid, its
// standard and code; what a scan found before is forgotten but the names stay. Nothing changes when
// the table cannot be read.
TEST(CountryList, ACountryPlanTakesItsTableAndStandardAndMarksTheChannelsWithAFrequency) {
  pvx::settings::TChannelInfo channels;
  for (int n = 1; n <= kChannelCount; ++n)
    *channels.ChannelRecord(true, n) = {.Found = true, .AudioMode = 3, .Name = "kept", .Name2 = ""};
  ASSERT_TRUE(LoadCountryPlan(channels, 7));  // Russia: table 21, SECAM-D/K
  EXPECT_EQ(QList<int>({channels.TableIndex(), channels.Standard(), channels.CountryCode()}),
            QList<int>({21, 8, 7}));
  TFrequencyBlock antenna{}, cable{};
  ASSERT_TRUE(LoadFrequencyTable(21, antenna, cable));
  for (int n = 1; n <= kChannelCount; ++n) {
    const auto &a = *channels.ChannelRecord(false, n), &c = *channels.ChannelRecord(true, n);
    ASSERT_EQ(QList<qint64>({a.Frequency, a.Valid, a.Standard, c.Frequency, c.DefaultFrequency, c.Valid,
                             c.Standard, c.Found, c.AudioMode, c.Name == "kept"}),
              QList<qint64>({antenna[n], antenna[n] != 0, 8, cable[n], cable[n], cable[n] != 0, 8, 0, 0, 1}))
        << n;
  }
  pvx::test::WriteFile(pvx::test::Home() + "TVTable.tbl", "short");
  EXPECT_FALSE(LoadCountryPlan(channels, 1) || channels.TableIndex() != 21);
}

TEST(TVSystemList, EntriesInListOrderTheDefaultChoiceOutsideItAndTheTunerStandardsBothWays) {
  const char* table =
      "NTSC 0 0 1|NTSC_J 7 1 81|PAL_BG 3 2 49|PAL_DK 4 3 86|PAL_I 5 4 44|PAL_M 0 5 55|PAL_N 0 6 591|"
      "SECAM_BG 3 7 20|SECAM_DK 4 8 242|SECAM_L 6 9 33|PAL/SECAM 21 8 36";
  const QStringList systems = QString(table).split('|');
  QStringList shown, texts;
  for (int position = 0; position < kTVSystemCount; ++position)
    shown << Show(TVSystemEntry(position)), texts << systems.value(position).section(' ', 0, 0);
  EXPECT_TRUE(shown == systems && TVSystemTexts() == texts) << shown.join('|').toStdString();
  // 11 is also what the channel object stores for "chosen by country".
  for (int position : {-1, 11, 12, 255})
    EXPECT_EQ(Show(TVSystemEntry(position)), " 0 0 1") << position;

  // The tuner's standards and the standard indexes, both ways.
  // clang-format off
  const std::pair<int, int> rows[] = {
      {0x1, 0},    {0x2, 1},    {0x10, 2},   {0x20, 3},     {0x100, 4},   {0x200, 5},
      {0x400, 6},  {0x1000, 7}, {0x4000, 7}, {0x2000, 8},   {0x10000, 8}, {0x40000, 9},
      // No index: other single standards, combinations and nothing.
      {0x4, 11},   {0x80, 11},  {0x800, 11}, {0x80000, 11}, {0x11, 11},   {0, 11}, {-1, 11},
  };
  // clang-format on
  int next = 0;  // the first standard of each index is the one the index stands for
  for (const auto& [standard, index] : rows) {
    EXPECT_EQ(StandardIndexOf(standard), index) << std::hex << standard;
    EXPECT_TRUE(index != next || TunerStandardOf(next++) == standard) << index;
  }
  EXPECT_EQ(next, kStandardCount);
  EXPECT_EQ(StandardIndexOf(AnalogVideo_SECAM_K), StandardIndexOf(AnalogVideo_SECAM_D));
  EXPECT_EQ(StandardIndexOf(TunerStandardOf(kNoStandardIndex)), kNoStandardIndex);
  for (int index : {-1, 10, 11, 255}) EXPECT_EQ(TunerStandardOf(index), AnalogVideo_None) << index;
}
