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

namespace pvx::test {
namespace {

using namespace platform::graph;
using namespace platform::media;

// A time-shift recording into `path`, running until the rig goes.
std::unique_ptr<TRig> TimeShift(const QString& path, const TCaptureFormat& capture) {
  auto rig = std::make_unique<TRig>(capture);
  EXPECT_TRUE(AddMpegRecorder(*rig, kTimeShift, path) && rig->graph.Run());
  return rig;
}

struct TPlayer {
  TFilterGraph graph{Components()};
  std::shared_ptr<TTestSink> picture = std::make_shared<TTestSink>();
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
  // The source of that name loading `path`, rendered.
  std::shared_ptr<TFilter> Open(const char* source, const QString& path) {
    auto filter = graph.AddComponent(source, "Async Source Filter");
    EXPECT_TRUE(filter && filter->As<IFileSourceFilter>()->Load(path));
    EXPECT_TRUE(filter && graph.Render(*filter->FindPin("Output")));
    return filter;
  }
  void PlaysToTheEnd(int frames) {
    ASSERT_TRUE(graph.Run());
    ASSERT_TRUE(WaitUntil([&] { return ended || failed; }));
    EXPECT_FALSE(failed);
    EXPECT_NEAR(picture->Frames(), frames, 2);
    graph.Stop();
  }
};

// One time-shift recording (PAL, which the recorder scales to 320x240) as every player reads it:
// followed by the growing source while it is written; probed; read again by the growing source as
// a file written elsewhere; played as the time-shift player builds it (splitter and decoders
// first), by the single-file source on its own, and as two stored files.
TEST(TimeShiftPlayback, ARecordingPlaysWhileItIsWrittenAndThroughEachSourceAfter) {
  const QString path = Home() + "ts0.mpv", companion = Home() + "ts0.mpa";
  auto writer = TimeShift(path, {352, 288, kPalFrame});
  ASSERT_TRUE(WaitUntil([&] { return QFile(path).size() > 20000; }));
  {
    TPlayer player;
    auto source = player.Open(kGrowingFileSourceName, path);
    ASSERT_TRUE(source && source->As<IGrowingFileSource>());
    EXPECT_TRUE(source->As<IGrowingFileSource>()->IsFollowing());
    ASSERT_TRUE(player.picture->FindPin("Input")->IsConnected());
    ASSERT_TRUE(player.graph.Run());
    // The reader catches up with the writer and then keeps pace with it: pictures go on
    // arriving for as long as the recording runs, and the stream does not end.
    ASSERT_TRUE(WaitUntil([&] { return player.picture->Frames() > 0; }));
    const int early = player.picture->Frames();
    ASSERT_TRUE(WaitUntil([&] { return player.picture->Frames() > early + 30; }));
    EXPECT_FALSE(player.ended || player.failed);
    ASSERT_TRUE(Played(writer->graph, 3000) && writer->graph.Stop());
    ASSERT_TRUE(WaitUntil([&] { return player.ended; })) << "no end after the writer";
    EXPECT_FALSE(source->As<IGrowingFileSource>()->IsFollowing());
    EXPECT_NEAR(player.picture->Frames(), CountFrames(path), 3);
    player.graph.Stop();
  }
  writer.reset();
  const TProbe mpv = Probe(path), mpa = Probe(companion);
  ASSERT_TRUE(mpv.ok && mpa.ok) << mpv.error.toStdString() << mpa.error.toStdString();
  EXPECT_EQ(
      QStringList({mpv.format, mpv.picture, mpv.sound, mpa.picture, mpa.sound}).join(" | ").toStdString(),
      "mpegvideo | mpeg1video 320x240@30.00 |  |  | mp2 44100/2");
  EXPECT_NEAR(mpa.duration, 3.0, 0.5);
  const int frames = CountFrames(path);
  EXPECT_NEAR(frames / 30.0, 3.0, 0.5) << "elementary video carries no times: its frames count";
  {
    TPlayer player;
    auto source = player.Open(kGrowingFileSourceName, path);
    ASSERT_TRUE(player.graph.Run());
    ASSERT_TRUE(WaitUntil([&] { return player.picture->Frames() >= frames - 2; }));
    EXPECT_FALSE(player.ended) << "a writer in another process may still add to it";
    source->As<IGrowingFileSource>()->WriterStopped();
    EXPECT_TRUE(WaitUntil([&] { return player.ended; }));
    player.graph.Stop();
  }
  {
    TPlayer player;
    auto videoDecoder = player.graph.AddComponent("OKA MPEG Video Decoder", "MPEGTimeShiftVideo");
    auto audioDecoder = player.graph.AddComponent(kMpegAudioDecoderName, "MPEGTimeShiftAudio");
    auto splitter = player.graph.AddComponent(kTimeShiftSplitterName, "MPEG2Splitter");
    ASSERT_TRUE(videoDecoder && audioDecoder && splitter);
    auto source = player.Open(kSingleFileSourceName, path);
    ASSERT_TRUE(source);
    EXPECT_FALSE(source->As<IGrowingFileSource>()) << "only the growing source follows a writer";
    EXPECT_EQ(&source->FindPin("Output")->ConnectedTo()->Filter(), splitter.get());
    ASSERT_TRUE(splitter->FindPin("Audio")) << "the .mpa companion's sound";
    EXPECT_EQ(&splitter->FindPin("Video")->ConnectedTo()->Filter(), videoDecoder.get());
    EXPECT_EQ(&splitter->FindPin("Audio")->ConnectedTo()->Filter(), audioDecoder.get());
    EXPECT_TRUE(audioDecoder->FindPin(PinDir::Output)->IsConnected()) << "to the audio renderer";
    EXPECT_TRUE(player.picture->FindPin("Input")->IsConnected());
    player.PlaysToTheEnd(frames);
  }
  TPlayer alone;  // the source finds the decoders itself
  ASSERT_TRUE(alone.Open(kSingleFileSourceName, path));
  alone.PlaysToTheEnd(frames);
  TPlayer video;
  auto videoSource = AddSourceFilter(video.graph, path, "Video Source Filter");
  ASSERT_TRUE(videoSource && video.graph.Render(*videoSource->FindPin("Output")));
  TFilterGraph audio{Components()};
  auto audioSource = AddSourceFilter(audio, companion, "Audio Source Filter");
  ASSERT_TRUE(audioSource && audio.Render(*audioSource->FindPin("Output")));
  ASSERT_TRUE(audio.FindFilter("Audio Renderer") && audio.Run());
  video.PlaysToTheEnd(frames);
  EXPECT_FALSE(AddSourceFilter(video.graph, Home() + "missing.mpv", "Other"));
}

class StoredFiles : public ::testing::TestWithParam<std::pair<const char*, QStringList>> {};

TEST_P(StoredFiles, RenderFilePlaysThemToTheEnd) {
  const auto& [file, encode] = GetParam();  // ffmpeg's output options
  const QString path = Home() + file;
  const bool video = !encode.contains("-vn");
  QProcess make;
  make.start("ffmpeg", QStringList{"-v", "error", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25", "-f",
                                   "lavfi", "-i", "sine=frequency=440:sample_rate=48000", "-t", "2"} +
                           encode + QStringList{path});
  ASSERT_TRUE(make.waitForFinished(60000));
  ASSERT_EQ(make.exitCode(), 0) << make.readAllStandardError().toStdString();
  TPlayer player(video);
  ASSERT_TRUE(RenderFile(player.graph, path));
  EXPECT_EQ(player.picture->FindPin("Input")->IsConnected(), video);
  EXPECT_TRUE(player.graph.FindFilter("Audio Renderer"));
  ASSERT_TRUE(player.graph.Run());
  qint64 length = 0;
  ASSERT_TRUE(WaitUntil([&] { return player.graph.GetStopPosition(length); }));
  EXPECT_NEAR(length / 1e7, 2.0, 0.15);
  ASSERT_TRUE(WaitUntil([&] { return player.ended || player.failed; }));
  EXPECT_FALSE(player.failed);
  EXPECT_NEAR(player.picture->Frames(), video ? 50 : 0, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, StoredFiles,
    ::testing::Values(std::pair("movie.mpg", QStringList{"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "vob"}),
                      std::pair("movie.avi",
                                QStringList{"-c:v", "mpeg4", "-vtag", "DIVX", "-c:a", "pcm_s16le"}),
                      std::pair("sound.wav", QStringList{"-vn", "-c:a", "pcm_s16le"}),
                      std::pair("sound.mp3", QStringList{"-vn", "-c:a", "libmp3lame"})),
    [](const auto& info) { return QString(info.param.first).replace('.', '_').toStdString(); });

}  // namespace
}  // namespace pvx::test
