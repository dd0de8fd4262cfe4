// The RTSP server as clients see it: ffprobe and ffmpeg connect over TCP.

#include <gtest/gtest.h>

#include <QProcess>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <thread>

#include "platform/rtsp/TRtspServer.h"
#include "support/TestEnvironment.h"

namespace pvx::platform::rtsp {
namespace {

using namespace std::chrono;

constexpr char kToken[] = "s3cret-T0ken";
constexpr int kRate = 48000;
constexpr int kFrameMs = 40;

// Pictures (a moving gradient) and a 440 Hz tone at 25 frames a second, in real time, on a
// thread of their own until destroyed.
class TBroadcast {
 public:
  explicit TBroadcast(TRtspServer& server, bool withSound = true)
      : withSound_(withSound), thread_([this, &server] { Run(server); }) {}
  ~TBroadcast() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

 private:
  void Run(TRtspServer& server) {
    const auto start = steady_clock::now();
    QImage picture(320, 240, QImage::Format_RGB32);
    for (int n = 0;; ++n) {
      {
        std::unique_lock lock(mutex_);  // paces the frames; returns at once on stop
        if (wake_.wait_until(lock, start + milliseconds(n * kFrameMs), [this] { return stop_; })) return;
      }
      for (int y = 0; y < picture.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) row[x] = qRgb((x + n * 4) & 255, y & 255, 128);
      }
      QByteArray sound(kRate * kFrameMs / 1000 * 4, Qt::Uninitialized);
      auto* samples = reinterpret_cast<qint16*>(sound.data());
      for (int i = 0; i < sound.size() / 4; ++i) {
        const double t = double(n * sound.size() / 4 + i) / kRate;
        samples[2 * i] = samples[2 * i + 1] = qint16(8000 * std::sin(2 * M_PI * 440 * t));
      }
      const qint64 pts = qint64(n) * kFrameMs * 1000000;
      server.PushPicture(picture, pts);
      if (withSound_) server.PushSound(sound, kRate, pts);
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  const bool withSound_;
  std::thread thread_;
};

struct TRun {
  int exitCode = -1;
  QString output;  // standard output and errors together
};

TRun RunTool(const char* program, const QStringList& args) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, QStringList{"-hide_banner"} + args);
  if (!process.waitForFinished(30000)) process.kill();
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAll())};
}

// The codecs a client finds at `path` + `query`, one a line.
TRun Probe(const TRtspServer& server, const QString& path, const QString& query) {
  const QString url = QString("rtsp://127.0.0.1:%1%2%3").arg(server.Port()).arg(path, query);
  return RunTool("ffprobe", {"-v", "error", "-rtsp_transport", "tcp", "-show_entries", "stream=codec_name",
                             "-of", "csv=p=0", url});
}

class RtspServer : public ::testing::Test {
 protected:
  void SetUp() override {
    QString error;
    ASSERT_TRUE(server.Start("127.0.0.1", 0, error)) << error.toStdString();
    ASSERT_NE(server.Port(), 0);
    server.SetToken(kToken);
  }
  TRtspServer server;
};

TEST_F(RtspServer, LiveIsH264AndAacAndCountsItsViewer) {
  TBroadcast broadcast(server);
  EXPECT_FALSE(server.LiveWatched());
  QProcess ffmpeg;
  ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
  ffmpeg.start("ffmpeg", {"-hide_banner", "-rtsp_transport", "tcp", "-i",
                          QString("rtsp://127.0.0.1:%1/live?token=%2").arg(server.Port()).arg(kToken), "-t",
                          "1", "-f", "null", "-"});
  EXPECT_TRUE(test::WaitUntil([&] { return server.LiveWatched(); }));
  ASSERT_TRUE(ffmpeg.waitForFinished(30000));
  const QString output = QString::fromUtf8(ffmpeg.readAll());
  EXPECT_EQ(ffmpeg.exitCode(), 0) << output.toStdString();
  EXPECT_TRUE(output.contains("Video: h264")) << output.toStdString();
  EXPECT_TRUE(output.contains("Audio: aac")) << output.toStdString();
  // The client has gone: nobody watches.
  EXPECT_TRUE(test::WaitUntil([&] { return !server.LiveWatched(); }));
}

