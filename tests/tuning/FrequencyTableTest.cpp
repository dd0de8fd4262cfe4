#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>
#include <functional>

#include "mktvtable/TVTableBuilder.h"
#include "support/FakeDialogService.h"
#include "support/TestEnvironment.h"
#include "tuning/FrequencyTable.h"

using namespace pvx;
using namespace pvx::tuning;

namespace {

const std::vector<QStringList> kError1007{
    {"Cannot load TV frequency table, please re-install application again..."}};

// Stored value of slot n of a block: distinct per record, block and slot, and spread over three
// bytes so that a wrong byte order shows, yet within the range that fits in hertz.
quint32 Units(int record, bool cable, int slot) {
  return 0x050000u + quint32(record) * 0x800u + (cable ? 0x400u : 0u) + quint32(slot);
}

// Slot 0 and the slots above 160 carry values too: they must be ignored.
QByteArray MakeTable(int records) {
  QByteArray bytes(records * kTableRecordSize, '\0');
  for (int record = 0; record < records; ++record)
    for (int half = 0; half < 2 * kBlockValues; ++half)
      qToLittleEndian(Units(record, half >= kBlockValues, half % kBlockValues),
                      bytes.data() + record * kTableRecordSize + 4 * half);
  return bytes;
}

// Value of a slot of a block of a table in a whole TVTable.tbl.
enum Block { kAntenna = 0, kCable = 1 };
quint32 Value(const QByteArray& bytes, int table, int block, int slot) {
  return qFromLittleEndian<quint32>(bytes.constData() + qsizetype(table) * kTableRecordSize +
                                    block * kBlockSize + slot * 4);
}

TFrequencyBlock Filled(quint32 value) {
  TFrequencyBlock block;
  return block.fill(value), block;
}

// The generator of TVTable.tbl: layout of what it writes and refusal of broken plans.

// 25 tables; table k has antenna slot 1 = (k + 1) * 1000 kHz and cable slot 160 = 500000 kHz.
QJsonArray ValidTables() {
  QJsonArray tables;
  for (int k = 0; k < kTableCount; ++k)
    tables.append(QJsonObject{{"index", k},
                              {"reuses_table", QJsonValue::Null},
                              {"antenna", QJsonObject{{"1", (k + 1) * 1000}}},
                              {"cable", QJsonObject{{"160", 500000}}}});
  return tables;
}

QByteArray Plans(const QJsonArray& tables) {
  return QJsonDocument(QJsonObject{{"tables", tables}}).toJson();
}

// The tables with one of them changed.
QByteArray PlansWith(int index, const std::function<void(QJsonObject&)>& change) {
  QJsonArray tables = ValidTables();
  QJsonObject table = tables[index].toObject();
  change(table);
  return tables[index] = table, Plans(tables);
}

// The tables with one block of one table holding a single slot.
QByteArray SlotPlans(int index, const char* block, const char* slot, const QJsonValue& khz) {
  return PlansWith(index, [&](QJsonObject& t) { t[block] = QJsonObject{{slot, khz}}; });
}

QByteArray Built(const QByteArray& plans) {
  QByteArray bytes;
  QString error;
  EXPECT_TRUE(tools::BuildTVTable(plans, bytes, error)) << error.toStdString();
  EXPECT_EQ(bytes.size(), kTableCount * kTableRecordSize);
  return bytes;
}

}  // namespace

// The table in the program folder comes before the shipped one (which the country plans read). A
// record cut short, beyond the end or negative, a missing file or no path shows 1007 and leaves
// both blocks as they were; a short table in the program folder is not passed over.
TEST(FrequencyTable, LoadsBothBlocksOfTheProgramFolderRecordInHertzAndAMissingOrIncompleteOneShows1007) {
  const QString path = test::Home() + "TVTable.tbl";
  QByteArray bytes = MakeTable(kTableCount);
  qToLittleEndian(quint32(429497), bytes.data() + 4 * 1);  // 4 294 970 000 Hz does not fit
  qToLittleEndian(quint32(429496), bytes.data() + 4 * 2);  // 4 294 960 000 Hz does
  test::WriteFile(path, bytes);
  for (int table : {0, 5, 24}) {
    TFrequencyBlock antenna = Filled(7), cable = Filled(7);
    ASSERT_TRUE(LoadFrequencyTable(table, antenna, cable));
    EXPECT_EQ(QList<quint32>({antenna[0], cable[0]}), QList<quint32>({0, 0}));
    for (int n = table == 0 ? 3 : 1; n <= kChannelCount; ++n) {
      ASSERT_EQ(antenna[n], Units(table, false, n) * 10000u) << table << " " << n;
      ASSERT_EQ(cable[n], Units(table, true, n) * 10000u) << table << " " << n;
    }
    if (table == 0) {
      EXPECT_EQ(QList<quint32>({antenna[1], antenna[2]}), QList<quint32>({0, 4294960000u}));
    }
  }
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
  QByteArray shortFile = MakeTable(3);
  shortFile.chop(4);  // record 2 loses its last value
  test::WriteFile(path, shortFile);
  const std::pair<QString, int> rows[] = {
      {test::Home() + "missing.tbl", 0}, {QString(), 0}, {path, 2}, {path, 7}, {path, -1}};
  for (const auto& [file, table] : rows) {
    SCOPED_TRACE(testing::Message() << file.toStdString() << " " << table);
    test::Dialogs().Warnings.clear();
    TFrequencyBlock antenna = Filled(11), cable = Filled(12);
    EXPECT_FALSE(file == path ? LoadFrequencyTable(table, antenna, cable)
                              : LoadFrequencyTable(file, table, antenna, cable));
    EXPECT_TRUE(antenna == Filled(11) && cable == Filled(12));
    EXPECT_EQ(test::Dialogs().Warnings, kError1007);
  }
  TFrequencyBlock antenna{}, cable{};  // the complete records before the cut still load
  EXPECT_TRUE(LoadFrequencyTable(1, antenna, cable));
}

