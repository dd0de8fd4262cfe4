#include "ScheduleEntry.h"

#include <QtEndian>
#include <iterator>
#include <vector>

#include "formats/RecordFormats.h"

namespace pvx::scheduled {

namespace {

constexpr char kRelayTag[] = "OKAS";  // marks relay files this scheduler wrote

int PeriodDays(TRepeat repeat) { return repeat == TRepeat::Daily ? 1 : repeat == TRepeat::Weekly ? 7 : 0; }

// Starts of the occurrences that share a second with [from, to).
std::vector<QDateTime> OccurrencesIn(const TScheduleEntry& e, const QDateTime& from,
                                     const QDateTime& to) {
  std::vector<QDateTime> starts;
  auto s = e.NextOccurrence(from.addSecs(-e.DurationSeconds + 1));
  while (s && *s < to) {
    starts.push_back(*s);
    if (e.Repeat == TRepeat::None) break;
    s = e.NextOccurrence(s->addSecs(1));
  }
  return starts;
}

}  // namespace

std::optional<QDateTime> TScheduleEntry::NextOccurrence(const QDateTime& from) const {
  if (!Start.isValid()) return std::nullopt;
  if (Start >= from) return Start;
  const int period = PeriodDays(Repeat);
  if (period == 0) return std::nullopt;
  // Whole periods in local time, so a daily 20:00 stays at 20:00 across a clock change.
  qint64 steps = qMax<qint64>(0, Start.daysTo(from) / period - 1);
  QDateTime s = Start.addDays(steps * period);
  while (s < from) s = s.addDays(period);
  return s;
}

std::optional<QDateTime> TScheduleEntry::OccurrenceAt(const QDateTime& at) const {
  const auto s = NextOccurrence(at.addSecs(-DurationSeconds + 1));
  if (s && *s <= at) return s;
  return std::nullopt;
}

bool TScheduleEntry::Overlaps(const TScheduleEntry& other) const {
  // After the later of the two starts both are periodic within a week: eight days cover every
  // pairing, and a day before it catches an earlier occurrence still running.
  const QDateTime later = qMax(Start, other.Start);
  const QDateTime from = later.addSecs(-kMaxDurationSeconds);
  const QDateTime to = later.addDays(8).addSecs(kMaxDurationSeconds);
  const auto mine = OccurrencesIn(*this, from, to);
  const auto theirs = OccurrencesIn(other, from, to);
  for (const QDateTime& a : mine)
    for (const QDateTime& b : theirs)
      if (a < b.addSecs(other.DurationSeconds) && b < a.addSecs(DurationSeconds)) return true;
  return false;
}

handoff::TRelayRecord TScheduleEntry::Relay() const {
  handoff::TRelayRecord r;
  r.Reserved = QByteArray(16, '\0');
  r.Reserved.replace(0, 4, kRelayTag);
  qToLittleEndian<qint32>(Id, r.Reserved.data() + 4);
  r.DurationSeconds = DurationSeconds;
  r.Source = Source;
  r.Channel = Channel;
  r.Format = Format;
  r.CaptureWidth = CaptureWidth;
  r.CaptureHeight = CaptureHeight;
  r.Quality = Quality;
  r.VideoBitRateKbps = VideoBitRateKbps;
  r.FrameRateCode = FrameRateCode;
  r.RecordKind = AudioOption;
  r.UseDateTimeName = UseDateTimeName;
  r.BaseName = BaseName.toLatin1().left(handoff::kRelayNameBytes);
  return r;
}

qint32 EntryIdOfRelay(const handoff::TRelayRecord& record) {
  if (record.Reserved.size() < 8 || !record.Reserved.startsWith(kRelayTag)) return 0;
  return qFromLittleEndian<qint32>(record.Reserved.constData() + 4);
}

const QStringList& SourceNames() {
  static const QStringList names{"Antenna", "Cable", "Memory", "Composite", "S-Video", "FM radio"};
  return names;
}

const QStringList& SourceKeywords() {
  static const QStringList names{"antenna", "cable", "memory", "composite", "svideo", "fm"};
  return names;
}

namespace {

QString Latin1(std::string_view text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

}  // namespace

const QStringList& FormatNames() {
  static const QStringList names = [] {
    QStringList list;
    for (const formats::TRecordFormatDef& f : formats::RecordFormats()) list << Latin1(f.Name);
    return list;
  }();
  return names;
}

const QStringList& AudioFormatNames() {
  static const QStringList names = [] {
    QStringList list;
    for (const formats::TAudioFormatDef& f : formats::AudioFormats()) list << Latin1(f.Name);
    return list;
  }();
  return names;
}

const QStringList& QualityNames() {
  static const QStringList names{"Fastest", "Faster", "Fast", "Normal", "High", "Higher", "Highest"};
  return names;
}

const QStringList& FrameRateNames() {
  static const QStringList names{"23.97", "24", "25", "29.97", "30"};
  return names;
}

const QStringList& AudioOptionNames() {
  static const QStringList names{"Capture Audio and Video", "Capture Audio only", "Disable Audio"};
  return names;
}

const QStringList& RepeatNames() {
  static const QStringList names{"Once", "Daily", "Weekly"};
  return names;
}

QString OutcomeText(TOutcome outcome) {
  switch (outcome) {
    case TOutcome::None: return {};
    case TOutcome::Started: return "Started";
    case TOutcome::Recorded: return "Recorded";
    case TOutcome::DiskFull: return "Disk full";
    case TOutcome::Refused: return "Refused";
    case TOutcome::SourceUnavailable: return "Source unavailable";
    case TOutcome::NotDelivered: return "Program not reached";
  }
  return {};
}

QStringList FormatSizes(int format) {
  const formats::TRecordFormatDef* f = formats::FindRecordFormat(format);
  QStringList sizes;
  for (const formats::TFrameSize& size : f ? f->Sizes : std::span<const formats::TFrameSize>())
    sizes << QStringLiteral("%1x%2").arg(size.Width).arg(size.Height);
  return sizes;
}

bool IsConstantQualityFormat(int format) {
  const formats::TRecordFormatDef* f = formats::FindRecordFormat(format);
  return f && f->IsConstantQuality();
}

void ApplyFormatDefaults(TScheduleEntry& e, int format) {
  const formats::TRecordFormatDef* f = formats::FindRecordFormat(format);
  if (!f) return;
  e.Format = quint8(format);
  e.CaptureWidth = f->Size.Width;
  e.CaptureHeight = f->Size.Height;
  e.VideoBitRateKbps = f->BitRateKbps;
  e.Quality = quint8(f->Quality);
  e.FrameRateCode = f->FrameRate;
}

TOutcome OutcomeOfStatus(qint32 code) {
  switch (code) {
    case 2: return TOutcome::DiskFull;
    case 3: return TOutcome::Refused;
    case 4: return TOutcome::SourceUnavailable;
    case 100: return TOutcome::Recorded;
    default: return TOutcome::None;
  }
}

}  // namespace pvx::scheduled
