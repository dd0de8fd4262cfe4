#pragma once
// The window's texts in the language of the run. The timetable and the command line keep the
// English names, which are what the timetable file stores.

#include <QLocale>
#include <QString>
#include <QStringList>

#include "ScheduleEntry.h"

namespace pvx::scheduled {

// The caption of `key`, else the English text.
QString Shown(const char* key, const QString& english);
// The same without its keyboard mark ("&Add..." or "添加(&A)..." reads "Add..." / "添加...").
QString ShownPlain(const char* key, const QString& english);
QStringList ShownRepeatNames();
QStringList ShownSourceNames();
QStringList ShownQualityNames();
QStringList ShownAudioOptionNames();
QString ShownOutcome(TOutcome outcome);
// Dates read in the language's own locale.
QLocale ShownLocale();

}  // namespace pvx::scheduled
