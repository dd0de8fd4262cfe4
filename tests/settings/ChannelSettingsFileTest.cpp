#include <gtest/gtest.h>

#include <array>

#include "SettingsTestSupport.h"
#include "settings/ChannelInfo.h"
#include "settings/ChannelSettingsFile.h"
#include "settings/ChannelTuner.h"
#include "settings/PreviewInfo.h"

using namespace pvx;
using namespace pvx::settings;
using test::Int;
using test::Patch;
using test::Str;

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

// The default file, value by value, as the format lays it out.
QByteArray GoldenDefaultFile() {
  QByteArray f = Int(4505);
  f += Int(0) + Int(0) + Int(0) + Int(11) + Int(2);  // table, standard, country, system, cable
  f += Int(4) + Int(0) + Int(0);                     // current table, composite, S-Video standard
  for (int record = 0; record < 2 * 160; ++record)   // antenna, then cable
    f += Int(0) + Int(0) + Int(0) + Int(0) + Int(0) + Int(0) + Str("") + Str("");
  for (int n = 1; n <= 50; ++n)
    f += Int(1) + Int(0) + Int(n) + Str("Memory " + QByteArray::number(n));
  for (int n = 1; n <= 50; ++n)
    f += Int(87500000 + n * 400000) + Str("FM Memory " + QByteArray::number(n));
  for (int i = 0; i < 6; ++i) f += Int(4);   // current and previous channel, memory, FM
  f += Int(4);                               // video source
  f += Int(0) + Int(3) + Int(2);             // preview: customize, dimension, interval
  for (int i = 0; i < 50; ++i) f += Int(0);  // custom cells
  return f + Int(4359);
}

// Offsets into a file whose channel names are all empty; negative ones count from the end.
constexpr int kHeader = 4;               // TableIndex; header value i at kHeader + 4 * i
constexpr int kAntenna1 = 36;            // antenna record 1; each record is 32 bytes
constexpr int kMemory1 = 36 + 320 * 32;  // memory entry 1
constexpr int kVideoSource = -220, kDimension = -212, kInterval = -208, kCustomCells = -204;

}  // namespace

