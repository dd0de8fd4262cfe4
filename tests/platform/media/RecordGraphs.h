#pragma once
// The recording branches on the virtual card, built as the recording graph builds them. Shared
// by the recording tests and by the helper process that the kill test records with, so both
// write their files through the same calls.

#include <QString>
#include <memory>

#include "platform/graph/Interfaces.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"
#include "platform/media/MediaInterfaces.h"
#include "platform/media/TCaptureGraphBuilder.h"
#include "platform/media/TRecordProfile.h"

namespace pvx::test {

inline constexpr qint64 kNtscFrame = 333667;
inline constexpr qint64 kPalFrame = 400000;

// The picture and sound a recording asks of the card.
struct TCaptureFormat {
  int width = 320, height = 240;
  qint64 frame = kNtscFrame;
  const char* subtype = "YUY2";
  int sampleRate = 48000;
};

// The virtual card's capture devices in a graph, tuned to a station; `formatted` tells whether
// both took the format asked.
struct TCaptureRig {
  platform::graph::TFilterGraph graph;
  std::shared_ptr<platform::graph::TFilter> video, audio, tuner;
  bool formatted = false;

  TCaptureRig(const platform::graph::TComponentRegistry& components, const TCaptureFormat& format)
      : graph(components) {
    using namespace platform::graph;
    video = components.Enumerate(DeviceCategory::VideoInputDevice).front().Bind();
    audio = components.Enumerate(DeviceCategory::AudioInputDevice).front().Bind();
    tuner = components.Enumerate(DeviceCategory::TVTuner).front().Bind();
    graph.AddFilter(video, "VCapture");
    graph.AddFilter(audio, "ACapture");
    graph.AddFilter(tuner, "TVTuner");
    tuner->As<ITunerPropertySet>()->SetFrequency(55250000, kTuningExact, 0);
    TMediaType picture, sound;
    video->As<IStreamConfig>()->GetStreamCaps(0, picture);
    picture.Subtype = format.subtype;
    picture.Width = format.width;
    picture.Height = format.height;
    picture.AvgTimePerFrame = format.frame;
    audio->As<IStreamConfig>()->GetStreamCaps(0, sound);
    sound.SampleRate = format.sampleRate;
    formatted =
        video->As<IStreamConfig>()->SetFormat(picture) && audio->As<IStreamConfig>()->SetFormat(sound);
  }
  platform::graph::TPin& VideoPin() { return *video->FindPin("Capture"); }
  platform::graph::TPin& AudioPin() { return *audio->FindPin("Capture"); }
};

// The MPEG recorder with its settings in their order, the file name, then both capture pins
// rendered into it. nullptr when any of it is refused.
inline std::shared_ptr<platform::graph::TFilter> AddMpegRecorder(TCaptureRig& rig,
                                                                 const platform::media::TMpegSettings& s,
                                                                 const QString& path) {
  using namespace platform::media;
  auto recorder = rig.graph.AddComponent(kMpegRecorderName, "MPEG");
  auto* set = recorder ? recorder->As<IMpegRecorderSettings>() : nullptr;
  const bool built = set && set->SetStreamType(s.streamType) && set->SetVideoBitRate(s.bitRate) &&
                     set->SetQuality(s.quality) && set->SetFrameSize(s.width, s.height) &&
                     set->SetAudioSampleRate(s.sampleRate) && set->SetFrameRateCode(s.frameRateCode) &&
                     set->SetFlags(s.timeShift, s.programStream) &&
                     (!s.container || set->SetContainer(*s.container)) &&
                     recorder->As<platform::graph::IFileSink>()->SetFileName(path) &&
                     rig.graph.Render(rig.VideoPin()) && rig.graph.Render(rig.AudioPin());
  return built ? recorder : nullptr;
}

// 320x240 MPEG-1 at 4 Mbit/s and 30 frames/s, quality 3, with 44.1 kHz sound, into the named .mpv
// file and its ".mpa" companion, played while it grows.
inline const platform::media::TMpegSettings kTimeShift{1, 4000000, 3, 320, 240, 44100, 5, true, false, {}};

// An AVI file through the capture graph builder: the picture through the compressor of that
// name (nullptr: uncompressed) and the sound as PCM. The file writer's name must be `path`.
inline bool AddAviBranch(TCaptureRig& rig, const char* compressorName, const QString& path) {
  using namespace platform::graph;
  using namespace platform::media;
  TCaptureGraphBuilder builder(rig.graph);
  std::shared_ptr<TFilter> compressor, mux;
  if (compressorName) {
    compressor = rig.graph.AddComponent(compressorName, "MPEG4", DeviceCategory::VideoCompressor);
    if (!compressor) return false;
  }
  IFileSinkFilter2* sink = nullptr;
  return builder.SetOutputFileName("AVI", path, &mux, &sink) && sink->GetCurFile() == path &&
         builder.RenderStream(PinCategory::Capture, std::nullopt, *rig.video, compressor.get(), mux.get()) &&
         builder.RenderStream(PinCategory::None, std::nullopt, *rig.audio, nullptr, mux.get());
}

// The sound alone, through the MP3 compressor or as PCM, into the WAV writer and file writer.
inline bool AddSoundBranch(TCaptureRig& rig, bool mp3, const QString& path) {
  using namespace platform::graph;
  using namespace platform::media;
  TPin* source = &rig.AudioPin();
  if (mp3) {
    auto compressor = rig.graph.AddComponent(kMp3CompressorName, "MP3", DeviceCategory::AudioCompressor);
    if (!compressor || !rig.graph.Connect(*source, *compressor->FindPin(PinDir::Input))) return false;
    source = compressor->FindPin(PinDir::Output);
  }
  auto dest = rig.graph.AddComponent(kWavDestName, "WaveDest");
  auto writer = rig.graph.AddComponent(kFileWriterName, "File Writer");
  auto* sink = writer ? writer->As<IFileSinkFilter2>() : nullptr;
  return dest && sink && sink->SetMode(0) && sink->SetFileName(path) && rig.graph.Render(*source);
}

}  // namespace pvx::test
