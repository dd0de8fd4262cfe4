#pragma once
// The sound card mixers, shaped like the waveform-audio mixer the engine is written against:
// mixer devices, each with destinations (speakers, recording) that own source lines. Levels are
// 0..65535 per channel, with a mute. Calls address the selected device; change notifications
// cover every device and arrive later, on the UI thread, never inside the call that caused them.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace pvx::platform::mixer {

// Destination component types, numbered as the engine knows them (speakers 4, wave-in 7).
enum class TMixerDestinationType : int {
  Undefined = 0,
  Digital = 1,
  Line = 2,
  Monitor = 3,
  Speakers = 4,
  Headphones = 5,
  Telephone = 6,
  WaveIn = 7,
  VoiceIn = 8,
};

inline constexpr int kMixerFullScale = 65535;
// The line argument that addresses a destination's own (master) control.
inline constexpr int kDestinationControl = -1;

struct TMixerVolume {
  int Left = 0;
  int Right = 0;
  bool Mute = false;
  bool operator==(const TMixerVolume&) const = default;
};

// A set request; what is left empty stays as it is. Levels are clamped to 0..65535.
struct TMixerVolumeChange {
  std::optional<int> Left{};
  std::optional<int> Right{};
  std::optional<bool> Mute{};
};

class TMixerComponent {
 public:
  virtual ~TMixerComponent() = default;

  virtual int MixerCount() const = 0;
  // The selected device, -1 before any selection.
  virtual int MixerIndex() const = 0;
  // False (and the selection unchanged) for an index out of range.
  virtual bool SelectMixer(int index) = 0;

  // Of the selected device; empty or 0 when none is selected or the index is out of range.
  virtual QString ProductName() const = 0;
  virtual int DestinationCount() const = 0;
  virtual TMixerDestinationType DestinationType(int destination) const = 0;
  virtual QString DestinationName(int destination) const = 0;
  virtual int LineCount(int destination) const = 0;
  virtual QString LineName(int destination, int line) const = 0;

  // line is a source line of the destination, or kDestinationControl for the destination itself.
  virtual bool GetVolume(int destination, int line, TMixerVolume& volume) = 0;
  virtual bool SetVolume(int destination, int line, const TMixerVolumeChange& change) = 0;

  bool SetLineMute(int destination, int line, bool on);
  QStringList LineNames(int destination) const;

  // Sender first, then the device that changed. Line changes: lines came, went or changed state;
  // control changes: a level or mute moved, from this program or another.
  std::function<void(TMixerComponent& sender, int mixer)> OnLineChange;
  std::function<void(TMixerComponent& sender, int mixer)> OnControlChange;
};

// The platform's mixer: ALSA when a sound card is present, else the virtual mixer.
std::unique_ptr<TMixerComponent> CreateMixerComponent();

}  // namespace pvx::platform::mixer
