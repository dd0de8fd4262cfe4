// The time-shift player on real graphs: seeks on stored and growing pairs, the live-edge tick
// against a file the test writes itself; the routines over the current player (refused builds,
// snapshots) and the end of a run on the virtual card's recorder.

#include <QFile>
#include <QFileInfo>

#include "engine/EngineFixture.h"
#include "platform/Clock.h"
#include "platform/graph/TFilterGraph.h"
#include "playback/PlaybackSession.h"
#include "playback/PendingItem.h"
#include "playback/PlaybackInfo.h"
#include "playback/PlaybackTestSupport.h"
#include "playback/TimeShiftRoutines.h"
#include "support/ModelEdits.h"

namespace {

using playback::TTimeShiftPlaybackProject;

// An MPEG-1 video elementary file and its MPEG audio companion, `seconds` long; the video's path.
QString MadePair(const QString& name, int seconds) {
  const QStringList length{"-t", QString::number(seconds)};
  test::Made(playback::TimeShiftAudioFile(name), {"sine=sample_rate=44100"},
             length + QStringList{"-f", "mp2"});
  return test::Made(name, {"testsrc=size=160x120:rate=25"},
                    length + QStringList{"-c:v", "mpeg1video", "-b:v", "400k", "-f", "mpeg1video"});
}

qint64 GraphSeconds(TTimeShiftPlaybackProject& p) {
  qint64 at = -1;
  return p.VideoGraph().GetCurrentPosition(at) ? at / playback::kUnitsPerSecond : -1;
}

struct TPlayer {
  TTimeShiftPlaybackProject p;
  QList<QList<int>> progress;  // position, current, total
  qint64 recorded;
  TPlayer(bool singleFile, bool live, const QString& video, qint64 seconds = 0)
      : p(test::Components(), {}, false, singleFile), recorded(seconds) {
    p.Live = live;
    p.FileName = video;
    p.AudioFileName = playback::TimeShiftAudioFile(video);
    p.RecordedSeconds = [this] { return recorded; };
    p.OnProgress = [this](TTimeShiftPlaybackProject&, int pos, int cur, int total) { progress << QList{pos, cur, total}; };
  }
};

// A stored .mpv plays alone on one graph, and on the system's decoders when ours are missing; a
// seek lands where the position says, and a failed one says where to (a live pair's seek target
// is below).
TEST(TimeShiftPlayback, AStoredMpvPlaysAloneAndASeekLandsWhereThePositionSaysOrSaysWhereTo) {
  const QString video = MadePair("ts0.mpv", 60);
  TPlayer live(false, true, video, 20);
  ASSERT_TRUE(live.p.BuildGraph());  // not running: nothing seeks yet
  live.p.SetPosition(100);
  EXPECT_EQ(live.p.CurrentSeconds(), 0);
  EXPECT_EQ(live.progress.last(), (QList{100, 0, 20}));

  TPlayer t(true, false, video);
  ASSERT_TRUE(t.p.BuildGraph());
  EXPECT_FALSE(t.p.HasAudioGraph());
  EXPECT_TRUE(t.p.VideoGraph().FindFilter("MPEGTimeShiftVideo"));
  ASSERT_TRUE(t.p.Play());
  // A stored file's length is known once the first pictures have been read.
  ASSERT_TRUE(test::WaitUntil([&] { return t.p.GetPosition() >= 0 && t.p.TotalSeconds() > 0; }));
  t.p.SetPosition(50);
  EXPECT_EQ(t.p.CurrentSeconds(), 30);
  EXPECT_EQ(t.progress.last(), (QList{50, 30, 60}));
  ASSERT_TRUE(test::WaitUntil([&] { return GraphSeconds(t.p) >= 30; })) << GraphSeconds(t.p);
  EXPECT_LE(GraphSeconds(t.p), 32);
  EXPECT_EQ(test::Dialogs().Warnings, (std::vector<QStringList>{{"Cannot set video position110000000 and 200000000"}}));
  // Both ends of the scale are seeks; past them nothing moves.
  const int before = t.p.CurrentSeconds();
  for (int outside : {101, -1}) t.p.SetPosition(outside);
  EXPECT_EQ(t.p.CurrentSeconds(), before);
  t.p.SetPosition(0);
  EXPECT_EQ(t.p.CurrentSeconds(), 0);
  t.p.SetPosition(100);
  EXPECT_EQ(t.p.CurrentSeconds(), t.p.TotalSeconds());

  for (const char* name : {"OKA MPEG Video Decoder", "OKA MPEG Audio Decoder"}) test::Components().Unregister(name);
  TPlayer stored(true, false, video);
  ASSERT_TRUE(stored.p.BuildGraph() && stored.p.Play());
  EXPECT_TRUE(test::WaitUntil([&] { return GraphSeconds(stored.p) >= 1; }));
}

// The test is the recorder: half the pair first, the rest later.
TEST(TimeShiftPlayback, PausesAtTheRecordedEndAndResumesWhenMoreIsWritten) {
  const QString made = MadePair("made.mpv", 12), video = test::Home() + "ts0.mpv";
  const QByteArray all = test::ReadFile(made);
  test::WriteFile(video, all.left(all.size() / 2));
  QFile::copy(playback::TimeShiftAudioFile(made), playback::TimeShiftAudioFile(video));
  TPlayer t(false, true, video, 3);
  ASSERT_TRUE(t.p.BuildGraph() && t.p.Play());
  ASSERT_TRUE(test::WaitUntil([&] { return GraphSeconds(t.p) >= 3; }));
  test::Clock().Advance(1000);  // a tick of the progress timer
  EXPECT_TRUE(t.p.AtLiveEdge() && !t.p.IsPlaying());
  EXPECT_EQ(t.progress.last().mid(1), (QList{2, 3})) << "one second short of the length";
  const qint64 pausedAt = GraphSeconds(t.p);

  QFile file(video);
  ASSERT_TRUE(file.open(QIODevice::Append));
  file.write(all.mid(all.size() / 2));
  file.close();
  test::Clock().Advance(1000);
  EXPECT_TRUE(t.p.AtLiveEdge()) << "nothing more recorded yet";
  EXPECT_FALSE(t.p.IsPlaying());
  t.recorded = 12;
  test::Clock().Advance(1000);
  EXPECT_TRUE(t.p.IsPlaying() && !t.p.AtLiveEdge());
  ASSERT_TRUE(test::WaitUntil([&] { return GraphSeconds(t.p) >= pausedAt + 3; })) << "reads what was added";

  // A pause of the user's own stays, although there is more to see.
  ASSERT_TRUE(t.p.Pause());
  const int ticks = t.progress.size();
  test::Clock().Advance(1000);
  EXPECT_EQ(t.progress.size(), ticks + 1);
  EXPECT_FALSE(t.p.IsPlaying());
}

// The routines over the one current player, on the virtual card's engine.
class TimeShiftRoutines : public test::EngineFixture {
 protected:
  TimeShiftRoutines() {
    test::EditPrefs(main_, [&](settings::TMainPreferences& p) { p.CaptureFolder = test::Home() + "rec/"; });
    session_.TimeShiftHooks.Components = &test::Components();
    session_.TimeShiftHooks.RecordedChannel = [] { return 4; };
  }
  ~TimeShiftRoutines() override {
    session_.TimeShift.reset();
    engine_.reset();
  }
  playback::TPlaybackSession session_;
};

// A player that cannot be built is not kept, and what played before is stopped all the same; a
// picture is taken only for a snapshot store; the end of a run keeps the files only when saving.
TEST_F(TimeShiftRoutines, APlayerThatCannotBeBuiltIsNotKeptSnapshotsNeedAStoreAndTheEndKeepsWhatIsSaved) {
  const QString video = MadePair("ts0.mpv", 4);
  EXPECT_TRUE(playback::SnapshotTimeShiftPlayback(session_)) << "nothing plays: nothing to do";
  std::vector<platform::video::IVideoWindow*> windows;
  session_.TimeShiftHooks.OnVideoWindow = [&](platform::video::IVideoWindow* w) { windows.push_back(w); };
  ASSERT_TRUE(playback::PlayTimeShiftFile(session_, video));
  ASSERT_TRUE(session_.TimeShift && windows.size() == 1u && windows[0]);
  ASSERT_TRUE(test::WaitUntil([this] { return GraphSeconds(*session_.TimeShift) >= 1; }));
  EXPECT_FALSE(playback::SnapshotTimeShiftPlayback(session_));
  EXPECT_EQ(Warnings(), QStringList({"Cannot do snapshot any more, memory is full or connect pin error..."}));
  test::TSnapshotStore store;
  session_.TimeShift->Snapshots = &store;
  EXPECT_TRUE(playback::SnapshotTimeShiftPlayback(session_));
  EXPECT_EQ(store.last.size(), QSize(160, 120));

  EXPECT_FALSE(playback::PlayTimeShiftFile(session_, test::Home() + "missing.mpv"));
  EXPECT_FALSE(session_.TimeShift);
  // The recorder has written nothing: no pair to play, and no player either.
  auto& e = Open();
  ASSERT_TRUE(e.StartPreview());
  EXPECT_FALSE(playback::StartTimeShiftPlayback(session_, e));
  EXPECT_FALSE(session_.TimeShift);
  // Without a recording the end of a run stops the preview and forgets the pending item.
  playback::BeginPendingItem(session_);
  EXPECT_TRUE(playback::EndTimeShift(session_, e));
  EXPECT_FALSE(session_.Pending);

  // From the recorder's own growing pair to the end of the run, without and with keeping it.
  for (const bool save : {false, true}) {
    SCOPED_TRACE(save ? "saved" : "not saved");
    auto& fresh = Open();
    test::ChangeSettings(fresh, [&](settings::TCaptureSettings& s) { s.SaveTimeShift = save; });
    ASSERT_TRUE(fresh.StartPreview() && playback::StartTimeShiftRecording(session_, fresh));
    const QString recorded = fresh.Recorder().CurrentFile, audio = playback::TimeShiftAudioFile(recorded);
    ASSERT_TRUE(
        test::WaitUntil([&] { return QFileInfo(recorded).size() > 50000 && QFileInfo(audio).size() > 0; }));
    test::Clock().Advance(11000);
    ASSERT_TRUE(playback::StartTimeShiftPlayback(session_, fresh));
    ASSERT_TRUE(session_.TimeShift && session_.TimeShift->Live);
    EXPECT_TRUE(session_.TimeShift->HasAudioGraph());

    EXPECT_TRUE(playback::EndTimeShift(session_, fresh));
    EXPECT_FALSE(session_.TimeShift || fresh.Recording() || fresh.TimeShift().Active);
    EXPECT_EQ(QFileInfo::exists(recorded), save);
    EXPECT_EQ(QFileInfo::exists(audio), save);
    QStringList listed;
    for (const auto& item : session_.Lists.Items)
      listed << QString("%1:%2:%3").arg(item->Description).arg(item->Channel).arg(item->FilePath);
    EXPECT_EQ(listed, save ? QStringList("Time Shifting:4:" + recorded) : QStringList());
  }
  session_.TimeShiftHooks.Components = nullptr;
  EXPECT_FALSE(playback::PlayTimeShiftFile(session_, video)) << "no components, no player";
}

// Every media call of a start refused once (engine/RefusedCallsTest.cpp): what reports success
// keeps a player, what fails keeps none; the refusals listed leave another route.
TEST_F(TimeShiftRoutines, EveryRefusedCallOfAStartFailsIt) {
  const QString video = MadePair("ts0.mpv", 2);
  EXPECT_EQ(test::RefusalsTakenAsSuccess([&] { playback::StopTimeShiftPlayback(session_); }, [&] {
    const bool ok = playback::PlayTimeShiftFile(session_, video);
    EXPECT_EQ(session_.TimeShift != nullptr, ok);
    return ok;
  }), "AddFilter#0 AddFilter#1 AddFilter#2 Render#6 Connect#7 Connect#8 Connect#9 Render#10 Connect#11 Render#12 "
      "Connect#13 Render#14 Connect#15 Render#16 AddFilter#17 Connect#18");
}

}  // namespace
