#include "settings/Globals.h"

#include "settings/MultiLangInfo.h"

namespace pvx::settings {

TMultiLangInfo* MultiLangInfo = nullptr;

QString LanguageText(const char* key, const QString& fallback) {
  QString caption;
  if (MultiLangInfo && MultiLangInfo->Lookup(QLatin1String(key), &caption)) return caption;
  return fallback;
}

QLocale LanguageLocale() {
  const QString name = LanguageText("Locale", {});
  return name.isEmpty() ? QLocale::system() : QLocale(name);
}

}  // namespace pvx::settings
