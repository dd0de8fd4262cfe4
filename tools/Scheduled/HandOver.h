#pragma once
// Handing a timetable entry to the program: the order goes into Relay.rec in the program
// folder, then message 3025 to the running program, or the program is started with srec_tv
// (srec_fm for FM), which posts 3025 to itself once it runs. The program's answers (3028)
// come back to the scheduler's endpoint and are kept as the entry's outcome.

#include <QDateTime>
#include <QString>

#include "Timetable.h"

namespace pvx::scheduled {

enum class THandOver { Posted, Started, Failed };

QString RelayPath();

// Writes the relay file and tells (or starts) the program.
THandOver HandOver(const TScheduleEntry& entry, QString* reason);

// Fires entry `id` of the timetable file now: hands it over, marks the occurrence as fired
// and keeps the result. False with a reason when the entry is unknown or nothing was handed.
bool FireEntry(const QString& timetablePath, qint32 id, const QDateTime& now, QString* reason);

// Keeps a 3028 answer as the outcome of the entry the relay file was written for. Returns that
// entry's id; 0 when the relay file names no entry of the timetable.
qint32 RecordOutcome(const QString& timetablePath, qint32 status);

}  // namespace pvx::scheduled
