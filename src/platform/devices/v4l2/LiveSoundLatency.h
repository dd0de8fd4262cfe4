#pragma once
// How late live sound is played: measured on a running graph whose sound goes to the audio
// renderer, for the live-sound benchmark.

#include <QString>

namespace pvx::platform::graph {
class TFilterGraph;
}

namespace pvx::platform::devices::v4l2 {

struct TLiveSoundLatency {
  bool Live = false;
  // From GStreamer's latency query: how long after capture a sample is played (the capture
  // period and the sink's own buffering included); the most that may build up, -1 unbounded.
  double LatencyMs = 0;
  // Of it, what lies before the sink (the capture period, conversions); the rest is the sink's.
  double UpstreamMs = 0;
  double MaxLatencyMs = 0;
  // How long after capture the samples reached the sink's input (mean, worst), over `Buffers`.
  double ArrivalMeanMs = 0;
  double ArrivalMaxMs = 0;
  int Buffers = 0;
  QString Sink;  // the element that plays ("pulsesink", "pipewiresink", "fakesink" ...)
};

// Watches the sink of the running graph for `ms` (the event loop runs meanwhile), then asks
// the pipeline for its latency. False when the graph is not running or has no sink.
bool MeasureLiveSoundLatency(graph::TFilterGraph& graph, int ms, TLiveSoundLatency& result);

}  // namespace pvx::platform::devices::v4l2