TEST(ChannelSettingsFile, GoldenDefaultFileReplacesWhatWasThere) {
  Objects o;
  test::WriteFile(o.path, QByteArray(20000, 'z'));
  ASSERT_TRUE(o.Save());
  EXPECT_EQ(test::ReadFile(o.path).toHex(), GoldenDefaultFile().toHex());
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

TEST(ChannelSettingsFile, RoundTripOfEveryValue) {
  Objects out;
  TChannelInfo& c = out.channels;
  c.TableIndex = 7, c.Standard = 1, c.CountryCode = 81, c.TVSystemChoice = 1;
  c.CableTypeChoice = 0, c.CurrentTable = TChannelInfo::kCable, c.CompositeStandard = 2;
  c.SVideoStandard = 9;
  // clang-format off
  for (int n = 1; n <= 160; ++n) {
    const QString number = QString::number(n);
    *c.ChannelRecord(false, n) = {n % 2 == 0, n % 3 == 0, quint8(n % 10), quint8(n % 6),
                                  55250000u + quint32(n), 55250000u, "Kanal " + number,
                                  "zweite " + number};
    *c.ChannelRecord(true, n) = {true, false, 3, 4, 4000000000u, 3999999999u,
                                 QString::fromUtf8("Caf\u00e9 \u6771\u4eac"), ""};
  }
  // clang-format on
  for (int n = 1; n <= 50; ++n) {
    c.MemoryChannels[size_t(n - 1)] = {n % 4 != 0, quint8(n % 2), 161 - n,
                                       QStringLiteral("Fav %1").arg(n)};
    c.FMChannels[size_t(n - 1)] = {n == 7 ? 0u : 76000000u + quint32(n) * 100000,
                                   QStringLiteral("Radio %1").arg(n)};
  }
  c.CurChannel = 12, c.PrevChannel = 13, c.CurMemory = 14, c.PrevMemory = 15, c.CurFM = 16;
  c.PrevFM = 17, c.VideoSource = TChannelInfo::kSVideo;
  out.preview.Customize = true, out.preview.Dimension = 5, out.preview.Interval = 20;
  for (int r = 0; r < 5; ++r)
    for (int col = 0; col < 5; ++col)
      out.preview.CustomGrid[size_t(r)][size_t(col)] = {quint8((r + col) % 6), r * 10 + col};
  ASSERT_TRUE(out.Save());

  Objects in;
  RecordingTuner tuner;
  in.channels.SetTuner(&tuner);
  ASSERT_TRUE(in.Load());
  // The country first, then the stored channel of the stored table is tuned and the source routed.
  EXPECT_EQ(tuner.Log.mid(0, 4),
            QStringList({"country 81", "standard 0x20", "mute", "tv 4000000000"}));
  EXPECT_EQ(tuner.Log.last(), "source 2");
  const TChannelInfo& l = in.channels;
  EXPECT_EQ(l.AntennaChannels, c.AntennaChannels) << "each record keeps its own standard";
  EXPECT_EQ(l.CableChannels, c.CableChannels);
  EXPECT_EQ(l.FMChannels, c.FMChannels);
  EXPECT_EQ(in.preview.CustomGrid, out.preview.CustomGrid);
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
  // Saving what was loaded gives the same bytes: every other value came back as it was.
  const QByteArray first = test::ReadFile(out.path);
  ASSERT_TRUE(in.Save());
  EXPECT_EQ(test::ReadFile(in.path), first);
}

TEST(ChannelSettingsFile, ReadRulesMendStoredValues) {
  using Get = std::function<int(const Objects&)>;
  struct Row {
    int offset;
    qint32 stored;
    Get get;
    int expected;
  };
  const auto ch = [](std::function<int(const TChannelInfo&)> get) -> Get {
    return [get](const Objects& o) { return get(o.channels); };
  };
  const Get dimension = [](const Objects& o) { return o.preview.Dimension; };
  const Get interval = [](const Objects& o) { return o.preview.Interval; };
  // clang-format off
  std::vector<Row> rows = {
      {kAntenna1 + 8, -1, ch([](auto& c) { return c.AntennaChannels[0].Standard; }), 0},
      {kAntenna1 + 12, -2, ch([](auto& c) { return c.AntennaChannels[0].AudioMode; }), 0},
      // byte-sized values keep their low byte
      {kAntenna1 + 40, 258, ch([](auto& c) { return c.AntennaChannels[1].Standard; }), 2},
      {kAntenna1 + 44, 0x105, ch([](auto& c) { return c.AntennaChannels[1].AudioMode; }), 5},
      {kMemory1 + 4, -1, ch([](auto& c) { return c.MemoryChannels[0].Source; }), 0},
      {kVideoSource, -5, ch([](auto& c) { return c.VideoSource; }), 0},
      {kCustomCells, -1, [](const Objects& o) { return int(o.preview.CustomGrid[0][0].Kind); }, 0},
      {kDimension, 1, dimension, 2}, {kDimension, 0, dimension, 3}, {kDimension, 9, dimension, 5},
      {kDimension, -4, dimension, 3}, {kDimension, 4, dimension, 4}, {kDimension, 3, dimension, 3},
      {kInterval, 0, interval, 2}, {kInterval, -1, interval, 2}, {kInterval, 1, interval, 1},
      {kInterval, 20, interval, 20},
  };
  // clang-format on
  const auto header = [](const Objects& o) {
    const TChannelInfo& c = o.channels;
    return QList<int>({c.TableIndex, c.Standard, c.CountryCode, c.TVSystemChoice, c.CableTypeChoice,
                       c.CurrentTable, c.CompositeStandard, c.SVideoStandard});
  };
  for (int i = 0; i < 8; ++i)  // a negative header value reads as 0
    rows.push_back({kHeader + 4 * i, -3 - i, [=](const Objects& o) { return header(o)[i]; }, 0});
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "offset " << row.offset << " stored " << row.stored);
    QByteArray f = GoldenDefaultFile();
    Patch(f, row.offset < 0 ? f.size() + row.offset : row.offset, row.stored);
    Objects o;
    o.preview.Dimension = 4;
    test::WriteFile(o.path, f);
    ASSERT_TRUE(o.Load());
    EXPECT_EQ(row.get(o), row.expected);
  }
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

