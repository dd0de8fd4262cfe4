// The generator of TVTable.tbl: layout of what it writes and refusal of broken plans.

#include "mktvtable/TVTableBuilder.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>
#include <functional>

#include "tuning/FrequencyTable.h"

using namespace pvx;
using namespace pvx::tuning;

namespace {

// 25 tables; table k has antenna slot 1 = (k + 1) * 1000 kHz and cable slot 160 = 500000 kHz.
QJsonArray ValidTables() {
  QJsonArray tables;
  for (int k = 0; k < kTableCount; ++k) {
    tables.append(QJsonObject{
        {"index", k},
        {"reuses_table", QJsonValue::Null},
        {"antenna", QJsonObject{{"1", (k + 1) * 1000}}},
        {"cable", QJsonObject{{"160", 500000}}},
    });
  }
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
  tables[index] = table;
  return Plans(tables);
}

quint32 Value(const QByteArray& bytes, int table, bool cable, int slot) {
  return qFromLittleEndian<quint32>(bytes.constData() + table * kTableRecordSize +
                                    (cable ? kBlockSize : 0) + 4 * slot);
}

}  // namespace

TEST(TVTableBuilder, WritesEveryTableAsAntennaThenCableInTenKilohertzUnits) {
  QByteArray bytes;
  QString error;
  ASSERT_TRUE(tools::BuildTVTable(Plans(ValidTables()), bytes, error)) << error.toStdString();
  ASSERT_EQ(bytes.size(), kTableCount * kTableRecordSize);
  for (int k = 0; k < kTableCount; ++k) {
    EXPECT_EQ(Value(bytes, k, false, 1), quint32((k + 1) * 100));
    EXPECT_EQ(Value(bytes, k, true, 160), 50000u);
    EXPECT_EQ(Value(bytes, k, false, 0), 0u);
    EXPECT_EQ(Value(bytes, k, false, 160), 0u);
    EXPECT_EQ(Value(bytes, k, true, 1), 0u);
    EXPECT_EQ(Value(bytes, k, true, 161), 0u);
  }
  // Little-endian, least significant byte first.
  EXPECT_EQ(bytes.mid(4, 4), QByteArray("\x64\x00\x00\x00", 4));
}

TEST(TVTableBuilder, TableOrderInTheFileFollowsTheIndexNotTheListOrder) {
  QJsonArray tables = ValidTables();
  QJsonArray reversed;
  for (int k = kTableCount - 1; k >= 0; --k) reversed.append(tables[k]);
  QByteArray bytes;
  QString error;
  ASSERT_TRUE(tools::BuildTVTable(Plans(reversed), bytes, error));
  EXPECT_EQ(Value(bytes, 0, false, 1), 100u);
  EXPECT_EQ(Value(bytes, 24, false, 1), 2500u);
}

TEST(TVTableBuilder, ATableThatReusesAnotherMayLeaveItsBlocksOut) {
  const QByteArray plans = PlansWith(9, [](QJsonObject& t) {
    t["reuses_table"] = 3;
    t.remove("antenna");
    t.remove("cable");
  });
  QByteArray bytes;
  QString error;
  ASSERT_TRUE(tools::BuildTVTable(plans, bytes, error)) << error.toStdString();
  EXPECT_EQ(bytes.mid(9 * kTableRecordSize, kTableRecordSize),
            bytes.mid(3 * kTableRecordSize, kTableRecordSize));
}

TEST(TVTableBuilder, RefusesBrokenPlans) {
  struct Row {
    const char* what;
    QByteArray plans;
    const char* error;
  };
  QJsonArray twice = ValidTables();
  twice.append(twice[4]);
  QJsonArray missing = ValidTables();
  missing.removeAt(17);
  const Row rows[] = {
      {"not JSON", "{tables", "not JSON"},
      {"no tables", "{}", "no \"tables\" list"},
      {"table missing", Plans(missing), "table 17 is missing"},
      {"table twice", Plans(twice), "table 4 is listed twice"},
      {"index out of range", PlansWith(2, [](QJsonObject& t) { t["index"] = 25; }),
       "a table index is not 0..24"},
      {"slot 0", PlansWith(5, [](QJsonObject& t) { t["antenna"] = QJsonObject{{"0", 1000}}; }),
       "table 5 antenna: slot \"0\" is not 1..160"},
      {"slot 161", PlansWith(5, [](QJsonObject& t) { t["cable"] = QJsonObject{{"161", 1000}}; }),
       "table 5 cable: slot \"161\" is not 1..160"},
      {"slot not a number",
       PlansWith(5, [](QJsonObject& t) { t["cable"] = QJsonObject{{"S1", 1000}}; }),
       "table 5 cable: slot \"S1\" is not 1..160"},
      {"not a 10 kHz step",
       PlansWith(6, [](QJsonObject& t) { t["antenna"] = QJsonObject{{"2", 55255}}; }),
       "table 6 antenna: slot 2 is not a positive whole number of kHz divisible by 10"},
      {"text value",
       PlansWith(6, [](QJsonObject& t) { t["antenna"] = QJsonObject{{"2", "55250"}}; }),
       "table 6 antenna: slot 2 is not a positive whole number of kHz divisible by 10"},
      {"negative", PlansWith(6, [](QJsonObject& t) { t["antenna"] = QJsonObject{{"2", -10}}; }),
       "table 6 antenna: slot 2 is not a positive whole number of kHz divisible by 10"},
      {"too large",
       PlansWith(6, [](QJsonObject& t) { t["antenna"] = QJsonObject{{"2", 50000000000.0}}; }),
       "table 6 antenna: slot 2 is not a positive whole number of kHz divisible by 10"},
      {"block missing", PlansWith(8, [](QJsonObject& t) { t.remove("cable"); }),
       "table 8 cable: has no data"},
      {"reuses itself", PlansWith(8, [](QJsonObject& t) { t["reuses_table"] = 8; }),
       "table 8 reuses no valid table"},
      {"reused data differ", PlansWith(20, [](QJsonObject& t) { t["reuses_table"] = 15; }),
       "table 20 antenna: differs from table 15, which it reuses"},
  };
  for (const Row& row : rows) {
    QByteArray bytes = "old";
    QString error;
    EXPECT_FALSE(tools::BuildTVTable(row.plans, bytes, error)) << row.what;
    EXPECT_TRUE(bytes.isEmpty()) << row.what;
    EXPECT_TRUE(error.startsWith(row.error)) << row.what << ": " << error.toStdString();
  }
}
