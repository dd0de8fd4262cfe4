// mktvtable <channel-plans.json> <TVTable.tbl>: writes the installed frequency table file from
// the channel plans. The old file stays in place when anything fails.

#include <QFile>
#include <QSaveFile>
#include <QTextStream>

#include "mktvtable/TVTableBuilder.h"

int main(int argc, char** argv) {
  QTextStream err(stderr);
  if (argc != 3) {
    err << "usage: mktvtable <channel-plans.json> <TVTable.tbl>\n";
    return 2;
  }
  const QString inPath = QString::fromLocal8Bit(argv[1]);
  const QString outPath = QString::fromLocal8Bit(argv[2]);

  QFile in(inPath);
  if (!in.open(QIODevice::ReadOnly)) {
    err << "mktvtable: cannot read " << inPath << ": " << in.errorString() << "\n";
    return 1;
  }
  QByteArray table;
  QString error;
  if (!pvx::tools::BuildTVTable(in.readAll(), table, error)) {
    err << "mktvtable: " << inPath << ": " << error << "\n";
    return 1;
  }
  QSaveFile out(outPath);
  if (!out.open(QIODevice::WriteOnly) || out.write(table) != table.size() || !out.commit()) {
    err << "mktvtable: cannot write " << outPath << ": " << out.errorString() << "\n";
    return 1;
  }
  return 0;
}
