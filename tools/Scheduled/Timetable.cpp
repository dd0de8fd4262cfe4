#include "Timetable.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <algorithm>
#include <limits>

#include "Wording.h"
#include "platform/ProgramFolder.h"
#include "settings/ErrorMessages.h"
#include "util/Folders.h"

namespace pvx::scheduled {

namespace {

constexpr char kDocumentKind[] = "oka-pvx-scheduled";
constexpr char kDateFormat[] = "yyyy-MM-ddTHH:mm:ss";
const QStringList kOutcomeKeys{"", "started", "recorded", "disk-full", "refused",
                               "source-unavailable", "not-delivered"};

bool InRange(qint64 v, qint64 low, qint64 high) { return v >= low && v <= high; }

// A stored id at the largest qint32 would leave no next id to give.
constexpr qint32 kIdLimit = std::numeric_limits<qint32>::max();

// Channel numbers a source kind takes: the tables' sizes; the inputs ignore it.
bool ChannelFits(qint32 source, qint32 channel) {
  switch (source) {
    case handoff::rsAntenna:
    case handoff::rsCable: return InRange(channel, 1, 160);
    case handoff::rsMemory:
    case handoff::rsFM: return InRange(channel, 1, 50);
    default: return true;
  }
}

QJsonObject EntryToJson(const TScheduleEntry& e) {
  return QJsonObject{
      {"id", e.Id}, {"start", DateTimeText(e.Start)}, {"duration", e.DurationSeconds},
      {"repeat", RepeatNames()[int(e.Repeat)].toLower()}, {"source", e.Source},
      {"channel", e.Channel}, {"format", e.Format}, {"width", e.CaptureWidth},
      {"height", e.CaptureHeight}, {"quality", e.Quality}, {"bitRate", e.VideoBitRateKbps},
      {"frameRateCode", e.FrameRateCode}, {"audioOption", e.AudioOption},
      {"dateTimeName", e.UseDateTimeName}, {"baseName", e.BaseName},
      {"outcome", kOutcomeKeys[int(e.Outcome)]},
      {"lastFired", e.LastFired.isValid() ? DateTimeText(e.LastFired) : QString()}};
}

bool EntryFromJson(const QJsonObject& o, TScheduleEntry& e) {
  static const QStringList kNeeded{"id", "start", "duration", "repeat", "source", "channel", "format"};
  for (const QString& key : kNeeded)
    if (!o.contains(key)) return false;
  e.Id = o["id"].toInt();
  e.Start = QDateTime::fromString(o["start"].toString(), kDateFormat);
  e.DurationSeconds = o["duration"].toInt();
  int repeat = -1;
  for (int i = 0; i < RepeatNames().size(); ++i)
    if (RepeatNames()[i].compare(o["repeat"].toString(), Qt::CaseInsensitive) == 0) repeat = i;
  e.Source = o["source"].toInt(-1);
  e.Channel = o["channel"].toInt();
  const int format = o["format"].toInt(-1);
  if (!InRange(e.Id, 1, kIdLimit - 1) || !e.Start.isValid() || repeat < 0 ||
      !InRange(format, 0, 255) || !InRange(e.Source, handoff::rsAntenna, handoff::rsFM))
    return false;
  e.Repeat = TRepeat(repeat);
  e.Format = quint8(format);
  e.CaptureWidth = o["width"].toInt(e.CaptureWidth);
  e.CaptureHeight = o["height"].toInt(e.CaptureHeight);
  e.Quality = quint8(qBound(0, o["quality"].toInt(), 255));
  e.VideoBitRateKbps = o["bitRate"].toInt(e.VideoBitRateKbps);
  e.FrameRateCode = o["frameRateCode"].toInt(e.FrameRateCode);
  e.AudioOption = quint8(qBound(0, o["audioOption"].toInt(), 2));
  e.UseDateTimeName = o["dateTimeName"].toBool(true);
  e.BaseName = o["baseName"].toString();
  e.Outcome = TOutcome(qMax(0, int(kOutcomeKeys.indexOf(o["outcome"].toString()))));
  e.LastFired = QDateTime::fromString(o["lastFired"].toString(), kDateFormat);
  return true;
}

}  // namespace

QString DateTimeText(const QDateTime& t) { return t.toString(kDateFormat); }

QString DurationText(qint32 seconds) {
  return QStringLiteral("%1:%2:%3")
      .arg(seconds / 3600)
      .arg(seconds / 60 % 60, 2, 10, QChar('0'))
      .arg(seconds % 60, 2, 10, QChar('0'));
}

QString TTimetable::DefaultPath() { return platform::ProgramFolder() + kFileName; }

bool TTimetable::Check(const TScheduleEntry& e, const QDateTime& now, int conflictCode,
                       QString* reason) const {
  auto refuse = [reason](const QString& text) {
    if (reason) *reason = text;
    return false;
  };
  if (e.DurationSeconds <= 0) return refuse(settings::GetErrorMessage(2005));
  if (e.DurationSeconds > kMaxDurationSeconds)
    return refuse(Shown("SchedTooLong", "A recording lasts at most 24 hours."));
  if (!e.Start.isValid()) return refuse(Shown("SchedBadStart", "The start date and time are not valid."));
  if (e.Repeat == TRepeat::None && e.Start < now) return refuse(settings::GetErrorMessage(2004));
  if (!InRange(e.Source, handoff::rsAntenna, handoff::rsFM))
    return refuse(Shown("SchedUnknownSource", "Unknown source."));
  if (!ChannelFits(e.Source, e.Channel))
    return refuse(Shown("SchedChannelNotInList", "Channel %1 is not in the %2 list.")
                      .arg(e.Channel).arg(ShownSourceNames()[e.Source]));
  if (e.Format >= FormatNames().size()) return refuse(Shown("SchedUnknownFormat", "Unknown recording format."));
  if (!e.UseDateTimeName && !util::BaseNameAccepted(e.BaseName))
    return refuse(Shown("SchedBadBaseName", "The base name may not contain \"/\" or control characters, be \".\" "
                                            "or \"..\", or be longer than 240 bytes."));
  for (const TScheduleEntry& other : Entries) {
    if (other.Id == e.Id || !e.Overlaps(other)) continue;
    return refuse(Shown("SchedOverlaps", "%1 (It overlaps entry %2 at %3.)")
                      .arg(settings::GetErrorMessage(conflictCode))
                      .arg(other.Id)
                      .arg(other.Start.toString("yyyy-MM-dd HH:mm")));
  }
  return true;
}

bool TTimetable::Add(TScheduleEntry& entry, const QDateTime& now, QString* reason) {
  entry.Id = 0;
  if (!Check(entry, now, 2000, reason)) return false;
  entry.Id = NextId++;
  Entries.append(entry);
  Sort();
  return true;
}

bool TTimetable::Replace(const TScheduleEntry& entry, const QDateTime& now, QString* reason) {
  TScheduleEntry* old = Find(entry.Id);
  if (!old) {
    if (reason) *reason = settings::GetErrorMessage(2001);
    return false;
  }
  if (!Check(entry, now, 2003, reason)) return false;
  *old = entry;
  old->Outcome = TOutcome::None;
  old->LastFired = {};
  Sort();
  return true;
}

bool TTimetable::Remove(qint32 id) {
  return Entries.removeIf([id](const TScheduleEntry& e) { return e.Id == id; }) > 0;
}

TScheduleEntry* TTimetable::Find(qint32 id) {
  for (TScheduleEntry& e : Entries)
    if (e.Id == id) return &e;
  return nullptr;
}

const TScheduleEntry* TTimetable::Find(qint32 id) const {
  return const_cast<TTimetable*>(this)->Find(id);
}

const TScheduleEntry* TTimetable::NextToFire(const QDateTime& now, QDateTime* occurrence) const {
  const TScheduleEntry* best = nullptr;
  QDateTime bestStart;
  for (const TScheduleEntry& e : Entries) {
    // An occurrence already handed over is not fired again.
    const QDateTime from = e.LastFired.isValid() ? qMax(now, e.LastFired.addSecs(1)) : now;
    const auto s = e.NextOccurrence(from);
    if (s && (!best || *s < bestStart)) best = &e, bestStart = *s;
  }
  if (best && occurrence) *occurrence = bestStart;
  return best;
}

void TTimetable::Sort() {
  std::stable_sort(Entries.begin(), Entries.end(),
                   [](const TScheduleEntry& a, const TScheduleEntry& b) { return a.Start < b.Start; });
}

QByteArray TTimetable::ToJson() const {
  QJsonArray entries;
  for (const TScheduleEntry& e : Entries) entries.append(EntryToJson(e));
  const QJsonObject root{{"kind", kDocumentKind}, {"version", kVersion}, {"nextId", NextId},
                         {"wakeSystem", WakeSystem}, {"entries", entries}};
  return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool TTimetable::FromJson(const QByteArray& bytes, QString* reason) {
  auto corrupt = [reason](const QString& why) {
    if (reason) *reason = settings::GetErrorMessage(2006) + " (" + why + ")";
    return false;
  };
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
  if (doc.isNull()) return corrupt(error.errorString());
  const QJsonObject root = doc.object();
  if (root["kind"].toString() != kDocumentKind) return corrupt("not a timetable");
  if (root["version"].toInt() != kVersion)
    return corrupt(QStringLiteral("version %1").arg(root["version"].toInt()));
  TTimetable read;
  read.NextId = qMax(1, root["nextId"].toInt(1));
  read.WakeSystem = root["wakeSystem"].toBool();
  for (const QJsonValue& v : root["entries"].toArray()) {
    TScheduleEntry e;
    if (!EntryFromJson(v.toObject(), e)) return corrupt("a bad entry");
    if (read.Find(e.Id)) return corrupt(QStringLiteral("entry %1 twice").arg(e.Id));
    read.NextId = qMax(read.NextId, e.Id + 1);
    read.Entries.append(e);
  }
  read.Sort();
  *this = read;
  return true;
}

TTimetable::TLoad TTimetable::Load(const QString& path, QString* reason) {
  *this = TTimetable{};
  QFile file(path);
  if (!file.exists()) return TLoad::Missing;
  if (!file.open(QIODevice::ReadOnly)) {
    if (reason) *reason = settings::GetErrorMessage(2006) + " (" + file.errorString() + ")";
    return TLoad::Corrupt;
  }
  if (!FromJson(file.readAll(), reason)) return TLoad::Corrupt;
  return TLoad::Ok;
}

bool TTimetable::Save(const QString& path, QString* reason) const {
  QSaveFile file(path);
  const QByteArray bytes = ToJson();
  if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) return true;
  if (reason) *reason = "Cannot write " + path + ": " + file.errorString();
  return false;
}

}  // namespace pvx::scheduled