// The shipped table is built from the plans (the builder's tests check how): these are the plans'
// known carriers.
TEST(ShippedTable, KnownCarriersAndZeroElsewhere) {
  const QByteArray bytes = test::ReadFile(test::SourceData() + "TVTable.tbl");
  ASSERT_EQ(bytes.size(), kTableCount * kTableRecordSize);
  // US 2 (55.25 MHz) and 69, none on 1; cable 1 and 95; HRC 95, not the 900 MHz
  // typo; E2, nothing between E12 and UHF 21, UHF 21; S41; R1; Ireland A; Japan 1; SK20;
  // Australia 0.
  // clang-format off
  const std::tuple<int, Block, int, quint32> rows[] = {
      {0, kAntenna, 2, 5525}, {0, kAntenna, 69, 80125}, {0, kAntenna, 1, 0}, {0, kCable, 1, 7325},
      {0, kCable, 95, 9125}, {1, kCable, 95, 9000}, {3, kAntenna, 2, 4825}, {3, kAntenna, 20, 0},
      {3, kAntenna, 21, 47125}, {3, kCable, 141, 46325}, {4, kAntenna, 1, 4975},
      {5, kAntenna, 1, 4575}, {6, kAntenna, 21, 47125}, {7, kAntenna, 1, 9125},
      {21, kCable, 120, 30325}, {22, kAntenna, 100, 4625}, {24, kAntenna, 69, 85525}};
  // clang-format on
  for (const auto& [table, block, slot, value] : rows)
    EXPECT_EQ(Value(bytes, table, block, slot), value) << table << " " << block << " " << slot;
  for (int table = 0; table < kTableCount; ++table)  // unused values, slot 0 too, are zero
    for (int block : {kAntenna, kCable})
      for (int slot = kChannelCount + 1; slot <= kBlockValues; ++slot)
        ASSERT_EQ(Value(bytes, table, block, slot % kBlockValues), 0u) << table << " " << slot;
}

// The file follows the table index, not the list order, with the values of both blocks in tens of
// kHz and nothing where the plan has no value; a table that reuses another may leave its blocks
// out and gets that one's record.
TEST(TVTableBuilder, WritesTheTablesByIndexAndARecordAReusingTableLeftOut) {
  QJsonArray reversed;
  for (const QJsonValue& table : ValidTables()) reversed.prepend(table);
  reversed[kTableCount - 1 - 9] = QJsonObject{{"index", 9}, {"reuses_table", 3}};
  const QByteArray bytes = Built(Plans(reversed));
  for (int k = 0; k < kTableCount; ++k)  // antenna slot 1 is (k + 1) MHz, cable 160 is 500 MHz
    EXPECT_EQ(QList<quint32>({Value(bytes, k, kAntenna, 1), Value(bytes, k, kCable, 160),
                              Value(bytes, k, kCable, 1)}),
              QList<quint32>({quint32(k == 9 ? 400 : (k + 1) * 100), 50000, 0}))
        << k;
  EXPECT_EQ(bytes.mid(9 * kTableRecordSize, kTableRecordSize),
            bytes.mid(3 * kTableRecordSize, kTableRecordSize));
}

TEST(TVTableBuilder, RefusesBrokenPlans) {
  QJsonArray twice = ValidTables(), missing = ValidTables();
  twice.append(twice[4]), missing.removeAt(17);
  const char* notKhz =
      "table 6 antenna: slot 2 is not a positive whole number of kHz divisible by 10";
  const auto khz = [](const QJsonValue& value) { return SlotPlans(6, "antenna", "2", value); };
  // clang-format off
  const std::pair<QByteArray, const char*> rows[] = {
      {"{tables", "not JSON"}, {"{}", "no \"tables\" list"},
      {Plans(missing), "table 17 is missing"}, {Plans(twice), "table 4 is listed twice"},
      {PlansWith(2, [](QJsonObject& t) { t["index"] = 25; }), "a table index is not 0..24"},
      {SlotPlans(5, "antenna", "0", 1000), "table 5 antenna: slot \"0\" is not 1..160"},
      {SlotPlans(5, "cable", "161", 1000), "table 5 cable: slot \"161\" is not 1..160"},
      {SlotPlans(5, "cable", "S1", 1000), "table 5 cable: slot \"S1\" is not 1..160"},
      {khz(55255), notKhz}, {khz("55250"), notKhz}, {khz(-10), notKhz}, {khz(5e10), notKhz},
      {PlansWith(8, [](QJsonObject& t) { t.remove("cable"); }), "table 8 cable: has no data"},
      {PlansWith(8, [](QJsonObject& t) { t["reuses_table"] = 8; }), "table 8 reuses no valid"},
      {PlansWith(20, [](QJsonObject& t) { t["reuses_table"] = 15; }),
       "table 20 antenna: differs from table 15, which it reuses"}};
  // clang-format on
  for (const auto& [plans, expected] : rows) {
    QByteArray bytes = "old";
    QString error;
    EXPECT_FALSE(tools::BuildTVTable(plans, bytes, error) || !bytes.isEmpty()) << expected;
    EXPECT_TRUE(error.startsWith(expected)) << error.toStdString();
  }
}
