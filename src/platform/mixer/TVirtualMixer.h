#pragma once
// A mixer held in memory: the default when the machine has no sound card, and the mixer of the
// tests. Devices, product names, destinations and line names are configurable. Like a real
// mixer it reports every change, its own sets included, as a queued notification.

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "platform/mixer/TMixerComponent.h"

class QObject;

namespace pvx::platform::devices {
class TLineInMonitor;
}

namespace pvx::platform::mixer {

struct TVirtualMixerLine {
  QString Name;
  TMixerVolume Volume{49152, 49152, false};
};

struct TVirtualMixerDestination {
  TMixerDestinationType Type = TMixerDestinationType::Speakers;
  QString Name;
  TMixerVolume Volume{49152, 49152, false};
  std::vector<TVirtualMixerLine> Lines;
};

struct TVirtualMixerDevice {
  QString ProductName;
  std::vector<TVirtualMixerDestination> Destinations;
};

class TVirtualMixer final : public TMixerComponent {
 public:
  // Named like the virtual TV card's audio capture device, whose line-in it stands for.
  static constexpr const char* kDefaultProductName = "OKA Virtual Philips 7134 Audio Capture";

  // A destination with the given line names, each at the default level.
  static TVirtualMixerDestination Destination(TMixerDestinationType type, const QString& name,
                                              const QStringList& lines);
  // Speakers ("Volume Control": Wave, CD Audio, Line In, Microphone) and recording
  // ("Recording Control": CD Audio, Line In, Microphone).
  static TVirtualMixerDevice DefaultDevice(const QString& productName = kDefaultProductName);

  explicit TVirtualMixer(std::vector<TVirtualMixerDevice> devices = {DefaultDevice()});
  // True while the TV card's sound plays through the line input.
  bool LineInPlaying() const;
  ~TVirtualMixer() override;
  TVirtualMixer(const TVirtualMixer&) = delete;
  TVirtualMixer& operator=(const TVirtualMixer&) = delete;

  int MixerCount() const override { return int(devices_.size()); }
  int MixerIndex() const override { return selected_; }
  bool SelectMixer(int index) override;
  QString ProductName() const override;
  int DestinationCount() const override;
  TMixerDestinationType DestinationType(int destination) const override;
  QString DestinationName(int destination) const override;
  int LineCount(int destination) const override;
  QString LineName(int destination, int line) const override;
  bool GetVolume(int destination, int line, TMixerVolume& volume) override;
  bool SetVolume(int destination, int line, const TMixerVolumeChange& change) override;

  // The current state of a device, for tests to inspect.
  const TVirtualMixerDevice& Device(int index) const { return devices_.at(size_t(index)); }

  // Changes a level as another program would; the change is reported like any other.
  bool ChangeFromOutside(int mixer, int destination, int line, const TMixerVolumeChange& change);
  // Reports a line change on a device, as when a line's state changes.
  void NotifyLineChange(int mixer);

  // A set as it was asked, before clamping.
  struct TSetRequest {
    int Mixer = -1;
    int Destination = -1;
    int Line = kDestinationControl;
    TMixerVolumeChange Change;
  };
  std::vector<TSetRequest> Requests;

  // Makes every volume read and set fail, as a device that stopped answering.
  bool FailCalls = false;

 private:
  TMixerVolume* Control(int mixer, int destination, int line);
  void PostNotification(int mixer, bool lineChange);

  // The virtual TV card's sound reaches the default device's line input.
  void UpdateLineInMonitor();

  std::vector<TVirtualMixerDevice> devices_;
  int selected_ = -1;
  std::unique_ptr<devices::TLineInMonitor> lineIn_;
  // Context of the queued notifications; they are dropped when the mixer goes.
  std::unique_ptr<QObject> context_;
};

}  // namespace pvx::platform::mixer
