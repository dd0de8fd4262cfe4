// The recording session on its own: what it queues from live and file sources, and a picture
// that cannot be read fails the recording.

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QStringList>

#include "platform/graph/GstPtr.h"
#include "platform/media/FfmpegSupport.h"
#include "platform/media/TRecordProfile.h"
#include "platform/media/TRecordSession.h"
#include "support/TestEnvironment.h"

namespace pvx::test {
namespace {

using namespace platform::media;
using platform::graph::GstSamplePtr;

TEST(RecordSession, QueueRoomForLiveAndFileSources) {
  struct Case {
    bool video, live;
    size_t queuedVideo, queuedAudio;
    QueueRoom room;
  };
  const Case cases[] = {
      {true, true, 89, 0, QueueRoom::Take},    {true, true, 90, 0, QueueRoom::Drop},
      {true, false, 90, 0, QueueRoom::Wait},   {false, true, 90, 299, QueueRoom::Take},
      {false, true, 0, 300, QueueRoom::Drop},  {false, false, 0, 300, QueueRoom::Wait},
      {false, true, 90, 310, QueueRoom::Drop}, {true, true, 0, 400, QueueRoom::Take},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RoomFor(c.video, c.live, c.queuedVideo, c.queuedAudio), c.room)
        << c.video << c.live << " " << c.queuedVideo << "/" << c.queuedAudio;
}

GstSamplePtr Picture(gsize bytes, GstClockTime pts) {
  GstBuffer* buffer = gst_buffer_new_allocate(nullptr, bytes, nullptr);
  gst_buffer_memset(buffer, 0, 0x80, bytes);
  GST_BUFFER_PTS(buffer) = pts;
  GstCaps* caps = gst_caps_from_string("video/x-raw,format=I420,width=320,height=240,framerate=25/1");
  GstSample* sample = gst_sample_new(buffer, caps, nullptr, nullptr);
  gst_buffer_unref(buffer);
  gst_caps_unref(caps);
  return GstSamplePtr(sample);
}

TEST(RecordSession, APictureThatCannotBeReadFailsTheRecording) {
  platform::graph::EnsureGstreamer();
  for (const bool whole : {true, false}) {
    TRecordProfile profile = MpegProfileOf(TMpegSettings{}, Home() + "picture.mpg");
    TRecordSession session(profile, /*withVideo=*/true, /*withAudio=*/false);
    QString why;
    ASSERT_TRUE(session.Start(why)) << why.toStdString();
    // An I420 picture of 320x240 needs 115200 bytes; the short one cannot be mapped.
    const gsize bytes = whole ? 320 * 240 * 3 / 2 : 1000;
    for (int i = 0; i < 3; ++i) session.Push(Picture(bytes, i * 40 * GST_MSECOND).get(), true, false);
    EXPECT_EQ(session.Finish(), whole) << session.Error().toStdString();
    EXPECT_EQ(session.Error().isEmpty(), whole) << session.Error().toStdString();
  }
}

}  // namespace
}  // namespace pvx::test

namespace {
QStringList gLogged;
void Keep(QtMsgType, const QMessageLogContext&, const QString& text) { gLogged << text; }
}  // namespace

// An encoder at its limits complains for every frame: a few lines, then silence.
TEST(RecordSession, ARepeatedCodecComplaintIsLoggedAFewTimesOnly) {
  pvx::platform::media::RouteFfmpegLog();
  gLogged.clear();
  const QtMessageHandler old = qInstallMessageHandler(Keep);
  for (int i = 0; i < 50; ++i) av_log(nullptr, AV_LOG_ERROR, "rate too small for frame %d\n", i);
  av_log(nullptr, AV_LOG_ERROR, "another complaint\n");
  qInstallMessageHandler(old);
  EXPECT_EQ(gLogged, QStringList({"rate too small for frame 0", "rate too small for frame 1",
                                  "rate too small for frame 2",
                                  "(the message above repeats; not shown again)", "another complaint"}));
}
