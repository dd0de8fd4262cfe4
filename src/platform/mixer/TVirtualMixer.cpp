#include "platform/mixer/TVirtualMixer.h"

#include "platform/devices/virtual/LineInMonitor.h"

#include <QMetaObject>
#include <QObject>
#include <algorithm>

namespace pvx::platform::mixer {

namespace {

int ClampLevel(int level) { return std::clamp(level, 0, kMixerFullScale); }

}  // namespace

TVirtualMixerDestination TVirtualMixer::Destination(TMixerDestinationType type,
                                                    const QString& name,
                                                    const QStringList& lines) {
  TVirtualMixerDestination destination;
  destination.Type = type;
  destination.Name = name;
  for (const QString& line : lines) destination.Lines.push_back({line});
  return destination;
}

TVirtualMixerDevice TVirtualMixer::DefaultDevice(const QString& productName) {
  return {productName,
          {Destination(TMixerDestinationType::Speakers, "Volume Control",
                       {"Wave", "CD Audio", "Line In", "Microphone"}),
           Destination(TMixerDestinationType::WaveIn, "Recording Control",
                       {"CD Audio", "Line In", "Microphone"})}};
}

TVirtualMixer::TVirtualMixer(std::vector<TVirtualMixerDevice> devices)
    : devices_(std::move(devices)), context_(std::make_unique<QObject>()) {}

TVirtualMixer::~TVirtualMixer() = default;

bool TVirtualMixer::SelectMixer(int index) {
  if (index < 0 || index >= MixerCount()) return false;
  selected_ = index;
  return true;
}

QString TVirtualMixer::ProductName() const {
  return selected_ >= 0 ? devices_[size_t(selected_)].ProductName : QString();
}

int TVirtualMixer::DestinationCount() const {
  return selected_ >= 0 ? int(devices_[size_t(selected_)].Destinations.size()) : 0;
}

TMixerDestinationType TVirtualMixer::DestinationType(int destination) const {
  if (destination < 0 || destination >= DestinationCount()) return TMixerDestinationType::Undefined;
  return devices_[size_t(selected_)].Destinations[size_t(destination)].Type;
}

QString TVirtualMixer::DestinationName(int destination) const {
  if (destination < 0 || destination >= DestinationCount()) return {};
  return devices_[size_t(selected_)].Destinations[size_t(destination)].Name;
}

int TVirtualMixer::LineCount(int destination) const {
  if (destination < 0 || destination >= DestinationCount()) return 0;
  return int(devices_[size_t(selected_)].Destinations[size_t(destination)].Lines.size());
}

QString TVirtualMixer::LineName(int destination, int line) const {
  if (line < 0 || line >= LineCount(destination)) return {};
  return devices_[size_t(selected_)].Destinations[size_t(destination)].Lines[size_t(line)].Name;
}

TMixerVolume* TVirtualMixer::Control(int mixer, int destination, int line) {
  if (mixer < 0 || mixer >= MixerCount()) return nullptr;
  auto& destinations = devices_[size_t(mixer)].Destinations;
  if (destination < 0 || destination >= int(destinations.size())) return nullptr;
  TVirtualMixerDestination& d = destinations[size_t(destination)];
  if (line == kDestinationControl) return &d.Volume;
  if (line < 0 || line >= int(d.Lines.size())) return nullptr;
  return &d.Lines[size_t(line)].Volume;
}

bool TVirtualMixer::GetVolume(int destination, int line, TMixerVolume& volume) {
  const TMixerVolume* control = FailCalls ? nullptr : Control(selected_, destination, line);
  if (!control) return false;
  volume = *control;
  return true;
}

bool TVirtualMixer::SetVolume(int destination, int line, const TMixerVolumeChange& change) {
  Requests.push_back({selected_, destination, line, change});
  if (FailCalls) return false;
  return ChangeFromOutside(selected_, destination, line, change);
}

bool TVirtualMixer::ChangeFromOutside(int mixer, int destination, int line,
                                      const TMixerVolumeChange& change) {
  TMixerVolume* control = Control(mixer, destination, line);
  if (!control) return false;
  if (change.Left) control->Left = ClampLevel(*change.Left);
  if (change.Right) control->Right = ClampLevel(*change.Right);
  if (change.Mute) control->Mute = *change.Mute;
  if (mixer == 0) UpdateLineInMonitor();
  PostNotification(mixer, false);
  return true;
}

bool TVirtualMixer::LineInPlaying() const { return lineIn_ && lineIn_->Playing(); }

void TVirtualMixer::UpdateLineInMonitor() {
  // Only the machine's own sound card has the TV card's cable in its line input.
  if (devices_.empty() || devices_[0].ProductName != QLatin1String(kDefaultProductName)) return;
  for (const TVirtualMixerDestination& d : devices_[0].Destinations) {
    if (d.Type != TMixerDestinationType::Speakers) continue;
    for (const TVirtualMixerLine& line : d.Lines) {
      if (line.Name != QLatin1String("Line In")) continue;
      if (!lineIn_) lineIn_ = std::make_unique<devices::TLineInMonitor>();
      const int level = qMin(qMax(d.Volume.Left, d.Volume.Right), qMax(line.Volume.Left, line.Volume.Right));
      lineIn_->SetLevel(level / 65535.0, d.Volume.Mute || line.Volume.Mute);
      return;
    }
  }
}

void TVirtualMixer::NotifyLineChange(int mixer) {
  if (mixer >= 0 && mixer < MixerCount()) PostNotification(mixer, true);
}

void TVirtualMixer::PostNotification(int mixer, bool lineChange) {
  QMetaObject::invokeMethod(
      context_.get(),
      [this, mixer, lineChange] {
        auto& handler = lineChange ? OnLineChange : OnControlChange;
        if (handler) handler(*this, mixer);
      },
      Qt::QueuedConnection);
}

}  // namespace pvx::platform::mixer