TEST_F(RtspServer, LiveCarriesSilenceWhenTheProgramHasNoSound) {
  TBroadcast broadcast(server, false);
  const TRun run = Probe(server, "/live", QString("?token=") + kToken);
  EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
  EXPECT_EQ(run.output.split('\n', Qt::SkipEmptyParts), QStringList({"h264", "aac"}))
      << run.output.toStdString();
}

TEST_F(RtspServer, StopEndsAWatchingClient) {
  TBroadcast broadcast(server);
  QProcess ffmpeg;
  ffmpeg.start("ffmpeg", {"-rtsp_transport", "tcp", "-i",
                          QString("rtsp://127.0.0.1:%1/live?token=%2").arg(server.Port()).arg(kToken), "-t",
                          "30", "-f", "null", "-"});
  ASSERT_TRUE(test::WaitUntil([&] { return server.LiveWatched(); }));
  server.Stop();
  EXPECT_FALSE(server.LiveWatched());
  EXPECT_TRUE(ffmpeg.waitForFinished(10000));
}

TEST_F(RtspServer, RefusesEveryUrlWithoutTheToken) {
  struct Row {
    const char* path;
    const char* query;
  };
  const Row rows[] = {{"/live", ""},
                      {"/live", "?token=wrong"},
                      {"/live", "?token=s3cret-T0ke"},
                      {"/live", "?token=s3cret-T0kenX"},
                      {"/live", "?tok=s3cret-T0ken"},
                      {"/recordings/0", ""}};
  server.SetRecordings([](int) { return QString("/nonexistent.mpg"); });
  for (const Row& row : rows) {
    // Nothing is pushed: a request that got past the check would wait, not fail at once.
    const TRun run = Probe(server, row.path, row.query);
    EXPECT_NE(run.exitCode, 0) << row.path << row.query;
    EXPECT_TRUE(run.output.contains("401")) << row.path << row.query << ": " << run.output.toStdString();
  }
  EXPECT_FALSE(server.LiveWatched());
}

TEST_F(RtspServer, ServesRecordingsByNumberAsH264AndAac) {
  const QString file = test::Home() + "f.mpg";
  const TRun made =
      RunTool("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc2=s=320x240:r=25", "-f", "lavfi", "-i",
                         "sine", "-t", "3", "-c:v", "mpeg2video", "-c:a", "mp2", file});
  ASSERT_EQ(made.exitCode, 0) << made.output.toStdString();
  server.SetRecordings([file](int n) { return n == 0 ? file : QString(); });

  const QString query = QString("?token=") + kToken;
  const TRun found = Probe(server, "/recordings/0", query);
  EXPECT_EQ(found.exitCode, 0) << found.output.toStdString();
  EXPECT_TRUE(found.output.contains("h264")) << found.output.toStdString();
  EXPECT_TRUE(found.output.contains("aac")) << found.output.toStdString();

  for (const char* path : {"/recordings/5", "/recordings/x", "/recordings/00"}) {
    const TRun missing = Probe(server, path, query);
    EXPECT_NE(missing.exitCode, 0) << path;
    EXPECT_TRUE(missing.output.contains("404")) << path << ": " << missing.output.toStdString();
  }
}

TEST_F(RtspServer, StartFailsOnATakenPortAndStartsAgainAfterStop) {
  TRtspServer second;
  QString error;
  EXPECT_FALSE(second.Start("127.0.0.1", server.Port(), error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(second.Port(), 0);

  const quint16 port = server.Port();
  server.Stop();
  EXPECT_EQ(server.Port(), 0);
  EXPECT_TRUE(second.Start("127.0.0.1", port, error)) << error.toStdString();
}

}  // namespace
}  // namespace pvx::platform::rtsp
