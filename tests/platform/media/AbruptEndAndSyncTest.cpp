// Recordings that end badly and long ones: a recording whose process is killed still probes
// and plays up to about its last second, and a minute from the virtual card keeps picture and
// sound together.

#include <QFileInfo>
#include <QProcess>
#include <cstdio>

#include "MediaTestSupport.h"
#include "platform/media/MediaInterfaces.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::platform::graph;
using namespace pvx::platform::media;

namespace {

struct KillCase {
  const char* kind;  // of media_record_helper
  const char* file;
  bool video;
};

// Decoded length in seconds of the first video stream (frames / rate), or of the sound.
double DecodedSeconds(const QString& path, bool video) {
  QProcess p;
  if (video) {
    p.start("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                        "stream=nb_read_frames,r_frame_rate", "-of", "csv=p=0", path});
  } else {
    p.start("ffmpeg", {"-v", "error", "-i", path, "-f", "s16le", "-ac", "2", "-ar", "48000", "-"});
  }
  p.waitForFinished(120000);
  const QByteArray out = p.readAllStandardOutput();
  if (!video) return double(out.size()) / (48000 * 4);
  const QList<QByteArray> f = out.trimmed().split(',');
  if (f.size() < 2) return -1;
  const QList<QByteArray> rate = f[0].split('/');
  const double fps = rate.size() == 2 ? rate[0].toDouble() / rate[1].toDouble() : 0;
  return fps > 0 ? f[1].toDouble() / fps : -1;
}

class KilledRecording : public ::testing::TestWithParam<KillCase> {};

TEST_P(KilledRecording, ProbesAndPlaysUpToItsLastSecond) {
  const KillCase c = GetParam();
  const QString path = test::Home() + c.file;
  QProcess helper;
  helper.start(PVX_RECORD_HELPER, {c.kind, path});
  ASSERT_TRUE(helper.waitForReadyRead(20000)) << "the helper did not start recording";
  ASSERT_TRUE(helper.readAll().contains("recording"));
  test::SleepReal(4000);
  helper.kill();  // SIGKILL: nothing is completed
  ASSERT_TRUE(helper.waitForFinished(10000));
  EXPECT_EQ(helper.exitStatus(), QProcess::CrashExit);

  const test::TProbe probe = test::Probe(path);
  ASSERT_TRUE(probe.ok) << probe.error.toStdString();
  EXPECT_EQ(test::DecodeAll(path).exitCode, 0);
  // At most about a second is lost: what was written before the last commit plays.
  EXPECT_GT(DecodedSeconds(path, c.video), 2.5);
  if (QString(c.kind) == "timeshift") {
    const QString sound = path.left(path.size() - 1) + "a";
    ASSERT_TRUE(test::Probe(sound).ok);
    EXPECT_GT(DecodedSeconds(sound, false), 2.5);
  }
}

const KillCase kKillCases[] = {
    {"mpeg2", "killed.mpg", true}, {"timeshift", "killed.mpv", true},
    {"divx", "killed.avi", true},  {"avi", "killed_raw.avi", true},
    {"wav", "killed.wav", false},  {"mp3", "killed.mp3", false},
};

INSTANTIATE_TEST_SUITE_P(Kinds, KilledRecording, ::testing::ValuesIn(kKillCases),
                         [](const auto& info) {
                           return QFileInfo(info.param.file).completeBaseName().toStdString() +
                                  "_" + QFileInfo(info.param.file).suffix().toStdString();
                         });

TEST(RecordingSync, AMinuteFromTheCardKeepsSoundWithPicture) {
  const QString path = test::Home() + "minute.mpg";
  test::TCaptureRig rig(320, 240, test::kNtscFrame);
  auto recorder = rig.graph.AddComponent("OKA Mpeg1/2 Recorder Filter", "MPEG");
  ASSERT_TRUE(recorder);
  auto* s = recorder->As<IMpegRecorderSettings>();
  s->SetStreamType(2);
  s->SetVideoBitRate(4000000);
  s->SetQuality(0);
  s->SetFrameSize(320, 240);
  s->SetAudioSampleRate(44100);
  s->SetFrameRateCode(4);
  s->SetFlags(false, true);
  recorder->As<IFileSink>()->SetFileName(path);
  ASSERT_TRUE(rig.graph.Render(rig.VideoPin()));
  ASSERT_TRUE(rig.graph.Render(rig.AudioPin()));
  ASSERT_TRUE(rig.graph.Run());
  test::SleepReal(60000);
  ASSERT_TRUE(rig.graph.Stop());

  const test::TSpans spans = test::PacketSpans(path);
  std::printf("picture %.3f s, sound %.3f s\n", spans.video, spans.audio);
  EXPECT_NEAR(spans.video, 60.0, 0.1);
  EXPECT_NEAR(spans.audio, 60.0, 0.1);
  EXPECT_NEAR(spans.video, spans.audio, 0.1);
}

}  // namespace
