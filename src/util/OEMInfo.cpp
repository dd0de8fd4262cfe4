#include "util/OEMInfo.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include "platform/ProgramFolder.h"
#include "util/StandardOptions.h"

namespace pvx::util {
namespace {
constexpr int kTextLines = 6;
}

TOEMInfo::TOEMInfo() : TOEMInfo(platform::DataFile("PInfo.cfg")) {}

TOEMInfo::TOEMInfo(const QString& infoFile) {
  // Numbers only, so it reads the same in every language.
  VersionText = QStringLiteral("%1 (%2)").arg(QLatin1String(VersionNumber()), QLatin1String(BuildDate()));
  HasTitleBitmap = QFileInfo(platform::ProgramFolder() + "QTitle.bmp").isFile();
  if (!infoFile.isEmpty()) Load(infoFile);
}

void TOEMInfo::Load(const QString& infoFile) {
  QFile file(infoFile);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return;
  QTextStream stream(&file);
  stream.setEncoding(QStringConverter::Utf8);
  QStringList lines;
  while (!stream.atEnd()) lines << stream.readLine();
  if (lines.size() < kTextLines) return;
  QString* texts[kTextLines] = {&ProductName, &MakerName,  &RightsText,
                                &VersionText, &WebAddress, &MailAddress};
  for (int i = 0; i < kTextLines; ++i) *texts[i] = lines[i];
  for (int i = 0; i < 4 && kTextLines + i < lines.size(); ++i) DeviceNames[i] = lines[kTextLines + i];
}

}  // namespace pvx::util
