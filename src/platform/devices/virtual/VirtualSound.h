#pragma once
// The sound the virtual card gives for what it receives: a station's tone (a fifth higher in
// the second language) with hiss as the tuner drifts off the carrier, or the sound of the
// station's media file; the line input's tone, hiss where nothing is tuned, or silence.

#include <QByteArray>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/devices/ICaptureCard.h"
#include "platform/graph/GstPtr.h"

typedef struct _GstElement GstElement;
typedef struct _GstPad GstPad;
typedef struct _GstPadProbeInfo GstPadProbeInfo;

namespace pvx::platform::devices {

class TVirtualCard;
class TVirtualFilePlayer;
struct TReception;

// What an audiotestsrc cannot make by itself, added to its buffers in its streaming thread.
// The audiotestsrc settings a sound is made of; a negative number leaves that one as it is.
struct TTone {
  const char* Wave = "sine";
  double Freq = -1, Volume = -1;
};

class TSoundAnimator {
 public:
  // Applied by the streaming thread before its next buffer: audiotestsrc forgets its wave
  // generator for a moment while the wave is set, so another thread must not set it while it
  // streams.
  void SetTone(const TTone& tone);
  // `melody`: notes played in turn over the source's own tone; empty keeps the tone.
  void SetLook(int hiss, const QByteArray& filePath, std::vector<int> melody = {});
  // Lets the file go once the source has stopped streaming; the next run starts it over.
  void Rest() { player_.reset(); }
  // Pad probe on the audiotestsrc's output.
  static int OnBuffer(GstPad* pad, GstPadProbeInfo* info, void* self);

 private:
  std::mutex mutex_;
  int hiss_ = 0;  // 0 .. 100
  QByteArray filePath_;
  std::vector<int> melody_;
  std::optional<TTone> tone_;
  // Streaming thread only.
  void Sing(qint16* samples, int frames, int channels, int rate, const std::vector<int>& melody);
  quint64 frame_ = 0;
  double phase_ = 0;
  std::shared_ptr<TVirtualFilePlayer> player_;
  quint32 seed_ = 0x2545f491u;
};

// Sets an audiotestsrc to play `sound` as the card's audio output does; with an animator
// attached to that source, also the hiss and a station's file.
void ApplySound(GstElement* audioTestSource, const TVirtualCard& card, const TReception& sound,
                TSoundAnimator* animator = nullptr);
// Attaches a new animator to an audiotestsrc's output.
std::shared_ptr<TSoundAnimator> AnimateSound(GstElement* audioTestSource);

// The audio capture device's sound: what the card's enabled line receives, as PCM in the
// format asked.
class TVirtualAudioSource final : public ICardSource {
 public:
  explicit TVirtualAudioSource(const TVirtualCard& card);
  GstElement* Bin() const override { return bin_.get(); }
  void Apply(const graph::TMediaType& format) override;
  void Follow() override;
  void Rest() override;

 private:
  const TVirtualCard& card_;
  graph::GstPtr<GstElement> bin_;
  GstElement* src_ = nullptr;  // the bin keeps it
  std::shared_ptr<TSoundAnimator> sound_;
};

}  // namespace pvx::platform::devices
