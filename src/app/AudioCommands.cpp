// Sound: volume steps, mute and the TV audio mode of the current channel.

#include "app/MainForm.h"
#include "app/OSDForm.h"
#include "app/ShellContext.h"
#include "engine/AudioAdjustInfo.h"
#include "settings/ChannelInfo.h"
#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"

namespace pvx::app {

namespace {

constexpr int kVolumeStep = 0x1999;  // a tenth of the range

QString Caption(const char* key, const char* builtIn) {
  const QString text = settings::MultiLangInfo ? settings::MultiLangInfo->LookupCaption(key) : QString();
  return text.isEmpty() ? QString::fromLatin1(builtIn) : text;
}

void StepVolume(engine::TAudioAdjustInfo& audio, TFormOSD& osd, int direction) {
  const qint64 requested = qint64(audio.Volume()) + direction * kVolumeStep;
  if (audio.HasMixer()) audio.SetVolume(requested);
  qint64 percent = requested * 100 / 65536;
  percent = direction > 0 ? qMin<qint64>(percent, 100) : qMax<qint64>(percent, 0);
  osd.Show(Caption("Volume", "Volume") + " " + QString::number(percent) + "%", false);
}

void ToggleMute(engine::TAudioAdjustInfo& audio, TFormOSD& osd) {
  const bool mute = !audio.Muted();
  if (audio.HasMixer()) audio.SetMasterMute(mute);
  osd.Show(Caption("Mute", "Mute") + (mute ? " ON" : " OFF"), false);
}

// The modes after the current one in turn (SAP only where the standard has it); the first the
// card takes is stored with the antenna or cable channel.
void CycleTVAudioMode(settings::TChannelInfo& c) {
  if (c.VideoSource() != 0) return;
  const int current = c.AudioMode() < 5 ? c.AudioMode() : 0;
  for (int step = 1; step <= 5; ++step) {
    const int mode = (current + step) % 5;
    if (mode == 2 && (c.Standard() <= 1 || c.Standard() == 11)) continue;
    if (!c.SetAudioMode(mode)) continue;
    if (c.CurrentTable() <= 1)
      if (auto* record = c.ChannelRecord(c.CurrentTable() == 1, c.CurrentChannel()))
        record->AudioMode = quint8(mode);
    return;
  }
}

}  // namespace

void RegisterAudioCommands(TShell& shell) {
  TCommandDispatcher& d = *shell.Dispatcher;
  engine::TAudioAdjustInfo& audio = *shell.Audio;
  TFormOSD& osd = *shell.Window->OSD();
  using enum commands::TCommand;
  d.Register(TVAudioMode, [&shell] { CycleTVAudioMode(*shell.Channels); });
  d.Register(VolumeUp, [&audio, &osd] { StepVolume(audio, osd, +1); });
  d.Register(VolumeDown, [&audio, &osd] { StepVolume(audio, osd, -1); });
  d.Register(Mute, [&audio, &osd] { ToggleMute(audio, osd); });
}

}  // namespace pvx::app
