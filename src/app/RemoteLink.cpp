#include "app/RemoteLink.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>

#include "CommandLine.h"
#include "Timetable.h"
#include "app/ChannelCommands.h"
#include "app/CommandDispatcher.h"
#include "app/ShellContext.h"
#include "engine/AudioAdjustInfo.h"
#include "engine/CaptureInfo.h"
#include "playback/PlaybackSession.h"
#include "settings/ChannelInfo.h"
#include "settings/MainInfo.h"
#include "util/FrequencyFormat.h"

namespace pvx::app {
namespace {

using namespace settings;

constexpr int kFullVolume = 65535;
constexpr int kPictureWidth = 640;
constexpr int kThumbnailWidth = 160;

QByteArray Jpeg(const QImage& image, int quality) {
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPEG", quality);
  return jpeg;
}

QString ModeName(TAppMode mode) {
  switch (mode) {
    case amTV: return "tv";
    case amFMRadio: return "fm";
    case amCapture:
    case amScheduledCapture: return "recording";
    case amTimeShifting:
    case amTimeShiftPlayback: return "timeshift";
    case amPlayback: return "playback";
    case amChannelPreview: return "preview";
    default: return "other";
  }
}

remote::TCommandResult ResultOf(TCommandResult r, const QString& unavailable) {
  switch (r) {
    case TCommandResult::Ran:
    case TCommandResult::Queued: return {true, true, {}};
    case TCommandResult::Refused: return {true, false, QStringLiteral("not now")};
    case TCommandResult::Unhandled: return {true, false, unavailable};
    case TCommandResult::Closed: break;
  }
  return {true, false, QStringLiteral("the program is ending")};
}

// The timers of the scheduler's entries run the companion installed beside this program.
scheduled::TSystemd Timers() {
  return scheduled::TSystemd::FromEnvironment(QDir(QCoreApplication::applicationDirPath()).filePath("Scheduled"));
}

}  // namespace

QJsonArray TRemoteLink::Schedule() {
  scheduled::TTimetable table;
  table.Load(scheduled::TTimetable::DefaultPath());
  QJsonArray list;
  for (const scheduled::TScheduleEntry& e : table.Entries)
    list.append(QJsonObject{{"id", e.Id}, {"start", e.Start.toString(Qt::ISODate)},
                            {"minutes", e.DurationSeconds / 60}, {"channel", e.Channel},
                            {"name", e.UseDateTimeName ? QString() : e.BaseName}});
  return list;
}

bool TRemoteLink::AddToSchedule(const QJsonObject& entry, QString& reason) {
  scheduled::TTimetable table;
  const QString path = scheduled::TTimetable::DefaultPath();
  if (table.Load(path, &reason) == scheduled::TTimetable::TLoad::Corrupt) return false;
  const auto start = scheduled::ParseStart(entry["start"].toString());
  const int minutes = entry["minutes"].toInt(), channel = entry["channel"].toInt();
  if (!start || minutes <= 0 || minutes > 24 * 60 || channel <= 0) {
    reason = QStringLiteral("a start, minutes (1 to 1440) and a channel are needed");
    return false;
  }
  scheduled::TScheduleEntry e;
  e.Start = *start;
  e.DurationSeconds = minutes * 60;
  e.Channel = channel;
  e.Source = shell_.Channels && shell_.Channels->CurrentTable() == TChannelInfo::kCable ? handoff::rsCable
                                                                                      : handoff::rsAntenna;
  // The name becomes the file's: Latin-1 as the hand-over carries it, and never a folder.
  QString name;
  for (const QChar c : entry["name"].toString().trimmed().left(120))
    name += c.unicode() >= 0x20 && c.unicode() < 0x100 && c != '/' && c != '\\' ? c : QChar('_');
  while (name.startsWith('.')) name.remove(0, 1);
  if (!name.isEmpty()) {
    e.UseDateTimeName = false;
    e.BaseName = name;
  }
  QString warning;
  return table.Add(e, QDateTime::currentDateTime(), &reason) &&
         scheduled::SaveTimetable(table, path, Timers(), &reason, &warning);
}

bool TRemoteLink::RemoveFromSchedule(int id) {
  scheduled::TTimetable table;
  const QString path = scheduled::TTimetable::DefaultPath();
  QString reason, warning;
  return table.Load(path) == scheduled::TTimetable::TLoad::Ok && table.Remove(id) &&
         scheduled::SaveTimetable(table, path, Timers(), &reason, &warning);
}

QJsonObject TRemoteLink::State() {
  QJsonObject s;
  if (!shell_.Main || !shell_.Channels || !shell_.Capture) return s;
  const TAppMode mode = shell_.Main->Mode();
  const TChannelInfo& channels = *shell_.Channels;
  const bool fm = channels.CurrentTable() == TChannelInfo::kFM;
  const int channel = fm ? channels.CurFM() : channels.CurrentChannel();
  s["mode"] = ModeName(mode);
  s["channel"] = channel;
  s["name"] = ChannelName(channels, channel);
  s["frequencyText"] = fm ? util::MHzText(shell_.Capture->Tuner().FMFrequency()) : QString();
  s["recording"] = shell_.Capture->Recording();
  if (LiveStreamLink) s["rtsp"] = LiveStreamLink();
  s["elapsedSeconds"] = shell_.Capture->Recording() ? qint64(shell_.Capture->Recorder().ElapsedSeconds) : 0;
  if (shell_.Audio) {
    s["volume"] = int(qint64(shell_.Audio->Volume()) * 100 / kFullVolume);
    s["muted"] = shell_.Audio->Muted();
  }
  return s;
}

QJsonArray TRemoteLink::Channels() {
  QJsonArray list;
  if (!shell_.Channels) return list;
  const TChannelInfo& channels = *shell_.Channels;
  for (int n = 1; n <= TChannelInfo::kChannelCount; ++n)
    if (channels.IsValid(n))
      list.append(QJsonObject{{"number", n}, {"name", ChannelName(channels, n)}, {"thumbnail", thumbnails_.contains(n)}});
  return list;
}

remote::TCommandResult TRemoteLink::Run(const QString& command) {
  const commands::TCommandDef* def = commands::FindCommand(command.toStdString());
  if (!def || !shell_.Dispatcher) return {};
  return ResultOf(shell_.Dispatcher->ExecuteCommand(def->code), shell_.Dispatcher->UnavailableReason(def->code));
}

remote::TCommandResult TRemoteLink::Tune(int channel) {
  if (!shell_.Channels || !shell_.Channels->IsValid(channel)) return {true, false, QStringLiteral("no such channel")};
  // Typed as on the remote control, so the same gates decide.
  for (const QChar digit : QString::number(channel)) {
    const remote::TCommandResult r = Run(QStringLiteral("digit-%1").arg(digit));
    if (!r.ran) return r;
  }
  return Run(QStringLiteral("enter"));
}

QJsonArray TRemoteLink::Recordings() {
  QJsonArray list;
  if (!shell_.Playback) return list;
  const auto& items = shell_.Playback->Lists.Items;
  for (size_t i = 0; i < items.size(); ++i) {
    const QFileInfo file(items[i]->FilePath);
    list.append(QJsonObject{{"id", int(i)}, {"name", file.fileName()}, {"size", file.size()},
                            {"type", QString::fromLatin1(remote::MediaTypeOf(file.fileName()))},
                            {"channel", items[i]->Channel}, {"audioOnly", items[i]->AudioOnly},
                            {"when", items[i]->StartTime.toString(Qt::ISODate)}});
  }
  return list;
}

QString TRemoteLink::RecordingFile(int id) {
  if (!shell_.Playback || id < 0 || size_t(id) >= shell_.Playback->Lists.Items.size()) return {};
  return shell_.Playback->Lists.Items[size_t(id)]->FilePath;
}

QByteArray TRemoteLink::Picture() {
  if (!shell_.Capture || !shell_.Main || shell_.Main->Mode() == amFMRadio) return {};
  QImage image = shell_.Capture->Stills().Grab(shell_.Capture->Chip().IsWis());
  if (image.isNull()) return {};
  if (image.width() > kPictureWidth) image = image.scaledToWidth(kPictureWidth, Qt::SmoothTransformation);
  return Jpeg(image, 80);
}

void TRemoteLink::RememberPicture(int channel, const QImage& picture) {
  if (channel <= 0 || picture.isNull()) return;
  thumbnails_[channel] = Jpeg(picture.scaledToWidth(kThumbnailWidth, Qt::SmoothTransformation), 70);
}

}  // namespace pvx::app
