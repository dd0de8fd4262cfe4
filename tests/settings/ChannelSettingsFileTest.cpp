#include <gtest/gtest.h>

#include <array>

#include "SettingsTestSupport.h"
#include "settings/ChannelInfo.h"
#include "settings/ChannelSettingsFile.h"
#include "settings/ChannelTuner.h"
#include "settings/PreviewInfo.h"

using namespace pvx;
using namespace pvx::settings;
using test::Patch;

namespace {

const QString kCorrupted = "TV Cahnnel setting is corrupted, please re-set your TV channel...";

// Records the calls loading makes on the card; a Japanese FM band.
struct RecordingTuner : test::FakeTuner {
  RecordingTuner() { FMLow = 76000000, FMHigh = 90000000; }
};

struct Objects {
  TChannelInfo channels;
  TPreviewInfo preview{channels};
  QString path = test::Home() + "QDVCR2.cfg";
  bool Save() { return TChannelSettingsFile::Save(path, channels, preview); }
  bool Load() { return TChannelSettingsFile::Load(path, channels, preview); }
  test::FailurePaths Paths() {
    return {path, [this] { return Load(); }, [this] { return Save(); },
            "Cannot read channel config....", "Cannot write channel config...."};
  }
};

// The default file: header, 160 antenna then 160 cable records, 50 memories, 50 FM memories,
// current and previous channels, video source, preview settings and cells, trailer.
QByteArray GoldenDefaultFile() {
  return test::ReadFile(test::Fixture("settings/QDVCR2.default.cfg"));
}

// Offsets into a file whose channel names are all empty; negative ones count from the end.
constexpr int kHeader = 4;               // TableIndex; header value i at kHeader + 4 * i
constexpr int kAntenna1 = 36;            // antenna record 1; each record is 32 bytes
constexpr int kMemory1 = 36 + 320 * 32;  // memory entry 1
constexpr int kVideoSource = -220, kDimension = -212, kInterval = -208, kCustomCells = -204;

}  // namespace

