#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QtEndian>
#include <csignal>

#include "playback/PlayListFiles.h"
#include "playback/PlaybackInfo.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::playback;

namespace {

const QString kNamed = QString::fromUtf8("Größe Ñews.mpg");

QDateTime At(int year, int month, int day, int hour) {
  return QDateTime(QDate(year, month, day), QTime(hour, 0), Qt::LocalTime);
}

// The two records of the golden file; the paths are relative to the working folder.
TPlaybackItems GoldenItems() {
  TPlaybackItems items;
  items.push_back(std::make_unique<TPlaybackItem>(TPlaybackItem{
      At(2026, 12, 7, 18), At(2026, 12, 7, 21), 5, true, false, kNamed, "Scheduled"}));
  items.push_back(std::make_unique<TPlaybackItem>(
      TPlaybackItem{At(1999, 12, 31, 6), At(1999, 12, 31, 12), 0, false, true, "capture.mpg", ""}));
  return items;
}

auto Fields(const TPlaybackItem& i) {
  return std::tie(i.StartTime, i.EndTime, i.Channel, i.Scheduled, i.AudioOnly, i.Description);
}

QByteArray Golden() { return test::ReadFile(test::Fixture("playback/PLAYITEMS.golden.LST")); }

QStringList Paths(const TPlaybackItems& items) {
  QStringList paths;
  for (const auto& item : items) paths << item->FilePath;
  return paths;
}

// Runs in the program folder, where only the first golden recording exists.
class PlayItemsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    QDir::setCurrent(test::Home());
    test::WriteFile(test::Home() + kNamed, "x");
  }
  void TearDown() override { QDir::setCurrent(old_); }
  const QString path_ = PlayItemsPath();
  const QString old_ = QDir::currentPath();
};

}  // namespace

TEST_F(PlayItemsFile, WritesGoldenBytes) {
  ASSERT_TRUE(SavePlayItems(path_, GoldenItems()));
  EXPECT_EQ(test::ReadFile(path_), Golden());
}

TEST_F(PlayItemsFile, RoundTripKeepsLongPathsAndSkipsOverlongText) {
  const QString deep = test::Home() + QString(200, 'a') + "/" + QString(200, 'b') + "/" +
                       QString(200, 'c') + ".mpg";  // longer than 512 bytes
  test::WriteFile(deep, "x");
  test::WriteFile(test::Home() + "capture.mpg", "x");
  TPlaybackItems items = GoldenItems();
  items[0]->FilePath = deep;
  items[0]->Description = QString(5000, 'd');
  ASSERT_TRUE(SavePlayItems(path_, items));
  TPlaybackItems loaded;
  LoadPlayItems(path_, loaded);
  ASSERT_EQ(Paths(loaded), Paths(items));
  EXPECT_EQ(loaded[0]->Description, "");
  EXPECT_EQ(Fields(*loaded[1]), Fields(*items[1]));
  EXPECT_TRUE(QFile::exists(path_));
}

TEST_F(PlayItemsFile, DamagedFilesKeepWhatWasReadAndAreDeleted) {
  struct Row {
    const char* name;
    int offset;  // where `value` replaces four bytes; -1 for none
    qint32 value;
    int cut;  // bytes kept; -1 for all
    QStringList expected;
    bool kept;
  };
  const Row rows[] = {
      {"intact, missing recording dropped", -1, 0, -1, {kNamed}, true},
      {"empty file", -1, 0, 0, {}, true},
      {"wrong opening magic", 0, 8889, -1, {}, false},
      {"wrong closing magic", 117, 0, -1, {kNamed}, false},
      {"ends inside the second record", -1, 0, 100, {kNamed}, false},
      {"description runs past the end", 57, 200, -1, {}, false},
      {"negative description length", 57, -1, -1, {}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    QByteArray bytes = Golden();
    if (row.offset >= 0) qToLittleEndian(row.value, bytes.data() + row.offset);
    if (row.cut >= 0) bytes.truncate(row.cut);
    test::WriteFile(path_, bytes);
    TPlaybackItems loaded;
    LoadPlayItems(path_, loaded);
    EXPECT_EQ(Paths(loaded), row.expected);
    EXPECT_EQ(QFile::exists(path_), row.kept);
  }
}

TEST_F(PlayItemsFile, FailedSaveKeepsTheOldList) {
  test::WriteFile(path_, Golden());
  TPlaybackItems items = GoldenItems();
  items[0]->FilePath = QString(300, 'p');
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 200;  // the disk fills after 200 bytes
  setrlimit(RLIMIT_FSIZE, &small);
  const bool saved = SavePlayItems(path_, items);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(saved);
  EXPECT_EQ(test::ReadFile(path_), Golden());
}

TEST_F(PlayItemsFile, EmptiedListsStayEmptyAfterRestart) {
  test::WriteFile(path_, Golden());
  test::WriteFile(PlayRecentPath(), "/a.mpg\r\n");
  {
    TPlaybackInfo info;
    ASSERT_EQ(info.Items.size(), 1u);
    ASSERT_EQ(info.RecentFiles.size(), 1);
    EXPECT_TRUE(info.DeleteAllItems(false));
    info.RecentFiles.clear();
  }
  EXPECT_EQ(test::ReadFile(path_), QByteArray::fromHex("b8220000 00000000 b8220000"));
  EXPECT_EQ(test::ReadFile(PlayRecentPath()), "");
  EXPECT_TRUE(TPlaybackInfo().Items.empty());
  EXPECT_TRUE(QFile::exists(kNamed));
}

TEST(RecentFilesFile, ReadsAnyLineEndAndWritesCrLf) {
  const QString path = PlayRecentPath();
  test::WriteFile(path, QString::fromUtf8("/a.mpg\r\n/b.mpg\r/c.mpg\n/Größe.mpg").toUtf8());
  const QStringList files = LoadRecentFiles(path);
  EXPECT_EQ(files, QStringList({"/a.mpg", "/b.mpg", "/c.mpg", QString::fromUtf8("/Größe.mpg")}));
  ASSERT_TRUE(SaveRecentFiles(path, files));
  EXPECT_EQ(test::ReadFile(path), QString::fromUtf8("/a.mpg\r\n/b.mpg\r\n/c.mpg\r\n/Größe.mpg\r\n").toUtf8());
}
