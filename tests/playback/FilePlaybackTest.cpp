// The file player: the transport-stream refusal, positions, steps and rates on real graphs,
// the routing of time-shift files, failures the user is told about, and every record format
// recorded from the virtual card and played back to its end.

#include "engine/EngineFixture.h"
#include "platform/Clock.h"
#include "platform/graph/TFilterGraph.h"
#include "platform/video/TVideoRenderer.h"
#include "playback/FilePlayback.h"
#include "playback/PlaybackSession.h"
#include "playback/PlaybackTestSupport.h"
#include "playback/TransportStream.h"

using namespace pvx::playback;

namespace {

// A silent WAV, small even when long at 8 kHz, 8 bits, mono.
QString Silence(int seconds) {
  return test::Made(QString("silence%1.wav").arg(seconds), {"anullsrc=r=8000:cl=mono"},
              {"-t", QString::number(seconds), "-c:a", "pcm_u8"});
}

class FilePlayer : public test::EngineFixture {
 protected:
  FilePlayer() {
    FileHooks().Components = &test::Components();
    FileHooks().OnProgress = [this](int p, int c, int t) { progress_.push_back({p, c, t}); };
    FileHooks().OnComplete = [this] { ++completed_; };
    FileHooks().Snapshots = &snapshots_;
    FileHooks().PlayTimeShiftFile = [this](const QString& path) { return log_ << path, true; };
    FileHooks().StopTimeShiftPlayback = [this] { log_ << "stop time-shift"; };
  }
  TPlaybackHooks& FileHooks() { return session_.FileHooks; }
  // Plays the file and waits until the player knows its length.
  TPlaybackProject& Started(const QString& path) {
    EXPECT_TRUE(PlayFile(session_, path)) << Warnings().join('|').toStdString();
    EXPECT_TRUE(test::WaitUntil([this] { return session_.File->GetPosition(), session_.File->TotalSeconds > 0; }));
    return *session_.File;
  }
  // Seeks and waits until the graph reports the new position.
  void SeekTo(int position) {
    session_.File->SetPosition(position);
    EXPECT_TRUE(test::WaitUntil([&] { return session_.File->GetPosition() == position; })) << position;
  }
  std::vector<std::array<int, 3>> progress_;
  int completed_ = 0;
  test::TSnapshotStore snapshots_;
  QStringList log_;
  TPlaybackSession session_;  // the last: its player goes first, before what its hooks fill
};

TEST(TransportStream, SyncBytesEvery188BytesFromOneOfTheFirstNine) {
  const struct { int size; std::vector<int> syncs; bool expected; } rows[] = {
      {188, {0}, true},         {188, {8}, true},       {188, {9}, false},
      {187, {0}, false},        {470, {3, 191}, true},  {470, {3}, false},  // 2.5 rounds to 2
      {545, {0, 188}, false},   {545, {4, 192, 380}, true},
      {4000, {8, 196, 384}, true}, {282, {0}, false},  // 1.5 rounds to 2
      {545, {1, 2, 190, 378}, false},  // only the first sync byte found counts
  };
  for (const auto& row : rows) {
    QByteArray bytes(row.size, '\0');
    for (const int at : row.syncs) bytes[at] = 0x47;
    const QString path = test::Home() + QString("ts%1.mpg").arg(row.size);
    test::WriteFile(path, bytes);
    EXPECT_EQ(IsMpeg2TransportStream(path), row.expected) << row.size << " " << row.syncs.front();
  }
  EXPECT_FALSE(IsMpeg2TransportStream(test::Home() + "missing.ts"));
}

// The seek step follows the length; steps stop at the ends, Play at the end restarts at one, and
// rates change while playing; a refused rate is reported.
TEST_F(FilePlayer, SeekStepsStopAtTheEndsPlayAtTheEndRestartsAtOneAndRatesChange) {
  const std::pair<int, int> rows[] = {{5, 33}, {50, 20}, {200, 10}, {2100, 3}, {1000, 5}};
  for (const auto& [seconds, step] : rows) {
    Started(Silence(seconds));
    EXPECT_EQ(session_.File->SeekStep, step) << seconds;
    EXPECT_EQ(session_.File->TotalSeconds, seconds);
  }
  auto& player = *session_.File;  // the last one, 1000 seconds long
  SeekTo(99);
  player.Forward();
  EXPECT_EQ(progress_.back(), (std::array<int, 3>{100, 1000, 1000}));
  SeekTo(2);
  player.Backward();
  EXPECT_EQ(progress_.back(), (std::array<int, 3>{0, 0, 1000}));
  SeekTo(100);
  ASSERT_TRUE(test::WaitUntil([&] { return completed_ == 1; }));
  ASSERT_TRUE(player.Play());
  EXPECT_EQ(progress_.back()[0], 1);
  EXPECT_TRUE(test::WaitUntil([&] { return player.GetPosition() == 1; }));
  // The progress timer reports while playing, not while paused.
  test::Clock().Advance(1000);
  EXPECT_EQ(progress_.back()[1], 10);
  ASSERT_TRUE(player.Pause());
  const size_t reports = progress_.size();
  test::Clock().Advance(3000);
  EXPECT_EQ(progress_.size(), reports);

  // Fast and slow cycle, each back to normal from the other range.
  const int faster[] = {1, 2, 3, 0, 0, 0, 0}, slower[] = {4, 0, 0, 0, 5, 6, 0};
  for (int i = 0; i < kRateCount; ++i) {
    EXPECT_EQ(NextFasterRate(i), faster[i]) << i;
    EXPECT_EQ(NextSlowerRate(i), slower[i]) << i;
  }
  ASSERT_TRUE(player.Play());
  // A graph that does not finish: the stop's wait gives up at its bound instead of hanging.
  const qint64 start = test::Clock().NowMs();
  EXPECT_FALSE(player.WaitForCompletion(kStopWaitMs));
  EXPECT_GE(test::Clock().NowMs() - start, kStopWaitMs);
  QList<double> rates;  // from the fast range back to normal first
  for (auto step : {FasterPlayback, SlowerPlayback, SlowerPlayback}) {
    step(session_);
    rates << player.Graph().GetRate();
  }
  EXPECT_EQ(rates, QList<double>({2.0, 1.0, 0.5}));
  for (int outside : {-1, kRateCount}) player.SetRate(outside);
  EXPECT_EQ(player.Graph().GetRate(), 0.5) << "indices outside the table are refused";
  EXPECT_TRUE(Warnings().isEmpty());
  player.Stop();  // a stopped graph takes no rate: normal, then the next rate is tried
  QList<int> indices;
  for (int i = 0; i < 2; ++i) {
    FasterPlayback(session_);
    indices << player.RateIndex;
  }
  EXPECT_EQ(indices, QList<int>({0, 1}));
  EXPECT_EQ(Warnings(), QStringList({"Cannot set playback rate, use normal..."}));
}

// A time-shift file goes to the time-shift player; files that cannot be played are refused.
TEST_F(FilePlayer, TimeShiftFilesGoToTheirPlayerAndOthersThatCannotBePlayedAreRefusedWithTheirReason) {
  EXPECT_TRUE(PlayFile(session_, test::Home() + "kept.MPV"));
  EXPECT_FALSE(FilePlaybackActive(session_));
  EXPECT_EQ(log_, QStringList({"stop time-shift", test::Home() + "kept.MPV"}));
  test::Made("odd.mkv", {"testsrc"}, {"-t", "1", "-c:v", "utvideo"});  // GStreamer lacks the codec
  const std::tuple<QString, QByteArray, QString> rows[] = {
      {"odd.mkv", {}, "Cannot play \"odd.mkv\": "},
      {"broadcast.mpg", QByteArray(188, 0x47), "Cannot support MPEG2 transport stream playback..."},
      {"noise.avi", QByteArray(5000, 'x'), "Cannot play \"noise.avi\": the file holds no picture or sound this program knows"},
      {"cut.mpg", QByteArray::fromHex("000001ba44") + QByteArray(3000, '\x01'), "Cannot play \"cut.mpg\""},
      {"gone.mp4", {}, "Cannot play \"gone.mp4\": the file cannot be read"},
  };
  for (const auto& [name, bytes, text] : rows) {
    const QString path = test::Home() + name;
    if (!bytes.isEmpty()) test::WriteFile(path, bytes);
    test::Dialogs().Warnings.clear();
    EXPECT_FALSE(PlayFile(session_, path));
    EXPECT_FALSE(FilePlaybackActive(session_)) << "no empty window left over the picture";
    ASSERT_EQ(Warnings().size(), 1) << path.toStdString();
    EXPECT_TRUE(Warnings()[0].startsWith(text)) << Warnings()[0].toStdString();
  }
}

// Picture and sound of the common containers and of the formats the recorder writes, and sound
// alone; the window is laid out as asked, and a seek while paused shows its picture at once.
TEST_F(FilePlayer, CommonFilesPlayToTheEnd) {
  const std::pair<const char*, QStringList> rows[] = {
      {"tone.wav", {"-vn", "-c:a", "pcm_u8"}},  // sound alone first: no snapshot is stored yet
      {"tone.mp3", {"-vn", "-c:a", "libmp3lame"}},
      {"clip.mp4", {"-c:v", "libx264", "-c:a", "aac"}},
      {"clip.mkv", {"-c:v", "libvpx", "-c:a", "libopus"}},
      {"clip.ogg", {"-c:v", "libtheora", "-c:a", "libvorbis"}},
      {"clip.mpg", {"-c:v", "mpeg2video", "-c:a", "mp2"}},  // a program stream
      {"clip.avi", {"-c:v", "mpeg4", "-c:a", "libmp3lame"}},
  };
  std::vector<bool> layouts;  // the inset or not, each time the window is to be laid out
  FileHooks().PIPEnabled = [] { return true; };
  FileHooks().OnVideoWindow = [&](platform::video::IVideoWindow* w, bool pip) { layouts.push_back(w && pip); };
  for (const auto& [name, codecs] : rows) {
    SCOPED_TRACE(name);
    const bool picture = !codecs.contains("-vn");
    completed_ = 0;
    layouts.clear();
    auto& player = Started(test::Made(name, {"testsrc=size=320x240:rate=25", "sine=sample_rate=48000"},
                                QStringList{"-t", "2"} + codecs));
    EXPECT_NEAR(player.TotalSeconds, 2, 1);  // a program stream's length is estimated
    EXPECT_EQ(player.AudioOnly, !picture);
    player.ResizePip(640, 480);
    player.SetPip(false);
    player.ResizePip(640, 480);  // no inset to resize
    EXPECT_EQ(layouts, (picture ? std::vector<bool>{true, true, false} : std::vector<bool>()));
    auto* window = dynamic_cast<platform::video::TVideoRenderer*>(player.Graph().FindFilter("PlaybackVideoWindow"));
    ASSERT_EQ(window != nullptr, picture);
    if (window) {
      ASSERT_TRUE(player.Pause());
      const QImage shown = window->LastFrame();
      player.SetPosition(60);
      EXPECT_TRUE(test::WaitUntil([&] { return window->LastFrame() != shown; }));
      ASSERT_TRUE(player.Play());
    }
    ASSERT_TRUE(test::WaitUntil([&] { return completed_ == 1; }));
    EXPECT_EQ(player.GetPosition(), 100);
    EXPECT_TRUE(!window || window->FramesRendered() > 10) << "pictures all the way";
    EXPECT_EQ(SnapshotPlayback(session_), picture);
    EXPECT_EQ(snapshots_.last.size(), picture ? QSize(320, 240) : QSize(0, 0));
  }
  const QString refused = "Cannot do snapshot any more, memory is full or connect pin error...";
  EXPECT_EQ(Warnings(), QStringList({refused, refused}));
}

}  // namespace


