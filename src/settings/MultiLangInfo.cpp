#include "settings/MultiLangInfo.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include "platform/ProgramFolder.h"

namespace pvx::settings {
namespace {

const QString kLanguageTag = QStringLiteral("[language]=");

QStringList ReadLines(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
  QTextStream stream(&file);
  stream.setEncoding(QStringConverter::Utf8);
  QStringList lines;
  while (!stream.atEnd()) lines << stream.readLine();
  return lines;
}

struct FontRule {
  const char* name;
  int charset;
  int size;
};
// Compared by exact name: a language chosen as "chinese" keeps the default font values.
constexpr FontRule kFontRules[] = {
    {"Chinese", 136, 9}, {"Chinese(simplified)", 134, 9}, {"Japanese", 128, 8}, {"Korean", 129, 8}};

}  // namespace

QString LanguageListPath() { return platform::DataFile("Language/Lang.cfg"); }

TMultiLangInfo::TMultiLangInfo(const QString& listPath) {
  LoadLanguages(listPath);
  if (!Languages.isEmpty()) {
    LanguageIndex = 0;
    LanguageName = Languages.first();
    SelectEntries(0);
  }
}

void TMultiLangInfo::LoadLanguages(const QString& listPath) {
  if (listPath.isEmpty() || !QFileInfo(listPath).isFile()) return;
  const QString folder = QFileInfo(listPath).absolutePath() + "/";
  int counter = -1;  // shared by all files: entries at a file's top belong to the last language
  for (const QString& rawName : ReadLines(listPath)) {
    const QString name = rawName.trimmed();
    if (name.isEmpty()) continue;
    for (const QString& raw : ReadLines(folder + name + ".lng")) {
      const QString line = raw.trimmed();
      if (line.isEmpty() || line.startsWith('#')) continue;
      if (line.startsWith(kLanguageTag)) {
        ++counter;
        Languages << line.mid(kLanguageTag.size());
      } else if (counter >= 0) {
        AllEntries << QString::number(counter) + "^" + line;
      }
    }
  }
}

void TMultiLangInfo::SelectEntries(int position) {
  ActiveEntries.clear();
  const QString prefix = QString::number(position) + "^";
  for (const QString& entry : AllEntries) {
    if (entry.startsWith(prefix)) ActiveEntries << entry.mid(prefix.size());
  }
}

void TMultiLangInfo::SetLanguage(const QString& name) {
  if (Languages.isEmpty()) return;
  LanguageIndex = -1;
  for (int i = 0; i < Languages.size(); ++i) {
    if (Languages[i].compare(name, Qt::CaseInsensitive) == 0) {
      LanguageIndex = i;
      break;
    }
  }
  if (LanguageIndex < 0) {
    LanguageName.clear();
    return;
  }
  LanguageName = name;
  FontCharset = 1;
  FontSize = 8;
  for (const FontRule& rule : kFontRules) {
    if (name == QLatin1String(rule.name)) {
      FontCharset = rule.charset;
      FontSize = rule.size;
    }
  }
  SelectEntries(LanguageIndex);
}

bool TMultiLangInfo::Lookup(const QString& key, QString* caption, QString* hint) const {
  if (caption) caption->clear();
  if (hint) hint->clear();
  const QString prefix = key + "=";
  for (const QString& line : ActiveEntries) {
    if (!line.startsWith(prefix)) continue;
    const QString value = line.mid(prefix.size());
    const qsizetype at = value.indexOf('@');
    const QString text = at < 0 ? value : value.left(at);
    if (caption) *caption = text;
    if (hint && at >= 0) *hint = value.mid(at + 1);
    return !text.isEmpty();
  }
  return false;
}

QString TMultiLangInfo::LookupCaption(const QString& key) const {
  QString caption;
  Lookup(key, &caption);
  return caption;
}

}  // namespace pvx::settings
