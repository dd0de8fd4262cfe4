// The players' sources and decoders through the graph facade: a growing time-shift file played
// while it is written, the single-file time-shift graph with its splitter and decoders, and
// stored files opened with AddSourceFilter and RenderFile.

#include <QFile>
#include <QProcess>

#include "MediaTestSupport.h"
#include "platform/components/TestFilters.h"
#include "platform/media/MediaInterfaces.h"
#include "platform/media/TCaptureGraphBuilder.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::platform::graph;
using namespace pvx::platform::media;

namespace {

// Starts a time-shift recording (320x240 MPEG-1 + MPEG audio) into `path`.
std::shared_ptr<TFilter> StartTimeShift(test::TCaptureRig& rig, const QString& path) {
  auto recorder = rig.graph.AddComponent("OKA Mpeg1/2 Recorder Filter", "MPEG");
  auto* s = recorder->As<IMpegRecorderSettings>();
  s->SetStreamType(1);
  s->SetVideoBitRate(4000000);
  s->SetQuality(3);
  s->SetFrameSize(320, 240);
  s->SetAudioSampleRate(44100);
  s->SetFrameRateCode(5);
  s->SetFlags(true, false);
  recorder->As<IFileSink>()->SetFileName(path);
  EXPECT_TRUE(rig.graph.Render(rig.VideoPin()));
  EXPECT_TRUE(rig.graph.Render(rig.AudioPin()));
  EXPECT_TRUE(rig.graph.Run());
  return recorder;
}

struct TPlayer {
  TFilterGraph graph{test::Components()};
  std::shared_ptr<test::TTestSink> picture = std::make_shared<test::TTestSink>();
  bool ended = false;
  bool failed = false;
  explicit TPlayer(bool withPicture = true) {
    graph.OnEvent = [this](const TGraphEvent& e) {
      ended = ended || e.kind == TGraphEvent::EndOfStream;
      failed = failed || e.kind == TGraphEvent::Error;
    };
    // Stands in for the video window: raw pictures end here. (Sound-only players have none:
    // an idle sink would hold back the end of the stream.)
    if (withPicture) graph.AddFilter(picture, "PlaybackVideoWindow");
  }
};

TEST(GrowingFileSource, FollowsAFileBeingWrittenAndEndsOnlyAfterTheWriterCloses) {
  const QString path = test::Home() + "ts0.mpv";
  test::TCaptureRig writer;
  StartTimeShift(writer, path);
  ASSERT_TRUE(test::WaitUntil([&] { return QFile(path).size() > 20000; }));

  TPlayer player;
  auto source = player.graph.AddComponent("OKA Growing File Source", "Async Source Filter");
  ASSERT_TRUE(source);
  ASSERT_TRUE(source->As<IFileSourceFilter>()->Load(path));
  ASSERT_TRUE(source->As<IGrowingFileSource>());
  EXPECT_TRUE(source->As<IGrowingFileSource>()->IsFollowing());
  TPin* output = source->FindPin("Output");
  ASSERT_TRUE(output);
  ASSERT_TRUE(player.graph.Render(*output));
  ASSERT_TRUE(player.picture->FindPin("Input")->IsConnected());
  ASSERT_TRUE(player.graph.Run());

  // The reader catches up with the writer and then keeps pace with it: pictures go on arriving
  // for as long as the recording runs, and the stream does not end.
  ASSERT_TRUE(test::WaitUntil([&] { return player.picture->Frames() > 0; }));
  const int early = player.picture->Frames();
  ASSERT_TRUE(test::WaitUntil([&] { return player.picture->Frames() > early + 30; }));
  EXPECT_FALSE(player.ended);
  EXPECT_FALSE(player.failed);

  ASSERT_TRUE(writer.graph.Stop());
  ASSERT_TRUE(test::WaitUntil([&] { return player.ended; })) << "no end after the writer";
  EXPECT_FALSE(source->As<IGrowingFileSource>()->IsFollowing());
  EXPECT_NEAR(player.picture->Frames(), test::CountFrames(path), 3);
  player.graph.Stop();
}

TEST(GrowingFileSource, WaitsAtTheEndOfAFileWrittenElsewhereUntilTold) {
  const QString path = test::Home() + "other.mpv";
  {
    test::TCaptureRig writer;
    StartTimeShift(writer, path);
    ASSERT_TRUE(test::Played(writer.graph, 1500));
  }
  TPlayer player;
  auto source = player.graph.AddComponent("OKA Growing File Source", "Async Source Filter");
  ASSERT_TRUE(source->As<IFileSourceFilter>()->Load(path));
  ASSERT_TRUE(player.graph.Render(*source->FindPin("Output")));
  ASSERT_TRUE(player.graph.Run());
  const int all = test::CountFrames(path);
  ASSERT_TRUE(test::WaitUntil([&] { return player.picture->Frames() >= all - 2; }));
  EXPECT_FALSE(player.ended) << "a writer in another process may still add to it";
  source->As<IGrowingFileSource>()->WriterStopped();
  EXPECT_TRUE(test::WaitUntil([&] { return player.ended; }));
  player.graph.Stop();
}

// One recorded pair, played as the time-shift player builds it (splitter and decoders first),
// by the single-file source on its own, and as two stored files.
TEST(TimeShiftPlayback, ARecordedPairPlaysThroughEachSource) {
  const QString path = test::Home() + "saved.mpv";
  {
    test::TCaptureRig writer;
    StartTimeShift(writer, path);
    ASSERT_TRUE(test::Played(writer.graph, 2000));
  }
  const int frames = test::CountFrames(path);
  const auto playsToTheEnd = [&](TPlayer& player) {
    ASSERT_TRUE(player.graph.Run());
    ASSERT_TRUE(test::WaitUntil([&] { return player.ended || player.failed; }));
    EXPECT_FALSE(player.failed);
    EXPECT_NEAR(player.picture->Frames(), frames, 2);
    player.graph.Stop();
  };
  {
    TPlayer player;
    auto videoDecoder = player.graph.AddComponent("OKA MPEG Video Decoder", "MPEGTimeShiftVideo");
    auto audioDecoder = player.graph.AddComponent("OKA MPEG Audio Decoder", "MPEGTimeShiftAudio");
    auto splitter = player.graph.AddComponent("OKA MPEG TimeShift", "MPEG2Splitter");
    ASSERT_TRUE(videoDecoder && audioDecoder && splitter);
    auto source = player.graph.AddComponent("OKA TimeShift File Source", "Async Source Filter");
    ASSERT_TRUE(source && source->As<IFileSourceFilter>()->Load(path));
    EXPECT_FALSE(source->As<IGrowingFileSource>()) << "only the growing source follows a writer";
    ASSERT_TRUE(player.graph.Render(*source->FindPin("Output")));
    EXPECT_EQ(&source->FindPin("Output")->ConnectedTo()->Filter(), splitter.get());
    ASSERT_TRUE(splitter->FindPin("Audio")) << "the .mpa companion's sound";
    EXPECT_EQ(&splitter->FindPin("Video")->ConnectedTo()->Filter(), videoDecoder.get());
    EXPECT_EQ(&splitter->FindPin("Audio")->ConnectedTo()->Filter(), audioDecoder.get());
    EXPECT_TRUE(audioDecoder->FindPin(PinDir::Output)->IsConnected()) << "to the audio renderer";
    EXPECT_TRUE(player.picture->FindPin("Input")->IsConnected());
    playsToTheEnd(player);
  }
  {
    TPlayer player;  // the source finds the decoders itself
    auto source = player.graph.AddComponent("OKA TimeShift File Source", "Async Source Filter");
    ASSERT_TRUE(source->As<IFileSourceFilter>()->Load(path));
    ASSERT_TRUE(player.graph.Render(*source->FindPin("Output")));
    playsToTheEnd(player);
  }
  {
    TPlayer video;
    auto videoSource = AddSourceFilter(video.graph, path, "Video Source Filter");
    ASSERT_TRUE(videoSource);
    ASSERT_TRUE(video.graph.Render(*videoSource->FindPin("Output")));
    TFilterGraph audio{test::Components()};
    auto audioSource = AddSourceFilter(audio, test::Home() + "saved.mpa", "Audio Source Filter");
    ASSERT_TRUE(audioSource);
    ASSERT_TRUE(audio.Render(*audioSource->FindPin("Output")));
    ASSERT_TRUE(audio.FindFilter("Audio Renderer"));
    ASSERT_TRUE(audio.Run());
    playsToTheEnd(video);
    EXPECT_FALSE(AddSourceFilter(video.graph, test::Home() + "missing.mpv", "Other"));
  }
}

struct StoredCase {
  const char* file;
  QStringList encode;  // ffmpeg output options
  bool video;
};

class StoredFiles : public ::testing::TestWithParam<StoredCase> {};

TEST_P(StoredFiles, RenderFilePlaysThemToTheEnd) {
  const StoredCase c = GetParam();
  const QString path = test::Home() + c.file;
  QProcess make;
  QStringList args{"-v", "error", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25",
                   "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000", "-t", "2"};
  make.start("ffmpeg", args + c.encode + QStringList{path});
  ASSERT_TRUE(make.waitForFinished(60000));
  ASSERT_EQ(make.exitCode(), 0) << make.readAllStandardError().toStdString();

  TPlayer player(c.video);
  ASSERT_TRUE(RenderFile(player.graph, path));
  EXPECT_EQ(player.picture->FindPin("Input")->IsConnected(), c.video);
  EXPECT_TRUE(player.graph.FindFilter("Audio Renderer"));
  ASSERT_TRUE(player.graph.Run());
  qint64 length = 0;
  ASSERT_TRUE(test::WaitUntil([&] { return player.graph.GetStopPosition(length); }));
  EXPECT_NEAR(length / 1e7, 2.0, 0.15);
  ASSERT_TRUE(test::WaitUntil([&] { return player.ended || player.failed; }));
  EXPECT_FALSE(player.failed);
  if (c.video) {
    EXPECT_NEAR(player.picture->Frames(), 50, 2);
  }
}

const StoredCase kStored[] = {
    {"movie.mpg", {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "vob"}, true},
    {"movie.avi", {"-c:v", "mpeg4", "-vtag", "DIVX", "-c:a", "pcm_s16le"}, true},
    {"sound.wav", {"-vn", "-c:a", "pcm_s16le"}, false},
    {"sound.mp3", {"-vn", "-c:a", "libmp3lame"}, false},
};

INSTANTIATE_TEST_SUITE_P(Kinds, StoredFiles, ::testing::ValuesIn(kStored), [](const auto& info) {
  return QString(info.param.file).replace('.', '_').toStdString();
});

}  // namespace
