// Records from the virtual card into a file, built as the recording tests build it, until the
// process is killed.
//
//   media_record_helper KIND PATH
//   KIND: mpeg2 | timeshift | divx | avi | wav | mp3
// Prints "recording" once the graph runs, then "second N" as each second of the stream has gone
// into the files.

#include <gst/gst.h>

#include <QCoreApplication>
#include <cstdio>

#include "../RecordGraphs.h"
#include "platform/BuiltinComponents.h"

using namespace pvx;

namespace {

// Called on the pipeline clock's thread at each whole second of the stream's running time.
gboolean ReportSeconds(GstClock*, GstClockTime, GstClockID, gpointer graph) {
  static qint64 reported = 0;
  qint64 position = 0;
  if (!static_cast<platform::graph::TFilterGraph*>(graph)->GetCurrentPosition(position)) return TRUE;
  while (reported < position / 10000000) std::printf("second %lld\n", ++reported);
  std::fflush(stdout);
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: media_record_helper KIND PATH\n");
    return 2;
  }
  const QString kind = QString::fromUtf8(argv[1]);
  const QString path = QString::fromUtf8(argv[2]);
  platform::graph::TComponentRegistry components;
  platform::RegisterBuiltinComponents(components);
  test::TCaptureRig rig(components, {});
  bool built = false;
  if (kind == "mpeg2") {
    built = test::AddMpegRecorder(rig, {2, 4000000, 3, 320, 240, 44100, 5, false, true, {}}, path) != nullptr;
  } else if (kind == "timeshift") {
    built = test::AddMpegRecorder(rig, test::kTimeShift, path) != nullptr;
  } else if (kind == "divx" || kind == "avi") {
    built = test::AddAviBranch(rig, kind == "divx" ? platform::media::kDivxName : nullptr, path);
  } else if (kind == "wav" || kind == "mp3") {
    built = test::AddSoundBranch(rig, kind == "mp3", path);
  }
  if (!rig.formatted || !built || !rig.graph.Run()) {
    std::fprintf(stderr, "cannot record %s\n", argv[1]);
    return 1;
  }
  std::printf("recording\n");
  std::fflush(stdout);
  // Waits on the pipeline's own clock: a tick at each second of running time.
  GstElement* pipeline = rig.graph.Pipeline();
  GstClock* clock = gst_pipeline_get_clock(GST_PIPELINE(pipeline));
  GstClockID tick =
      gst_clock_new_periodic_id(clock, gst_element_get_base_time(pipeline) + GST_SECOND, GST_SECOND);
  gst_clock_id_wait_async(tick, ReportSeconds, &rig.graph, nullptr);
  return app.exec();  // until killed
}
