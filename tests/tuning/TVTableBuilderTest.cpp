// The generator of TVTable.tbl: layout of what it writes and refusal of broken plans.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>
#include <functional>

#include "mktvtable/TVTableBuilder.h"
#include "tuning/FrequencyTable.h"

using namespace pvx;
using namespace pvx::tuning;

namespace {

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

quint32 Value(const QByteArray& bytes, int table, bool cable, int slot) {
  return qFromLittleEndian<quint32>(bytes.constData() + table * kTableRecordSize +
                                    (cable ? kBlockSize : 0) + 4 * slot);
}

}  // namespace

TEST(TVTableBuilder, WritesEveryTableByIndexAsAntennaThenCableInTenKilohertzUnits) {
  QJsonArray reversed;  // the order in the file follows the index, not the list
  for (const QJsonValue& table : ValidTables()) reversed.prepend(table);
  const QByteArray bytes = Built(Plans(reversed));
  for (int k = 0; k < kTableCount; ++k)  // then antenna 0 and 160, cable 1 and 161 are empty
    EXPECT_EQ(QList<quint32>({Value(bytes, k, false, 1), Value(bytes, k, true, 160),
                              Value(bytes, k, false, 0), Value(bytes, k, false, 160),
                              Value(bytes, k, true, 1), Value(bytes, k, true, 161)}),
              QList<quint32>({quint32((k + 1) * 100), 50000, 0, 0, 0, 0}))
        << k;
  EXPECT_EQ(bytes.mid(4, 4), QByteArray("\x64\x00\x00\x00", 4)) << "little-endian";
  // A table that reuses another may leave its blocks out.
  const QByteArray reusing = Built(PlansWith(9, [](QJsonObject& t) {
    t = {{"index", 9}, {"reuses_table", 3}};
  }));
  EXPECT_EQ(reusing.mid(9 * kTableRecordSize, kTableRecordSize),
            reusing.mid(3 * kTableRecordSize, kTableRecordSize));
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
