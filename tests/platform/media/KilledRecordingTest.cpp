// Recordings that end badly: a recording whose process is killed still probes and plays up to
// about its last second.

#include <QProcess>

#include "MediaTestSupport.h"
#include "support/TestEnvironment.h"

namespace pvx::test {
namespace {

// Decoded length in seconds: of the picture (frames / rate) when there is one, else of the sound.
double DecodedSeconds(const QString& path, const TProbe& probe) {
  if (probe.picture.isEmpty()) return SoundSeconds(path);
  return probe.fps > 0 ? CountFrames(path) / probe.fps : -1;
}

class KilledRecording : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(KilledRecording, ProbesAndPlaysUpToItsLastSecond) {
  const auto [kind, file] = GetParam();
  const QString path = Home() + file;
  QProcess helper;
  helper.start(PVX_RECORD_HELPER, {kind, path});
  QByteArray said;
  ASSERT_TRUE(WaitUntil(
      [&] {
        said += helper.readAllStandardOutput();
        return said.contains("second 4") || helper.state() == QProcess::NotRunning;
      },
      30000))
      << "the helper did not record";
  ASSERT_TRUE(said.contains("second 4")) << said.toStdString();
  helper.kill();  // SIGKILL: nothing is completed
  ASSERT_TRUE(helper.waitForFinished(10000));
  EXPECT_EQ(helper.exitStatus(), QProcess::CrashExit);

  const TProbe probe = Probe(path);
  ASSERT_TRUE(probe.ok) << probe.error.toStdString();
  ASSERT_EQ(probe.picture.isEmpty(), QString(kind) == "wav" || QString(kind) == "mp3");
  EXPECT_EQ(DecodeAll(path).first, 0);
  // At most about a second is lost: what was written before the last commit plays.
  EXPECT_GT(DecodedSeconds(path, probe), 2.5);
  if (QString(kind) == "timeshift") {
    const QString sound = path.chopped(1) + "a";
    ASSERT_TRUE(Probe(sound).ok);
    EXPECT_GT(SoundSeconds(sound), 2.5);
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, KilledRecording,
                         ::testing::Values(std::pair("mpeg2", "killed.mpg"),
                                           std::pair("timeshift", "killed.mpv"),
                                           std::pair("divx", "killed.avi"),
                                           std::pair("avi", "killed_raw.avi"), std::pair("wav", "killed.wav"),
                                           std::pair("mp3", "killed.mp3")),
                         [](const auto& info) { return std::string(info.param.first); });

}  // namespace
}  // namespace pvx::test
