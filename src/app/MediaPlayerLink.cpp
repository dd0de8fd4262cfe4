#include "app/MediaPlayerLink.h"

#include <QFileInfo>

#include "app/ShellContext.h"
#include "commands/CommandTable.h"
#include "engine/AudioAdjustInfo.h"
#include "engine/CaptureInfo.h"
#include "platform/ipc/Messages.h"
#include "playback/PlaybackProject.h"
#include "playback/PlaybackSession.h"
#include "playback/Player.h"
#include "settings/ChannelInfo.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"
#include "settings/MultiLangInfo.h"
#include "util/FrequencyFormat.h"

namespace pvx::app {
namespace {

using platform::TMediaPlayerState;
using enum commands::TCommand;
using namespace settings;

constexpr double kFullVolume = 65535.0;

bool PlayerPlays(TShell& shell) {
  bool plays = false;
  playback::ForEachPlayer(*shell.Playback, [&plays](playback::IPlayer& p) { plays = plays || p.IsPlaying(); });
  return plays;
}

QString ChannelTitle(const TChannelInfo& channels, int n) {
  const TChannelRecord* record = channels.ChannelRecord(channels.CurrentTable() == TChannelInfo::kCable, n);
  if (record && !record->Name.isEmpty()) return record->Name;
  return LanguageText("Channel", QStringLiteral("Channel")) + ' ' + QString::number(n);
}

}  // namespace

TMediaPlayerLink::TMediaPlayerLink(TShell& shell, Post post)
    : shell_(shell), post_(std::move(post)), service_(Controls()) {
  if (!service_.Register()) return;
  // No one signal of the models says "what plays changed"; a look once a second costs nothing.
  poll_.setInterval(1000);
  QObject::connect(&poll_, &QTimer::timeout, [this] { service_.Refresh(); });
  poll_.start();
}

void TMediaPlayerLink::Command(int code) const { post_(platform::ipc::kMsgCommand, code); }

// Live TV pauses by time-shifting; the buffer then plays behind live; a player pauses and resumes.
void TMediaPlayerLink::PlayOrPause(bool play, bool pause) const {
  switch (shell_.Main->Mode()) {
    case amTV:
      if (pause) Command(commands::CodeOf(TimeShifting));
      break;
    case amTimeShifting:
      if (play) Command(commands::CodeOf(Play));
      break;
    case amPlayback:
    case amTimeShiftPlayback:
      if (PlayerPlays(shell_) ? pause : play) Command(commands::CodeOf(Pause));
      break;
    default:
      break;
  }
}

platform::TMediaPlayerControls TMediaPlayerLink::Controls() {
  platform::TMediaPlayerControls c;
  c.PlayPause = [this] { PlayOrPause(true, true); };
  c.Play = [this] { PlayOrPause(true, false); };
  c.Pause = [this] { PlayOrPause(false, true); };
  c.Stop = [this] { Command(commands::CodeOf(Stop)); };
  c.Next = [this] { Command(commands::CodeOf(NextChannel)); };
  c.Previous = [this] { Command(commands::CodeOf(PreviousChannel)); };
  c.Raise = [this] { post_(platform::ipc::kMsgActivate, 0); };
  c.Quit = [this] { Command(commands::CodeOf(Exit)); };
  c.SetVolume = [this](double v) {
    if (shell_.Audio) shell_.Audio->SetVolume(qint64(v * kFullVolume + 0.5));
  };
  c.State = [this] { return State(); };
  return c;
}

TMediaPlayerState TMediaPlayerLink::State() const {
  using S = TMediaPlayerState::Status;
  TMediaPlayerState s;
  if (!shell_.Main || !shell_.Channels || !shell_.Playback) return s;
  const TAppMode mode = shell_.Main->Mode();
  const TChannelInfo& channels = *shell_.Channels;
  s.Playback = mode == amClosed ? S::Stopped
               : mode == amTimeShifting ? S::Paused
               : (mode == amPlayback || mode == amTimeShiftPlayback) && !PlayerPlays(shell_) ? S::Paused
                                                                                            : S::Playing;
  if (shell_.Audio) s.Volume = shell_.Audio->Volume() / kFullVolume;
  if (mode == amPlayback && shell_.Playback->File) {
    s.Url = shell_.Playback->File->FileName;
    s.Title = QFileInfo(s.Url).fileName();
  } else if (channels.CurrentTable() == TChannelInfo::kFM) {
    s.Track = channels.CurFM();
    const TFMMemoryChannelRecord* memory = const_cast<TChannelInfo&>(channels).FMRecord(s.Track);
    const quint32 hertz = shell_.Capture ? shell_.Capture->Tuner().FMFrequency() : 0;
    s.Title = memory && !memory->Name.isEmpty() ? memory->Name : util::MHzText(hertz);
  } else if (channels.CurrentTable() == TChannelInfo::kMemory) {
    s.Track = channels.CurrentChannel();
    const TMemoryChannelRecord* memory = const_cast<TChannelInfo&>(channels).MemoryRecord(s.Track);
    s.Title = memory && !memory->Name.isEmpty() ? memory->Name : TChannelInfo::MemoryName(s.Track);
  } else {
    s.Track = channels.CurrentChannel();
    s.Title = ChannelTitle(channels, s.Track);
  }
  return s;
}

}  // namespace pvx::app