// Every media call of a start refused once (engine/RefusedCallsTest.cpp): what reports success
// plays, what fails says so; the refusals listed leave another route (our decoders, then the
// system's), or only the length unknown.
TEST_F(FilePlayer, EveryRefusedCallOfAStartFailsItVisiblyOrLeavesAnotherRoute) {
  const std::tuple<const char*, QStringList, std::string> rows[] = {
      {"clip.mpg", {"-c:v", "mpeg2video", "-c:a", "mp2"}, "AddFilter#0 AddFilter#1 AddFilter#2 Connect#9 Connect#11 Position#15 Position#17"},
      {"tone.wav", {"-vn", "-c:a", "pcm_u8"}, "Position#8 Position#10"},
  };
  for (const auto& [name, codecs, survives] : rows) {
    SCOPED_TRACE(name);
    const QString path = test::Made(name, {"testsrc=size=160x120:rate=25", "sine"}, QStringList{"-t", "1"} + codecs);
    const std::string survived = test::RefusalsTakenAsSuccess([&] { StopPlayback(session_), test::Dialogs().Warnings.clear(); }, [&] {
      const bool ok = PlayFile(session_, path);
      EXPECT_EQ(FilePlaybackActive(session_), ok);
      EXPECT_TRUE(ok || Warnings().size() == 1);
      return ok;
    });
    EXPECT_EQ(survived, survives);
  }
  FileHooks().Components = nullptr;
  EXPECT_FALSE(PlayFile(session_, test::Home() + "clip.mpg") || FilePlaybackActive(session_)) << "no components";
}
