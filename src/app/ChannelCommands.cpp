#include "app/ChannelCommands.h"

#include "app/MainForm.h"
#include "app/ShellContext.h"
#include "engine/AudioAdjustInfo.h"
#include "engine/CaptureInfo.h"
#include "settings/ChannelInfo.h"
#include "settings/CountryInfo.h"
#include "settings/Globals.h"
#include "tuning/AddMemoryForm.h"
#include "tuning/CountryList.h"
#include "tuning/FormTVSetupWizard.h"

namespace pvx::app {

using namespace pvx::settings;

namespace {

enum Table { kAntenna = 0, kCable = 1, kMemory = 2, kFM = 3 };


}  // namespace

QString ChannelName(const TChannelInfo& c, int channel) {
  auto& channels = const_cast<TChannelInfo&>(c);
  switch (c.CurrentTable()) {
    case kAntenna:
    case kCable: {
      const TChannelRecord* record = channels.ChannelRecord(c.CurrentTable() == kCable, channel);
      return record ? record->Name : QString();
    }
    case kMemory: {
      const TMemoryChannelRecord* record = channels.MemoryRecord(channel);
      return record ? record->Name : QString();
    }
    case kFM: {
      const TFMMemoryChannelRecord* record = channels.FMRecord(channel);
      return record ? record->Name : QString();
    }
    default: return {};
  }
}

QString ChannelOSDText(const TChannelInfo& channels, int channel, const QString& displayText) {
  // The display text is the name, or the name followed by "- " and the audio mode.
  const QString name = ChannelName(channels, channel);
  QString text = QString::number(channel);
  if (!name.isEmpty()) text += ' ' + name;
  const QString modePrefix = name + QStringLiteral("- ");
  const QString mode = displayText.startsWith(modePrefix) ? displayText.mid(modePrefix.size()) : QString();
  if (!mode.isEmpty()) text += QStringLiteral(" - ") + mode;
  return text;
}

void FirstRunChannels(TShell& shell, int countryCode) {
  tuning::LoadCountryPlan(*shell.Channels, countryCode);
  // Through the model, so the input is routed and the windows hear of the source.
  shell.Channels->SetVideoSource(0);
}

bool SetupWizard(TShell& shell, bool firstRun) {
  tuning::TWizardInputs sound;
  if (const engine::TAudioAdjustInfo* audio = shell.Audio) {
    sound.PlaybackLines = audio->PlaybackLineNames();
    sound.RecordLines = audio->RecordLineNames();
    sound.PlaybackLine = audio->Levels.PlaybackLine;
    sound.RecordLine = audio->Levels.RecordLine;
  }
  sound.HomeCountry = shell.Country->CountryCode;
  sound.Apply = [&shell](int playbackLine, int recordLine) {
    if (shell.Audio) shell.Audio->Levels.PlaybackLine = playbackLine, shell.Audio->Levels.RecordLine = recordLine;
    if (shell.Capture) shell.Capture->SelectAudioInputLine(recordLine);
  };
  return tuning::RunSetupWizard(*shell.Channels, firstRun, std::move(sound), shell.Window);
}

void RegisterChannelCommands(TShell& shell) {
  TCommandDispatcher& d = *shell.Dispatcher;
  TChannelInfo& channels = *shell.Channels;
  using enum commands::TCommand;
  d.Register(NextChannel, [&channels] { channels.ChannelUp(); });
  d.Register(PreviousChannel, [&channels] { channels.ChannelDown(); });
  d.Register(RecallChannel, [&channels] { channels.Recall(); });
  // A second scan command during a scan stops it at its next channel.
  d.RegisterAtOnce(Scan, [&channels] {
    if (!channels.Scanning()) return false;
    channels.RequestAbort();
    return true;
  });
  d.Register(Scan, [&shell, &channels] {
    if (channels.Scanning()) {
      channels.RequestAbort();
      return;
    }
    if (channels.CurrentTable() <= kCable) channels.AutoScan(channels.CurrentTable());
    if (!shell.Exiting) channels.SelectChannel(channels.CurrentChannel());
  });
  d.Register(MemoriseChannel, [&shell] { tuning::AddMemoryChannel(*shell.Channels, shell.Window); });
}

}  // namespace pvx::app
