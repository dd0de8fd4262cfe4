#include "mktvtable/TVTableBuilder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>
#include <array>
#include <limits>
#include <optional>

#include "tuning/FrequencyTable.h"

namespace pvx::tools {
namespace {

using tuning::kBlockValues;
using tuning::kChannelCount;
using tuning::kTableCount;

// Stored units (10 kHz) per slot; slot 0 and slots above 160 stay 0.
using Block = std::array<quint32, kBlockValues>;

struct PlanTable {
  std::optional<Block> antenna, cable;
  int reuses = -1;
};

QString Where(int table, const char* block) {
  return QStringLiteral("table %1 %2: ").arg(table).arg(QLatin1String(block));
}

bool ParseBlock(const QJsonValue& value, int table, const char* name, std::optional<Block>& out,
                QString& error) {
  if (value.isUndefined() || value.isNull()) return true;  // left out: taken from a reused table
  if (!value.isObject()) {
    error = Where(table, name) + "not an object";
    return false;
  }
  Block block{};
  const QJsonObject channels = value.toObject();
  for (auto it = channels.begin(); it != channels.end(); ++it) {
    bool ok = false;
    const int slot = it.key().toInt(&ok);
    if (!ok || QString::number(slot) != it.key() || slot < 1 || slot > kChannelCount) {
      error = Where(table, name) + "slot \"" + it.key() + "\" is not 1..160";
      return false;
    }
    const double khz = it.value().toDouble(-1);
    constexpr double kLargestKhz = 10.0 * std::numeric_limits<quint32>::max();
    if (!it.value().isDouble() || khz <= 0 || khz > kLargestKhz || khz != qint64(khz) ||
        qint64(khz) % 10 != 0) {
      error = Where(table, name) + "slot " + it.key() +
              " is not a positive whole number of kHz divisible by 10";
      return false;
    }
    block[slot] = quint32(qint64(khz) / 10);
  }
  out = block;
  return true;
}

bool ParsePlans(const QByteArray& json, std::array<PlanTable, kTableCount>& tables,
                QString& error) {
  QJsonParseError parseError;
  const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
  if (doc.isNull()) {
    error = "not JSON: " + parseError.errorString();
    return false;
  }
  const QJsonValue list = doc.object().value("tables");
  if (!list.isArray()) {
    error = "no \"tables\" list";
    return false;
  }
  std::array<bool, kTableCount> seen{};
  for (const QJsonValue& entry : list.toArray()) {
    const QJsonObject object = entry.toObject();
    const int index = object.value("index").toInt(-1);
    if (index < 0 || index >= kTableCount) {
      error = QStringLiteral("a table index is not 0..%1").arg(kTableCount - 1);
      return false;
    }
    if (seen[index]) {
      error = QStringLiteral("table %1 is listed twice").arg(index);
      return false;
    }
    seen[index] = true;
    PlanTable& table = tables[index];
    const QJsonValue reuses = object.value("reuses_table");
    if (!reuses.isUndefined() && !reuses.isNull()) {
      table.reuses = reuses.toInt(-1);
      if (table.reuses < 0 || table.reuses >= kTableCount || table.reuses == index) {
        error = QStringLiteral("table %1 reuses no valid table").arg(index);
        return false;
      }
    }
    if (!ParseBlock(object.value("antenna"), index, "antenna", table.antenna, error) ||
        !ParseBlock(object.value("cable"), index, "cable", table.cable, error))
      return false;
  }
  for (int index = 0; index < kTableCount; ++index) {
    if (!seen[index]) {
      error = QStringLiteral("table %1 is missing").arg(index);
      return false;
    }
  }
  return true;
}

// Follows reuse links to the block that holds data; nullopt when a chain is empty or circular.
std::optional<Block> Resolve(const std::array<PlanTable, kTableCount>& tables, int index,
                             std::optional<Block> PlanTable::*block) {
  for (int step = 0; step < kTableCount && index >= 0; ++step) {
    if (tables[index].*block) return tables[index].*block;
    index = tables[index].reuses;
  }
  return std::nullopt;
}

bool ResolveBlock(const std::array<PlanTable, kTableCount>& tables, int index,
                  std::optional<Block> PlanTable::*member, const char* name, Block& out,
                  QString& error) {
  const PlanTable& table = tables[index];
  const std::optional<Block> own = table.*member;
  const std::optional<Block> reused =
      table.reuses >= 0 ? Resolve(tables, table.reuses, member) : std::nullopt;
  if (own && reused && *own != *reused) {
    error = Where(index, name) + QStringLiteral("differs from table %1, which it reuses")
                                     .arg(table.reuses);
    return false;
  }
  if (!own && !reused) {
    error = Where(index, name) + "has no data";
    return false;
  }
  out = own ? *own : *reused;
  return true;
}

void AppendBlock(QByteArray& out, const Block& block) {
  for (quint32 value : block) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
  }
}

}  // namespace

bool BuildTVTable(const QByteArray& json, QByteArray& table, QString& error) {
  table.clear();
  std::array<PlanTable, kTableCount> tables;
  if (!ParsePlans(json, tables, error)) return false;
  QByteArray out;
  out.reserve(kTableCount * tuning::kTableRecordSize);
  for (int index = 0; index < kTableCount; ++index) {
    Block antenna{}, cable{};
    if (!ResolveBlock(tables, index, &PlanTable::antenna, "antenna", antenna, error) ||
        !ResolveBlock(tables, index, &PlanTable::cable, "cable", cable, error))
      return false;
    AppendBlock(out, antenna);
    AppendBlock(out, cable);
  }
  table = out;
  return true;
}

}  // namespace pvx::tools
