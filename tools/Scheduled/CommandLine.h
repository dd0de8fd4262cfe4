#pragma once
// The scheduler's command line, for scripts and tests:
//   Scheduled --add "START" DURATION SOURCE CHANNEL [FORMAT]
//   Scheduled --list | --remove ID | --fire ID | --import-xmltv FILE [TITLE]
// Exit status 0 on success; otherwise one line on the error stream says why.

#include <QDateTime>
#include <QStringList>
#include <QTextStream>
#include <optional>

#include "SystemdTimers.h"

namespace pvx::scheduled {

struct TCommandResult {
  int ExitCode = 0;
  bool OpenWindow = false;  // no command: the window runs
  qint32 FiredId = 0;       // --fire handed this entry over
};

// args without the program's own name.
TCommandResult RunCommandLine(const QStringList& args, const TSystemd& systemd, QTextStream& out,
                              QTextStream& err, const QDateTime& now);

// The parts of --add, also used by the window's import.
std::optional<QDateTime> ParseStart(const QString& text);
// "45" minutes, "90s", "1h30m", "1:30:00"; nothing for zero or anything else.
std::optional<qint32> ParseDuration(const QString& text);
std::optional<qint32> ParseSource(const QString& text);
// An index, or a name of FormatNames() / AudioFormatNames() (case and blanks ignored).
std::optional<int> ParseFormat(const QString& text, bool audio);

// Saves the timetable and brings the systemd timers in line; a timer failure is a warning.
bool SaveTimetable(const TTimetable& table, const QString& path, const TSystemd& systemd,
                   QString* reason, QString* warning);

}  // namespace pvx::scheduled
