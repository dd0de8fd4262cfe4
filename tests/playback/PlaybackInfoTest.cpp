#include <gtest/gtest.h>

#include <set>

#include "playback/Globals.h"
#include "playback/PendingItem.h"
#include "playback/PlaybackInfo.h"
#include "support/TestEnvironment.h"

using namespace pvx::playback;

namespace {

class FakeFilePlayer : public IFilePlayer {
 public:
  bool PlayFile(const QString& path) override {
    played.push_back(path);
    return !failing.count(path);
  }
  std::set<QString> failing;
  QStringList played;
};

struct Fixture {
  Fixture() {
    info.FilePlayer = &player;
    info.PlayList = {"/v/a", "/v/b", "/v/c", "/v/d", "/v/e"};
    info.OnPlay = [this](TPlaybackInfo& sender, int index) {
      EXPECT_EQ(&sender, &info);
      announced.push_back(index);
    };
  }
  FakeFilePlayer player;
  TPlaybackInfo info;
  std::vector<int> announced;
};

}  // namespace

TEST(PlaybackInfo, NextAndPreviousWrapAround) {
  struct Row {
    int size, current;
    bool next;
    int expected;
  };
  const Row rows[] = {{3, -1, true, 0}, {3, 2, true, 0},  {3, 1, true, 2},
                      {3, -1, false, 2}, {3, 0, false, 2}, {3, 2, false, 1}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.current << (row.next ? " next" : " previous"));
    Fixture f;
    f.info.PlayList = f.info.PlayList.mid(0, row.size);
    f.info.CurrentIndex = row.current;
    EXPECT_TRUE(row.next ? f.info.PlayNext() : f.info.PlayPrevious());
    EXPECT_EQ(f.info.CurrentIndex, row.expected);
    EXPECT_EQ(f.info.CurrentFile, f.info.PlayList[row.expected]);
    EXPECT_EQ(f.announced, std::vector<int>{row.expected});
  }
}

TEST(PlaybackInfo, FailingEntryLeavesThePlayListAndNextSkipsOne) {
  Fixture f;
  f.player.failing = {"/v/b"};
  ASSERT_TRUE(f.info.PlayIndex(0));
  EXPECT_FALSE(f.info.PlayNext());
  EXPECT_EQ(f.info.PlayList, QStringList({"/v/a", "/v/c", "/v/d", "/v/e"}));
  EXPECT_EQ(f.info.CurrentIndex, 1);
  EXPECT_TRUE(f.info.PlayNext());
  EXPECT_EQ(f.player.played, QStringList({"/v/a", "/v/b", "/v/d"}));
  EXPECT_EQ(f.announced, std::vector<int>({0, 2}));
  EXPECT_FALSE(f.info.PlayIndex(4));
  EXPECT_EQ(f.info.RecentFiles, QStringList({"/v/d", "/v/a"}));
}

TEST(PlaybackInfo, RecentFilesMatchIgnoresCase) {
  Fixture f;
  f.info.RecentFiles = {"/v/x", "/V/C"};
  ASSERT_TRUE(f.info.PlayIndex(2));
  EXPECT_EQ(f.info.RecentFiles, QStringList({"/v/x", "/V/C"}));
}

TEST(PlaybackInfo, AddItemRefusesOnlyTheExactSamePath) {
  TPlaybackInfo info;
  const QString paths[] = {"/r/A.mpg", "/r/A.mpg", "/r/a.mpg"};
  const bool added[] = {true, false, true};
  for (int i = 0; i < 3; ++i) {
    auto item = std::make_unique<TPlaybackItem>();
    item->FilePath = paths[i];
    EXPECT_EQ(info.AddItem(item), added[i]);
    EXPECT_EQ(item == nullptr, added[i]);  // a refused item stays with the caller
  }
  std::unique_ptr<TPlaybackItem> none;
  EXPECT_FALSE(info.AddItem(none));
  ASSERT_EQ(info.Items.size(), 2u);
  EXPECT_EQ(info.Items[0]->FilePath, "/r/a.mpg");
}

TEST(PendingPlaybackItem, FinishedRecordingJoinsTheDoneList) {
  TPlaybackInfo info;
  PlaybackInfo = &info;
  const QDateTime start(QDate(2026, 1, 2), QTime(3, 4), Qt::LocalTime);
  BeginPendingItem(start).Scheduled = true;
  EXPECT_TRUE(FinishPendingItem({7, "/r/s.mpg", "Scheduled", true}, start.addSecs(60)));
  EXPECT_FALSE(FinishPendingItem({7, "/r/t.mpg", "", false}));  // nothing pending
  BeginPendingItem();
  DropPendingItem();
  EXPECT_FALSE(PendingPlaybackItem);
  PlaybackInfo = nullptr;
  ASSERT_EQ(info.Items.size(), 1u);
  const TPlaybackItem& item = *info.Items[0];
  EXPECT_EQ(std::tie(item.StartTime, item.EndTime, item.Channel, item.Scheduled, item.AudioOnly,
                     item.FilePath, item.Description),
            std::make_tuple(start, start.addSecs(60), 7, true, true, QString("/r/s.mpg"),
                            QString("Scheduled")));
}
