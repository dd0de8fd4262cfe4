#pragma once
// What a recording adds to the live graph, whichever way it was built: every filter is kept
// here and taken out again by TearDown, so the preview can be rebuilt from the devices
// afterwards. The preview keeps running in the same graph.

#include <QString>
#include <memory>
#include <vector>

#include "settings/CaptureSettings.h"

namespace pvx::platform::graph {
class TFilter;
class TFilterGraph;
class TPin;
}  // namespace pvx::platform::graph

namespace pvx::engine {

class TPreviewPipeline;

struct TRecordRequest {
  int Kind = 1;  // StreamKind
  bool TimeShift = false;
  bool Radio = false;
  int Standard = 0;  // video standard: the time-shift size follows it
  QString File;
  int MPEG4Codec = 2;
  int AudioBitRate = 224000, AudioSampleRate = 48000, AudioChannels = 2;
  // What the file says about itself where its container keeps tags.
  QString Station, Title;
  int Channel = 0;
};

class TRecordingBranch {
 public:
  using FilterPtr = std::shared_ptr<platform::graph::TFilter>;

  explicit TRecordingBranch(TPreviewPipeline& preview) : preview_(preview) {}

  platform::graph::TFilterGraph& Graph() const;
  // A registered component added under `name` and kept; nullptr when there is none.
  FilterPtr Add(const QString& friendlyName, const QString& name, int category = -1);
  // A filter added to the graph another way, taken out with the rest.
  void Keep(FilterPtr filter) { added_.push_back(std::move(filter)); }
  // Takes every recording filter out of the graph (it must be stopped).
  void TearDown();
  // Why a writer of the branch failed; empty while the recording goes well.
  QString RecordingError() const;

 private:
  TPreviewPipeline& preview_;
  std::vector<FilterPtr> added_;
};

// The recording takes sound: not turned off and the card has some.
bool RecordsSound(const TPreviewPipeline& preview, const settings::TCaptureSettings& stored);
// The sound to record: the audio tee's second output when the sound plays through it.
platform::graph::TPin* SoundSource(const TPreviewPipeline& preview);

}  // namespace pvx::engine
