#pragma once
// Translated captions and hints. Language/Lang.cfg lists the language files; each .lng file
// (UTF-8) holds one or more languages; one language is active at a time.

#include <QString>
#include <QStringList>

namespace pvx::settings {

class TMultiLangInfo {
 public:
  // Loads the languages named by the list file and activates the first one, if any.
  explicit TMultiLangInfo(const QString& listPath);

  // Activates a language by name, ignoring case. An unknown name clears LanguageName and keeps
  // the previous entries; nothing happens when no language was loaded.
  void SetLanguage(const QString& name);

  // The caption and hint of a key ("caption@hint"); true when the caption is not empty.
  bool Lookup(const QString& key, QString* caption, QString* hint = nullptr) const;
  // The caption alone; empty when not found.
  QString LookupCaption(const QString& key) const;

  QStringList Languages;
  QStringList AllEntries;     // "<position>^<entry line>"
  QStringList ActiveEntries;  // entry lines of the active language
  QString LanguageName;
  int LanguageIndex = -1;
  int FontCharset = 1;
  int FontSize = 8;

 private:
  void LoadLanguages(const QString& listPath);
  void SelectEntries(int position);
};

// The language list file of the installation: Language/Lang.cfg from the data folders
// (empty when none is installed).
QString LanguageListPath();

}  // namespace pvx::settings
