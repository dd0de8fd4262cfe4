#include "Wording.h"

#include <QRegularExpression>

#include "settings/Globals.h"

namespace pvx::scheduled {

namespace {

QStringList ShownList(std::initializer_list<const char*> keys, const QStringList& english) {
  QStringList shown;
  int i = 0;
  for (const char* key : keys) shown << Shown(key, english.value(i++));
  return shown;
}

}  // namespace

QString Shown(const char* key, const QString& english) { return settings::LanguageText(key, english); }

QString ShownPlain(const char* key, const QString& english) {
  static const QRegularExpression mark(QStringLiteral("\\(&\\w\\)|&(?=.)"));
  return Shown(key, english).remove(mark);
}

QStringList ShownRepeatNames() { return ShownList({"SchedOnce", "SchedDaily", "SchedWeekly"}, RepeatNames()); }

QStringList ShownSourceNames() {
  return ShownList({"SchedAntenna", "SchedCable", "SchedMemory", "SchedComposite", "SchedSVideo", "SchedFMRadio"},
                   SourceNames());
}

QStringList ShownQualityNames() {
  return ShownList({"Fastest", "Faster", "Fast", "Normal", "High", "Higher", "Highest"}, QualityNames());
}

QStringList ShownAudioOptionNames() {
  return ShownList({"AudioOption1", "AudioOption2", "AudioOption3"}, AudioOptionNames());
}

QString ShownOutcome(TOutcome outcome) {
  const QString english = OutcomeText(outcome);
  switch (outcome) {
    case TOutcome::None: return {};
    case TOutcome::Started: return Shown("SchedStarted", english);
    case TOutcome::Recorded: return Shown("SchedRecorded", english);
    case TOutcome::DiskFull: return Shown("SchedDiskFull", english);
    case TOutcome::Refused: return Shown("SchedRefused", english);
    case TOutcome::SourceUnavailable: return Shown("SchedSourceUnavailable", english);
    case TOutcome::NotDelivered: return Shown("SchedNotReached", english);
  }
  return english;
}

QLocale ShownLocale() {
  // Without a language (the command line, built-in texts) dates read as before.
  return settings::MultiLangInfo ? settings::LanguageLocale() : QLocale::c();
}

}  // namespace pvx::scheduled
