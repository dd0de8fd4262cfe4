#include <gtest/gtest.h>

#include <QDir>
#include <QtEndian>

#include "playback/PlaybackSession.h"
#include "playback/PendingItem.h"
#include "playback/PlayListFiles.h"
#include "playback/PlaybackInfo.h"
#include "support/TestEnvironment.h"
#include "util/TimeFormat.h"

using namespace pvx;
using namespace pvx::playback;

namespace {

const QString kNamed = "Größe Ñews.mpg";

// The records of the golden file, newest first; the paths are relative to the working folder.
TPlaybackItems GoldenItems() {
  using util::FromOleDate;
  TPlaybackItems items;
  items.push_back(std::make_unique<TPlaybackItem>(TPlaybackItem{
      FromOleDate(46363.75), FromOleDate(46363.875), 5, true, false, kNamed, "Scheduled"}));
  items.push_back(std::make_unique<TPlaybackItem>(TPlaybackItem{
      FromOleDate(36525.25), FromOleDate(36525.5), 0, false, true, "capture.mpg", ""}));
  return items;
}

QByteArray Golden() { return test::ReadFile(test::Fixture("playback/PLAYITEMS.golden.LST")); }

// "path|description" of every record loaded.
QStringList Loaded(const QString& path) {
  TPlaybackItems items;
  LoadPlayItems(path, items);
  QStringList loaded;
  for (const auto& item : items) loaded << item->FilePath + "|" + item->Description;
  return loaded;
}

// Runs in the program folder, where only the first golden recording exists.
struct PlayItemsFile : ::testing::Test {
  void SetUp() override { QDir::setCurrent(test::Home()), test::WriteFile(kNamed, "x"); }
  void TearDown() override { QDir::setCurrent(old_); }
  const QString path_ = PlayItemsPath(), old_ = QDir::currentPath();
};

}  // namespace

TEST_F(PlayItemsFile, GoldenBytesRoundTripLongStringsAndAFailedSaveKeepsTheOldList) {
  ASSERT_TRUE(SavePlayItems(path_, GoldenItems()));
  EXPECT_EQ(test::ReadFile(path_), Golden());
  EXPECT_FALSE(test::WithDiskFullAfter(100, [&] { return SavePlayItems(path_, GoldenItems()); }));
  EXPECT_EQ(test::ReadFile(path_), Golden());
  test::WriteFile("capture.mpg", "x");
  TPlaybackItems items;
  LoadPlayItems(path_, items);
  ASSERT_TRUE(SavePlayItems(path_, items));
  EXPECT_EQ(test::ReadFile(path_), Golden());
  // A path past 512 bytes is kept; text past 4096 bytes reads as empty, the next record in step.
  const QString deep = test::Home() + QString("x/../").repeated(120) + kNamed;
  QDir().mkpath("x");
  items[0]->Description = QString(5000, 'd');
  items[1]->FilePath = deep;
  ASSERT_TRUE(SavePlayItems(path_, items));
  EXPECT_EQ(Loaded(path_), QStringList({kNamed + "|", deep + "|"}));
}

TEST_F(PlayItemsFile, DamagedFilesKeepWhatWasReadAndAreDeleted) {
  const QStringList first = {kNamed + "|Scheduled"};
  // name, offset of a replaced integer (-1: none), its value, bytes kept (-1: all), loaded, kept
  const std::tuple<const char*, int, qint32, int, QStringList, bool> rows[] = {
      {"intact, missing recording dropped", -1, 0, -1, first, true},
      {"empty file", -1, 0, 0, {}, true},
      {"wrong opening magic", 0, 8889, -1, {}, false},
      {"wrong closing magic", 117, 0, -1, first, false},
      {"ends inside the second record", -1, 0, 100, first, false},
      {"description runs past the end", 57, 200, -1, {}, false},
      {"negative description length", 57, -1, -1, {}, false},
  };
  for (const auto& [name, offset, value, cut, expected, kept] : rows) {
    SCOPED_TRACE(name);
    QByteArray bytes = Golden();
    if (offset >= 0) qToLittleEndian(value, bytes.data() + offset);
    test::WriteFile(path_, cut >= 0 ? bytes.left(cut) : bytes);
    EXPECT_EQ(Loaded(path_), expected);
    EXPECT_EQ(QFile::exists(path_), kept);
  }
}

TEST_F(PlayItemsFile, RecentLinesAnyEndWrittenCrLfAndEmptiedListsStayEmpty) {
  test::WriteFile(path_, Golden());
  test::WriteFile(PlayRecentPath(), "/a\r\n/b\r/c\n/Größe\r\n");
  {
    TPlaybackInfo info;
    ASSERT_EQ(info.Items.size(), 1u);
    ASSERT_TRUE(info.SaveRecent());
    EXPECT_EQ(test::ReadFile(PlayRecentPath()), "/a\r\n/b\r\n/c\r\n/Größe\r\n");
    EXPECT_TRUE(info.DeleteAllItems(false));
    info.RecentFiles.clear();
  }
  EXPECT_EQ(test::ReadFile(path_), QByteArray::fromHex("b8220000 00000000 b8220000"));
  EXPECT_EQ(test::ReadFile(PlayRecentPath()), "");
}

// Each one is on disk as it joins, not only when the program ends.
TEST(PendingPlaybackItem, FinishedRecordingsJoinTheDoneListOncePerExactPath) {
  TPlaybackSession session;
  const QDateTime start(QDate(2026, 1, 2), QTime(3, 4), Qt::LocalTime);
  for (const auto& [name, added] : {std::pair{"A", true}, {"A", false}, {"a", true}}) {
    const QString path = test::Home() + name;
    test::WriteFile(path, "recorded");
    BeginPendingItem(session, start);
    MarkPendingItemScheduled(session);
    EXPECT_EQ(FinishPendingItem(session, {7, path, "Scheduled", true}, start.addSecs(60)), added);
    const TPlaybackInfo stored;
    EXPECT_TRUE(!stored.Items.empty() && stored.Items.front()->FilePath == path);
  }
  ASSERT_EQ(session.Lists.Items.size(), 2u);
  const TPlaybackItem& i = *session.Lists.Items[0];
  EXPECT_EQ(std::tie(i.StartTime, i.EndTime, i.Channel, i.Scheduled, i.AudioOnly, i.FilePath),
            std::make_tuple(start, start.addSecs(60), 7, true, true, test::Home() + "a"));
}
