// Recordings that end badly: a recording whose process is killed still probes and plays up to
// about its last second.

#include <QFileInfo>
#include <QProcess>

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
  QByteArray said;
  ASSERT_TRUE(test::WaitUntil([&] {
    said += helper.readAllStandardOutput();
    return said.contains("second 4") || helper.state() == QProcess::NotRunning;
  }, 30000)) << "the helper did not record";
  ASSERT_TRUE(said.contains("second 4")) << said.toStdString();
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

}  // namespace