TEST(ChannelSettingsFile, CorruptFileIsReportedResetSpreadAndSetAside) {
  QByteArray good = GoldenDefaultFile();
  Patch(good, kHeader + 8, 49);  // a country code the tuner must not get
  std::vector<QByteArray> files(6, good);
  Patch(files[0], 0, 4506);
  files[1].chop(4);
  Patch(files[2], good.size() - 4, 4360);
  for (int i = 0; i < 3; ++i)  // the name "Memory 1": its bytes are not skipped
    Patch(files[size_t(3 + i)], kMemory1 + 12, std::array{600, -1, INT32_MAX}[size_t(i)]);
  test::WriteFile(CorruptCopyPath(test::Home() + "QDVCR2.cfg"), "an older one");
  for (const QByteArray& bytes : files) {
    test::Dialogs().Warnings.clear();
    Objects o;
    RecordingTuner tuner;
    o.channels.SetTuner(&tuner);
    o.channels.CountryCode = 1;
    o.channels.AntennaChannels[3].Valid = true;
    o.preview.Dimension = 5;
    o.preview.CustomGrid[0][0] = {2, 3};
    test::WriteFile(o.path, bytes);
    EXPECT_FALSE(o.Load());
    test::ExpectSetAside(o.path, bytes, kCorrupted);
    EXPECT_EQ(QList<int>({o.channels.CountryCode, o.channels.AntennaChannels[3].Valid,
                          o.preview.Dimension}),
              QList<int>({0, false, 3}));
    EXPECT_EQ(o.preview.CustomGrid[0][0], TSourceMapCell{});
    EXPECT_EQ(o.channels.FMChannels[0], (TFMMemoryChannelRecord{76280000, "FM Memory 1"}));
    EXPECT_EQ(o.channels.FMChannels[49].Frequency, 90000000u);
    EXPECT_TRUE(tuner.Log.isEmpty()) << "nothing of a corrupt file reaches the card";
  }
}

TEST(ChannelSettingsFile, UnreadableFileIsReportedKeptAndNotSavedOver) {
  Objects o;
  o.channels.AntennaChannels[3].Valid = true;
  o.Paths().ExpectUnreadableKept();
  EXPECT_FALSE(o.channels.AntennaChannels[3].Valid);
  // A later load that reads the file lets the save write again.
  ASSERT_TRUE(QFile::remove(o.path));
  EXPECT_FALSE(o.Load());
  EXPECT_TRUE(o.Save());
}

TEST(ChannelSettingsFile, MissingOrEmptyFileGivesDefaultsSilently) {
  Objects missing;
  RecordingTuner tuner;
  missing.channels.SetTuner(&tuner);
  missing.channels.TableIndex = 5;
  EXPECT_FALSE(missing.Load());
  EXPECT_EQ(missing.channels.TableIndex, 0);
  EXPECT_EQ(missing.channels.FMChannels[0].Frequency, 76280000u);
  Objects empty;
  test::WriteFile(empty.path, "");
  EXPECT_FALSE(empty.Load());
  EXPECT_EQ(empty.channels.FMChannels[0].Frequency, 87900000u) << "without a tuner, defaults";
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

TEST(ChannelSettingsFile, OverlongNamesAreCutSoTheFileStillLoads) {
  Objects out;
  const QString longName = QString(300, QChar(0x6771));  // 900 bytes of UTF-8
  out.channels.AntennaChannels[0].Name = longName;
  out.channels.FMChannels[0].Name = QString(600, 'x');
  ASSERT_TRUE(out.Save());
  Objects in;
  ASSERT_TRUE(in.Load());
  EXPECT_EQ(in.channels.AntennaChannels[0].Name, longName.left(170)) << "510 bytes, whole chars";
  EXPECT_EQ(in.channels.FMChannels[0].Name, QString(512, 'x'));
  EXPECT_EQ(in.channels.FMChannels[1].Name, "FM Memory 2");
}

TEST(ChannelSettingsFile, FailedSaveKeepsThePreviousFileAndSaysSo) {
  Objects o;
  o.Paths().ExpectFailedSaveKeepsOld();
}
