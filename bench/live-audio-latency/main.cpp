// Live sound latency: the card's sound captured as the live preview plays it (audio capture
// filter rendered to the audio renderer, the desktop's sound server through GStreamer's
// automatic sink), measured by GStreamer's latency query: the time from a sample entering the
// capture source to leaving the sink. Without a card, a live test tone stands in for alsasrc.
//
//   bench-live-audio-latency [hw:X,Y] [seconds]      (default: the first card paired with a
//                                                     /dev/video node, else the stand-in; 5 s)
//   bench-live-audio-latency --smoke                  (the stand-in for 2 s, never a real card)

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "common/BenchHome.h"
#include "platform/BuiltinComponents.h"
#include "platform/devices/v4l2/AlsaCapture.h"
#include "platform/devices/v4l2/LiveSoundLatency.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"

using namespace pvx::platform;
using namespace pvx::platform::devices::v4l2;

namespace {

// Lips stay in sync while sound is at most this late (ITU-R BT.1359: 45 ms).
constexpr double kLipSyncMs = 45;

std::optional<TAlsaCaptureDevice> FirstPairedCard() {
  for (const QString& node : QDir("/sys/class/video4linux").entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
    if (auto card = PairedAlsaCapture(node)) return card;
  return std::nullopt;
}

}  // namespace

int main(int argc, char* argv[]) {
  const bool smoke = pvx::bench::TakeSmokeFlag(argc, argv);
  const pvx::bench::TBenchHome home;
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  std::optional<TAlsaCaptureDevice> card;
  if (!args.isEmpty() && args.front().startsWith("hw:")) card = TAlsaCaptureDevice{args.takeFirst(), "card", {}};
  const int seconds = smoke ? 2 : args.isEmpty() ? 5 : std::max(2, args.front().toInt());
  if (!card && !smoke) card = FirstPairedCard();

  std::shared_ptr<graph::TFilter> capture;
  if (card) {
    std::printf("capturing from %s (%s)\n", qPrintable(card->Device), qPrintable(card->Name));
    capture = MakeAlsaAudioCapture(*card);
  } else {
    std::printf("no capture card: a live test tone in 10 ms buffers stands in for alsasrc\n");
    capture = std::make_shared<TAlsaAudioCapture>(
        TAlsaCaptureDevice{"", "Stand-in", {}}, nullptr,
        "audiotestsrc name=src is-live=true wave=sine samplesperbuffer=480");
  }

  graph::TComponentRegistry components;
  RegisterBuiltinComponents(components);
  graph::TFilterGraph graph(components);
  graph.AddFilter(capture, "ACapture");
  if (!graph.Render(*capture->FindPin("Capture")) || !graph.Run()) {
    std::fprintf(stderr, "bench-live-audio-latency: the sound path did not start\n");
    return 1;
  }
  TLiveSoundLatency latency;
  const bool measured = MeasureLiveSoundLatency(graph, seconds * 1000, latency);
  graph.Stop();
  if (!measured) {
    std::fprintf(stderr, "bench-live-audio-latency: the pipeline did not answer the latency query\n");
    return 1;
  }
  std::printf("sink %s, %s pipeline\n", qPrintable(latency.Sink), latency.Live ? "live" : "not a live");
  const QString most = latency.MaxLatencyMs < 0 ? QString("no limit")
                                                 : QString("%1 ms").arg(latency.MaxLatencyMs, 0, 'f', 1);
  std::printf("latency (capture to playing): %.1f ms (the most the pipeline allows: %s)\n",
              latency.LatencyMs, qPrintable(most));
  std::printf("  of which %.1f ms before the sink and %.1f ms in the sink\n", latency.UpstreamMs,
              latency.LatencyMs - latency.UpstreamMs);
  std::printf("samples reach the sink %.1f ms after capture on average, %.1f ms at worst (%d buffers)\n",
              latency.ArrivalMeanMs, latency.ArrivalMaxMs, latency.Buffers);
  std::printf("lip sync (sound at most %.0f ms late): %s\n", kLipSyncMs,
              latency.LatencyMs <= kLipSyncMs ? "kept" : "NOT kept");
  return 0;
}
