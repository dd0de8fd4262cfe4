#pragma once
// For the recording benchmarks: the virtual card in a graph, tuned to a station, recording
// 320x240 NTSC YUY2 pictures and 48 kHz sound through the MPEG recorder.

#include <QString>

#include "platform/BuiltinComponents.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"
#include "platform/media/MediaInterfaces.h"

namespace pvx::bench {

// Every built-in component, as the program's start-up registers them.
inline platform::graph::TComponentRegistry& Components() {
  static platform::graph::TComponentRegistry registry = [] {
    platform::graph::TComponentRegistry filled;
    platform::RegisterBuiltinComponents(filled);
    return filled;
  }();
  return registry;
}

struct TCard {
  std::shared_ptr<platform::graph::TFilter> video, audio;
};

// The virtual card's capture devices and tuner in `graph`, tuned to `hertz`.
inline TCard AddCard(platform::graph::TFilterGraph& graph, quint32 hertz) {
  using namespace platform::graph;
  TCard card{graph.Registry().Enumerate(DeviceCategory::VideoInputDevice).front().Bind(),
             graph.Registry().Enumerate(DeviceCategory::AudioInputDevice).front().Bind()};
  auto tuner = graph.Registry().Enumerate(DeviceCategory::TVTuner).front().Bind();
  graph.AddFilter(card.video, "VCapture");
  graph.AddFilter(card.audio, "ACapture");
  graph.AddFilter(tuner, "TVTuner");
  tuner->As<ITunerPropertySet>()->SetFrequency(hertz, kTuningExact, 0);
  return card;
}

struct TRecorderChoice {
  int streamType, quality, frameRateCode;
  bool timeShift;  // else a finished file
};

// Builds and runs the recording into `path`; false when any step fails.
inline bool StartRecording(platform::graph::TFilterGraph& graph, const QString& path,
                           const TRecorderChoice& choice) {
  using namespace platform::graph;
  const auto [video, audio] = AddCard(graph, 55250000);
  TMediaType picture, sound;
  video->As<IStreamConfig>()->GetStreamCaps(0, picture);
  picture.Subtype = "YUY2";
  picture.Width = 320;
  picture.Height = 240;
  picture.AvgTimePerFrame = 333667;
  audio->As<IStreamConfig>()->GetStreamCaps(0, sound);
  sound.SampleRate = 48000;
  if (!video->As<IStreamConfig>()->SetFormat(picture) || !audio->As<IStreamConfig>()->SetFormat(sound))
    return false;
  auto recorder = graph.AddComponent(platform::media::kMpegRecorderName, "MPEG");
  auto* s = recorder ? recorder->As<platform::media::IMpegRecorderSettings>() : nullptr;
  if (!s) return false;
  s->SetStreamType(choice.streamType);
  s->SetVideoBitRate(4000000);
  s->SetQuality(choice.quality);
  s->SetFrameSize(320, 240);
  s->SetAudioSampleRate(44100);
  s->SetFrameRateCode(choice.frameRateCode);
  s->SetFlags(choice.timeShift, !choice.timeShift);
  recorder->As<IFileSink>()->SetFileName(path);
  return graph.Render(*video->FindPin("Capture")) && graph.Render(*audio->FindPin("Capture")) &&
         graph.Run();
}

}  // namespace pvx::bench
