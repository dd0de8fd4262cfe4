#pragma once
// Reading an XMLTV listing: its channels by display name and its programmes with start, stop
// and title, turned into timetable entries on the program's channels of the same name. A
// programme without a stop ends where the next one on its channel starts, as XMLTV's tv_sort
// guesses it.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include "ProgramChannels.h"
#include "ScheduleEntry.h"

namespace pvx::scheduled {

struct TXmltvProgramme {
  QString ChannelId;
  QStringList ChannelNames;  // the channel's display names
  QDateTime Start, Stop;     // local time; Stop invalid when unreadable, or missing and not guessed
  QString Title;
};

// "20261208200000 +0100" (seconds, minutes or the offset may be missing; no offset is UTC)
// as local time; invalid when it is not such a time.
QDateTime XmltvTime(const QString& text);

// The programmes of the listing, with their channels' names. A programme without a stop
// attribute stops at the start of the next programme on the same channel by start time, wherever
// that stands in the listing; the last one on its channel keeps no stop. False with a reason when
// the document is not XMLTV.
bool ParseXmltv(const QByteArray& xml, QList<TXmltvProgramme>& programmes, QString* reason);

// A file base name made of the title: no folder separators or characters a file name avoids.
QString BaseNameOfTitle(const QString& title);

struct TXmltvImport {
  QList<TScheduleEntry> Entries;  // not yet in a timetable (no ids)
  QStringList Skipped;            // one line per programme left out, with the reason
};

// Entries for the programmes whose title contains `titleFilter` (all when empty), mapped to
// `channels` by display name; the entry keeps the title as its file base name.
TXmltvImport EntriesOfProgrammes(const QList<TXmltvProgramme>& programmes,
                                 const QList<TProgramChannel>& channels,
                                 const QString& titleFilter = {});

}  // namespace pvx::scheduled
