#pragma once
// The language of the run, which every window's texts come from. Start-up sets it before the
// first window and clears it after the last; nullptr outside that window (built-in texts).

#include <QString>

namespace pvx::settings {

class TMultiLangInfo;

extern TMultiLangInfo* MultiLangInfo;

// The caption of `key` in the language of the run, else `fallback`.
QString LanguageText(const char* key, const QString& fallback);

}  // namespace pvx::settings
