#pragma once
// The language of the run, which every window's texts come from. Start-up sets it before the
// first window and clears it after the last; nullptr outside that window (built-in texts).

#include <QLocale>
#include <QString>

namespace pvx::settings {

class TMultiLangInfo;

extern TMultiLangInfo* MultiLangInfo;

// The caption of `key` in the language of the run, else `fallback`.
QString LanguageText(const char* key, const QString& fallback);
// The locale the language names for its dates and numbers ("Locale=de_DE"), else the system's.
QLocale LanguageLocale();

}  // namespace pvx::settings
