// The shipped data/TVTable.tbl: its layout, known carriers, and agreement with the plans it is
// generated from.

#include <gtest/gtest.h>

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
  void SetUp() override { ASSERT_EQ(bytes.size(), kTableCount * kTableRecordSize); }
  quint32 Value(int table, int block, int slot) const {
    return qFromLittleEndian<quint32>(bytes.constData() + qsizetype(table) * kTableRecordSize +
                                      block * kBlockSize + slot * 4);
  }
  QByteArray Record(int table) const {
    return bytes.mid(table * kTableRecordSize, kTableRecordSize);
  }
  const QByteArray bytes = test::ReadFile(test::SourceData() + "TVTable.tbl");
};

}  // namespace

TEST_F(ShippedTable, KnownCarriersInUnitsOfTenKilohertzAndZeroElsewhere) {
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
    EXPECT_EQ(Value(table, block, slot), value) << table << " " << block << " " << slot;
  for (int table = 0; table < kTableCount; ++table)  // unused values, slot 0 too, are zero
    for (int block : {kAntenna, kCable})
      for (int slot = kChannelCount + 1; slot <= kBlockValues; ++slot)
        ASSERT_EQ(Value(table, block, slot % kBlockValues), 0u) << table << " " << slot;
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
    const int index = entry["index"].toInt();
    for (int block : {kAntenna, kCable}) {
      const QJsonObject plan = entry[block == kAntenna ? "antenna" : "cable"].toObject();
      for (int slot = 1; slot <= kChannelCount; ++slot)
        ASSERT_EQ(qint64(Value(index, block, slot)) * 10, plan[QString::number(slot)].toInteger())
            << "table " << index << " block " << block << " slot " << slot;
    }
  }
}