TEST(ChannelSettingsFile, GoldenDefaultFileOverlongNamesCutAndDefaultsForAMissingOrEmptyOne) {
  Objects o;
  test::WriteFile(o.path, QByteArray(20000, 'z'));
  ASSERT_TRUE(o.Save());
  EXPECT_EQ(test::ReadFile(o.path).toHex(), GoldenDefaultFile().toHex());
  const QString longName = QString(300, QChar(0x6771));  // 900 bytes of UTF-8
  o.channels.ChannelRecord(false, 1)->Name = longName;
  o.channels.FMRecord(1)->Name = QString(600, 'x');
  ASSERT_TRUE(o.Save());
  Objects in;  // cut so that the file still loads
  ASSERT_TRUE(in.Load());
  EXPECT_EQ(in.channels.AntennaChannels()[0].Name, longName.left(170)) << "510 bytes, whole chars";
  EXPECT_EQ(QStringList({in.channels.FMChannels()[0].Name, in.channels.FMChannels()[1].Name}),
            QStringList({QString(512, 'x'), "FM Memory 2"}));
  ASSERT_TRUE(QFile::remove(o.path));
  Objects missing;
  RecordingTuner tuner;
  missing.channels.SetTuner(&tuner);
  missing.channels.SetCountryPlan(5, 0);
  EXPECT_FALSE(missing.Load());
  EXPECT_EQ(missing.channels.TableIndex(), 0);
  EXPECT_EQ(missing.channels.FMChannels()[0].Frequency, 76280000u);
  Objects empty;
  test::WriteFile(empty.path, "");
  EXPECT_FALSE(empty.Load());
  EXPECT_EQ(empty.channels.FMChannels()[0].Frequency, 87900000u) << "without a tuner, defaults";
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

TEST(ChannelSettingsFile, RoundTripOfEveryValue) {
  // Every value away from its default: per-record standards and sound modes, UTF-8 names,
  // frequencies up to 4 GHz, an empty FM entry, a customized 5 x 5 preview of 20 seconds.
  const QByteArray full = test::ReadFile(test::Fixture("settings/QDVCR2.full.cfg"));
  Objects in;
  RecordingTuner tuner;
  in.channels.SetTuner(&tuner);
  test::WriteFile(in.path, full);
  ASSERT_TRUE(in.Load());
  // The country first, then the stored channel of the stored table is tuned and the source routed.
  EXPECT_EQ(tuner.Log.mid(0, 4),
            QStringList({"country 81", "standard 0x20", "mute", "tv 4000000000"}));
  EXPECT_EQ(tuner.Log.last(), "source 2");
  EXPECT_EQ(in.channels.CableChannels()[0].Name, QString::fromUtf8("Caf\u00e9 \u6771\u4eac"));
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
  // Saving what was loaded gives the same bytes: every value came back as it was.
  ASSERT_TRUE(in.Save());
  EXPECT_EQ(test::ReadFile(in.path), full);
}

TEST(ChannelSettingsFile, ReadRulesMendStoredValues) {
  // The values the rules touch, each name followed by its values.
  const auto dump = [](const Objects& o) {
    const TChannelInfo& c = o.channels;
    const TChannelRecord &a0 = c.AntennaChannels()[0], &a1 = c.AntennaChannels()[1];
    // clang-format off
    return test::Join({"h", c.TableIndex(), c.Standard(), c.CountryCode(), c.TVSystemChoice(),
                       c.CableTypeChoice(), c.CurrentTable(), c.CompositeStandard(), c.SVideoStandard(),
                       "a0", a0.Standard, a0.AudioMode, "a1", a1.Standard, a1.AudioMode,
                       "m0", c.MemoryChannels()[0].Source, "video", c.VideoSource(),
                       "cell", o.preview.CustomGrid[0][0].Kind, "dim", o.preview.Dimension,
                       "interval", o.preview.Interval, ""});
    // clang-format on
  };
  // Negative values read as 0; byte-sized values keep their low byte.
  // clang-format off
  std::vector<std::tuple<int, qint32, QString>> rows = {
      {kAntenna1 + 8, -1, "a0 0 0"}, {kAntenna1 + 12, -2, "a0 0 0"},
      {kAntenna1 + 40, 258, "a1 2 0"}, {kAntenna1 + 44, 0x105, "a1 0 5"},
      {kMemory1 + 4, -1, "m0 0"}, {kVideoSource, -5, "video 0"}, {kCustomCells, -1, "cell 0"},
      {kDimension, 1, "dim 2"},
      {kDimension, 0, "dim 3"}, {kDimension, 9, "dim 5"}, {kDimension, -4, "dim 3"},
      {kDimension, 4, "dim 4"}, {kDimension, 3, "dim 3"}, {kInterval, 0, "interval 2"},
      {kInterval, -1, "interval 2"}, {kInterval, 1, "interval 1"}, {kInterval, 20, "interval 20"}};
  // clang-format on
  for (int i = 0; i < 8; ++i) {  // a negative header value reads as 0
    QStringList header = {"h", "0", "0", "0", "11", "2", "4", "0", "0"};
    header[i + 1] = "0";
    rows.push_back({kHeader + 4 * i, -3 - i, header.join(' ')});
  }
  for (const auto& [offset, stored, expected] : rows) {
    QByteArray f = GoldenDefaultFile();
    Patch(f, offset < 0 ? f.size() + offset : offset, stored);
    Objects o;
    o.preview.Dimension = 4;
    test::WriteFile(o.path, f);
    ASSERT_TRUE(o.Load());
    EXPECT_TRUE(dump(o).contains(expected + " "))
        << offset << " " << stored << ": " << dump(o).toStdString();
  }
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

TEST(ChannelSettingsFile, CorruptFileIsReportedResetSpreadAndSetAside) {
  QByteArray good = GoldenDefaultFile();
  Patch(good, kHeader + 8, 49);  // a country code the tuner must not get
  test::WriteFile(CorruptCopyPath(test::Home() + "QDVCR2.cfg"), "an older one");
  for (const QByteArray& bytes : test::Spoiled(good, kMemory1 + 12)) {  // the name "Memory 1"
    test::Dialogs().Warnings.clear();
    Objects o;
    RecordingTuner tuner;
    o.channels.SetCountryCode(1), o.channels.ChannelRecord(false, 4)->Valid = true;
    o.channels.SetTuner(&tuner);
    o.preview.Dimension = 5, o.preview.CustomGrid[0][0] = {2, 3};
    test::WriteFile(o.path, bytes);
    EXPECT_FALSE(o.Load());
    test::ExpectSetAside(o.path, bytes, kCorrupted);
    EXPECT_EQ(QList<int>({o.channels.CountryCode(), o.channels.AntennaChannels()[3].Valid,
                          o.preview.Dimension, o.preview.CustomGrid[0][0] == TSourceMapCell{}}),
              QList<int>({0, false, 3, true}));
    EXPECT_EQ(o.channels.FMChannels()[0], (TFMMemoryChannelRecord{76280000, "FM Memory 1"}));
    EXPECT_EQ(o.channels.FMChannels()[49].Frequency, 90000000u);
    EXPECT_TRUE(tuner.Log.isEmpty()) << "nothing of a corrupt file reaches the card";
  }
}

// Then a failed save keeps the previous file and says so.
TEST(ChannelSettingsFile, UnreadableFileIsReportedKeptAndNotSavedOver) {
  Objects o;
  o.channels.ChannelRecord(false, 4)->Valid = true;
  o.Paths().ExpectUnreadableKept();
  EXPECT_FALSE(o.channels.AntennaChannels()[3].Valid);
  ASSERT_TRUE(QFile::remove(o.path));  // a later load that reads the file lets the save write
  EXPECT_FALSE(o.Load());
  EXPECT_TRUE(o.Save());
  ASSERT_TRUE(QFile::remove(o.path));
  test::Dialogs().Warnings.clear();
  o.Paths().ExpectFailedSaveKeepsOld();
}
