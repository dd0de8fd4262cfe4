// The shipped data/TVTable.tbl: its layout, known carriers, and agreement with the plans it is
// generated from.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

#include "support/TestEnvironment.h"
#include "tuning/FrequencyTable.h"

using namespace pvx;
using namespace pvx::tuning;

namespace {

enum Block { kAntenna = 0, kCable = 1 };

class ShippedTable : public ::testing::Test {
 protected:
  void SetUp() override {
    bytes = test::ReadFile(test::SourceData() + "TVTable.tbl");
    ASSERT_EQ(bytes.size(), kTableCount * kTableRecordSize);
  }
  quint32 Value(int table, Block block, int slot) const {
    const qsizetype offset = qsizetype(table) * kTableRecordSize + block * kBlockSize + slot * 4;
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
  }
  QByteArray Record(int table) const {
    return bytes.mid(qsizetype(table) * kTableRecordSize, kTableRecordSize);
  }
  QByteArray bytes;
};

}  // namespace

TEST_F(ShippedTable, KnownCarriersInUnitsOfTenKilohertzAndZeroElsewhere) {
  struct Row {
    int table;
    Block block;
    int slot;
    quint32 value;
  };
  // clang-format off
  const Row rows[] = {
      {0, kAntenna, 2, 5525},   {0, kAntenna, 69, 80125},  // US channels 2 (55.25 MHz) and 69
      {0, kCable, 1, 7325},     {0, kCable, 95, 9125},     // cable 1, cable 95
      {1, kCable, 95, 9000},                               // HRC 95, not the 900 MHz typo
      {3, kAntenna, 2, 4825},   {3, kAntenna, 21, 47125},  // E2, UHF 21
      {3, kCable, 141, 46325},  {4, kAntenna, 1, 4975},    // S41, R1
      {5, kAntenna, 1, 4575},   {6, kAntenna, 21, 47125},  // Ireland A
      {7, kAntenna, 1, 9125},   {21, kCable, 120, 30325},  // Japan 1, SK20
      {22, kAntenna, 100, 4625}, {24, kAntenna, 69, 85525},  // Australia 0
  };
  // clang-format on
  for (const Row& row : rows)
    EXPECT_EQ(Value(row.table, row.block, row.slot), row.value)
        << "table " << row.table << " block " << row.block << " slot " << row.slot;
  // Unused values are zero.
  for (int table = 0; table < kTableCount; ++table) {
    for (Block block : {kAntenna, kCable}) {
      EXPECT_EQ(Value(table, block, 0), 0u) << table;
      for (int slot = kChannelCount + 1; slot < kBlockValues; ++slot)
        ASSERT_EQ(Value(table, block, slot), 0u) << table << " " << slot;
    }
  }
  EXPECT_EQ(Value(0, kAntenna, 1), 0u);   // US broadcast has no channel 1
  EXPECT_EQ(Value(3, kAntenna, 20), 0u);  // nothing between E12 and UHF 21
}

TEST_F(ShippedTable, TablesWithoutAPlanOfTheirOwnRepeatTheirModel) {
  const std::pair<int, int> reuses[] = {{9, 3},   {10, 3},  {11, 3},  {12, 3},  {13, 3},  {14, 3},
                                        {16, 15}, {17, 21}, {20, 15}, {23, 16}, {24, 21}, {4, 21}};
  for (const auto& [table, model] : reuses) EXPECT_EQ(Record(table), Record(model)) << table;
  EXPECT_NE(Record(18), Record(15));
  EXPECT_NE(Record(0), Record(1));
}

TEST_F(ShippedTable, MatchesTheChannelPlans) {
  const QJsonDocument plans =
      QJsonDocument::fromJson(test::ReadFile(test::SourceData() + "channel-plans.json"));
  const QJsonArray tables = plans.object().value("tables").toArray();
  ASSERT_EQ(tables.size(), kTableCount);
  for (const QJsonValue& entry : tables) {
    const QJsonObject table = entry.toObject();
    const int index = table.value("index").toInt();
    for (Block block : {kAntenna, kCable}) {
      const QJsonObject channels = table.value(block == kAntenna ? "antenna" : "cable").toObject();
      for (int slot = 1; slot <= kChannelCount; ++slot) {
        const qint64 khz = channels.value(QString::number(slot)).toInteger(0);
        ASSERT_EQ(Value(index, block, slot), quint32(khz / 10))
            << "table " << index << " block " << block << " slot " << slot;
      }
    }
  }
}
