// Records from the virtual card into a file, built as the recording graphs build it, for the
// given number of seconds or until the process is killed.
//
//   media_record_helper KIND PATH [SECONDS]
//   KIND: mpeg2 | timeshift | divx | avi | wav | mp3
// Prints "recording" once the graph runs.

#include <QCoreApplication>
#include <QThread>
#include <cstdio>

#include "platform/BuiltinComponents.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"
#include "platform/media/MediaInterfaces.h"
#include "platform/media/TCaptureGraphBuilder.h"

using namespace pvx::platform::graph;
using namespace pvx::platform::media;

namespace {

bool AddMpeg(TFilterGraph& graph, TFilter& video, TFilter& audio, const QString& path,
             bool timeShift) {
  auto recorder = graph.AddComponent(kMpegRecorderName, "MPEG");
  if (!recorder) return false;
  auto* s = recorder->As<IMpegRecorderSettings>();
  s->SetStreamType(timeShift ? 1 : 2);
  s->SetVideoBitRate(4000000);
  s->SetQuality(3);
  s->SetFrameSize(320, 240);
  s->SetAudioSampleRate(44100);
  s->SetFrameRateCode(4);
  s->SetFlags(timeShift, !timeShift);
  return recorder->As<IFileSink>()->SetFileName(path) && graph.Render(*video.FindPin("Capture")) &&
         graph.Render(*audio.FindPin("Capture"));
}

bool AddAvi(TFilterGraph& graph, TFilter& video, TFilter& audio, const QString& path, bool divx) {
  TCaptureGraphBuilder builder(graph);
  std::shared_ptr<TFilter> mux;
  if (!builder.SetOutputFileName("AVI", path, &mux, nullptr)) return false;
  std::shared_ptr<TFilter> compressor;
  if (divx) {
    compressor = graph.AddComponent(kDivxName, "MPEG4", DeviceCategory::VideoCompressor);
    if (!compressor) return false;
  }
  return builder.RenderStream(PinCategory::Capture, std::nullopt, video, compressor.get(),
                              mux.get()) &&
         builder.RenderStream(PinCategory::None, std::nullopt, audio, nullptr, mux.get());
}

bool AddSound(TFilterGraph& graph, TFilter& audio, const QString& path, bool mp3) {
  TPin* source = audio.FindPin("Capture");
  if (mp3) {
    auto compressor = graph.AddComponent(kMp3CompressorName, "MP3", DeviceCategory::AudioCompressor);
    if (!compressor || !graph.Connect(*source, *compressor->FindPin("XForm In"))) return false;
    source = compressor->FindPin("XForm Out");
  }
  auto dest = graph.AddComponent(kWavDestName, "WaveDest");
  auto writer = graph.AddComponent(kFileWriterName, "File Writer");
  auto* sink = writer ? writer->As<IFileSinkFilter2>() : nullptr;
  return dest && sink && sink->SetMode(0) && sink->SetFileName(path) && graph.Render(*source);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: media_record_helper KIND PATH [SECONDS]\n");
    return 2;
  }
  const QString kind = QString::fromUtf8(argv[1]);
  const QString path = QString::fromUtf8(argv[2]);
  const int seconds = argc > 3 ? std::atoi(argv[3]) : 0;

  TComponentRegistry components;
  pvx::platform::RegisterBuiltinComponents(components);
  TFilterGraph graph(components);
  auto video = components.Enumerate(DeviceCategory::VideoInputDevice).front().Bind();
  auto audio = components.Enumerate(DeviceCategory::AudioInputDevice).front().Bind();
  auto tuner = components.Enumerate(DeviceCategory::TVTuner).front().Bind();
  graph.AddFilter(video, "VCapture");
  graph.AddFilter(audio, "ACapture");
  graph.AddFilter(tuner, "TVTuner");
  tuner->As<ITunerPropertySet>()->SetFrequency(55250000, kTuningExact, 0);
  TMediaType format;
  video->As<IStreamConfig>()->GetStreamCaps(0, format);
  format.Width = 320;
  format.Height = 240;
  video->As<IStreamConfig>()->SetFormat(format);

  bool built = false;
  if (kind == "mpeg2" || kind == "timeshift") {
    built = AddMpeg(graph, *video, *audio, path, kind == "timeshift");
  } else if (kind == "divx" || kind == "avi") {
    built = AddAvi(graph, *video, *audio, path, kind == "divx");
  } else if (kind == "wav" || kind == "mp3") {
    built = AddSound(graph, *audio, path, kind == "mp3");
  }
  if (!built || !graph.Run()) {
    std::fprintf(stderr, "cannot record %s\n", argv[1]);
    return 1;
  }
  std::printf("recording\n");
  std::fflush(stdout);
  // Tells how much of the stream went into the files, once per second of it.
  qint64 reported = 0;
  for (;;) {
    QCoreApplication::processEvents();
    QThread::msleep(20);
    qint64 position = 0;
    if (!graph.GetCurrentPosition(position) || position / 10000000 <= reported) continue;
    reported = position / 10000000;
    std::printf("second %lld\n", static_cast<long long>(reported));
    std::fflush(stdout);
    if (seconds > 0 && reported >= seconds) break;
  }
  graph.Stop();
  return 0;
}
