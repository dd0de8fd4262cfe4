#include "engine/RecordingBranch.h"

#include "engine/PreviewPipeline.h"
#include "platform/graph/TFilter.h"
#include "platform/graph/TFilterGraph.h"
#include "platform/media/MediaInterfaces.h"

namespace pvx::engine {

using namespace pvx::platform::graph;
namespace media = pvx::platform::media;

TFilterGraph& TRecordingBranch::Graph() const { return *preview_.Graph(); }

TRecordingBranch::FilterPtr TRecordingBranch::Add(const QString& friendlyName, const QString& name, int category) {
  auto filter = Graph().AddComponent(friendlyName, name,
                                     category < 0 ? DeviceCategory::LegacyFilter : DeviceCategory(category));
  if (filter) added_.push_back(filter);
  return filter;
}

void TRecordingBranch::TearDown() {
  if (preview_.Graph()) {
    for (const auto& filter : added_)
      if (filter->Graph() == preview_.Graph()) Graph().RemoveFilter(*filter);
    preview_.DropPictureChain();
  }
  added_.clear();
}

QString TRecordingBranch::RecordingError() const {
  for (const auto& filter : added_)
    if (const auto* result = filter->As<media::IRecordingResult>(); result && !result->LastError().isEmpty())
      return result->LastError();
  return QString();
}

bool RecordsSound(const TPreviewPipeline& preview, const settings::TCaptureSettings& stored) {
  return stored.RecordKind != 2 && preview.HasAudioCapture();
}

TPin* SoundSource(const TPreviewPipeline& preview) {
  return preview.AudioThroughCapture() && preview.AudioTeePin() ? preview.AudioTeePin() : preview.AudioCapturePin();
}

}  // namespace pvx::engine
