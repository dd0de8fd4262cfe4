#pragma once
// One timetable entry of the scheduler: when to record, from where and how. An entry may repeat
// daily or weekly; its occurrences are the start plus whole days or weeks, in local time.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

#include "handoff/RelayRecord.h"

namespace pvx::scheduled {

enum class TRepeat { None = 0, Daily = 1, Weekly = 2 };

// What the program answered for the last start of an entry.
enum class TOutcome { None, Started, Recorded, DiskFull, Refused, SourceUnavailable, NotDelivered };

struct TScheduleEntry {
  qint32 Id = 0;
  QDateTime Start;  // local time, whole seconds
  qint32 DurationSeconds = 0;
  TRepeat Repeat = TRepeat::None;
  qint32 Source = handoff::rsAntenna;  // a TRelaySource
  qint32 Channel = 1;
  quint8 Format = 1;
  qint32 CaptureWidth = 640, CaptureHeight = 480;
  quint8 Quality = 0;
  qint32 VideoBitRateKbps = 4000;
  qint32 FrameRateCode = 5;
  quint8 AudioOption = 0;  // 0 audio and video, 1 audio only, 2 no audio
  bool UseDateTimeName = true;
  QString BaseName;        // the file name's base when UseDateTimeName is off
  TOutcome Outcome = TOutcome::None;
  QDateTime LastFired;     // the occurrence last handed to the program

  // The first occurrence whose start is at or after `from`; none for a one-time entry past it.
  std::optional<QDateTime> NextOccurrence(const QDateTime& from) const;
  // The occurrence running at `at` (start <= at < end), if any.
  std::optional<QDateTime> OccurrenceAt(const QDateTime& at) const;
  // True when some occurrence of this entry and one of the other share a second.
  bool Overlaps(const TScheduleEntry& other) const;
  // The relay record that hands this entry to the program; the reserved bytes carry the id.
  handoff::TRelayRecord Relay() const;
  bool operator==(const TScheduleEntry&) const = default;
};

// The id a relay record was written for; 0 when it was not written by this scheduler.
qint32 EntryIdOfRelay(const handoff::TRelayRecord& record);

// Names shown in the window and accepted on the command line.
const QStringList& SourceNames();      // "Antenna" .. "FM radio", by relay source kind
const QStringList& SourceKeywords();   // "antenna" .. "fm"
const QStringList& FormatNames();      // "MPEG 1" .. "Matroska (HEVC)"
const QStringList& AudioFormatNames(); // "Wave", "MP3": the format for audio-only recordings
const QStringList& QualityNames();     // "Fastest" .. "Highest"
const QStringList& FrameRateNames();   // "23.97" .. "30", code = index + 1
const QStringList& AudioOptionNames();
const QStringList& RepeatNames();      // "Once", "Daily", "Weekly"
QString OutcomeText(TOutcome outcome);
// Capture sizes a format offers ("640x480"), and its usual settings applied to an entry.
QStringList FormatSizes(int format);
// A constant-quality format: its bit rate is a cap (0 for none), its frame rate the card's own.
bool IsConstantQualityFormat(int format);
void ApplyFormatDefaults(TScheduleEntry& entry, int format);
// The outcome a 3028 answer stands for; None for an unknown code.
TOutcome OutcomeOfStatus(qint32 code);

// Longest duration an entry may have, so a daily entry never overlaps itself.
inline constexpr qint32 kMaxDurationSeconds = 24 * 3600;

}  // namespace pvx::scheduled
