// The two settings files, QDVCR.cfg (main) and QDVCR2.cfg (channels): their bytes, the rules that
// mend stored values, and the failure paths they share.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QtEndian>
#include <set>

#include "SettingsTestSupport.h"
#include "settings/CaptureSettings.h"
#include "settings/ChannelSettingsFile.h"
#include "settings/CountryInfo.h"
#include "settings/MainInfo.h"
#include "settings/MultiLangInfo.h"
#include "settings/StoredFile.h"
#include "support/FakeSystemServices.h"
#include "support/ModelEdits.h"

using namespace pvx;
using namespace pvx::settings;
using test::Join;

namespace {

// Everything the main file touches, wired as start-up wires it.
struct MainFile {
  MainFile() : country(49), language(WriteLanguageList()) {
    language.SetLanguage("English");
    peers = {&language, &country, &capture, &audio, nullptr, nullptr};
    peers.GetDisplayAspect = [this] { return aspect; }, peers.SetDisplayAspect = [this](int a) { aspect = a; };
  }
  static QString WriteLanguageList() {
    test::WriteFile(test::Home() + "Language/Lang.cfg", "L\n");
    test::WriteFile(test::Home() + "Language/L.lng",
                    "[language]=English\nOK=OK\n[language]=German\nOK=OK\n[language]=Greek\n");
    return test::Home() + "Language/Lang.cfg";
  }
  bool Save() { return main.SaveMainSettings(path, peers); }
  bool Load() { return main.LoadMainSettings(path, peers); }

  QString path = test::Home() + "QDVCR.cfg";
  TCountryInfo country;
  TMultiLangInfo language;
  TMainInfo main;
  TCaptureSettings capture;
  TAudioLevels audio;
  int aspect = 0;
  TMainSettingsPeers peers;
};

// The channel objects the channel file reads into and writes from.
struct ChannelFile {
  TChannelInfo channels;
  TPreviewInfo preview{channels};
  QString path = test::Home() + "QDVCR2.cfg";
  bool Save() { return TChannelSettingsFile::Save(path, channels, preview); }
  bool Load() { return TChannelSettingsFile::Load(path, channels, preview); }
};

// The default main file: the switches, two folders and a name, the colour levels, the language,
// the audio lines and level, the capture settings, the aspect, the trailer. The default channel
// file: header, 160 antenna then 160 cable records, 50 memories, 50 FM memories, current and
// previous channels, video source, preview settings and cells, trailer.
QByteArray Golden(const char* name) { return test::ReadFile(test::Fixture("settings/") + name); }

// A little-endian integer over the one at `offset`; a negative offset counts from the end.
void Patch(QByteArray& f, qsizetype offset, qint32 v) {
  const qint32 le = qToLittleEndian(v);
  f.replace(offset < 0 ? f.size() + offset : offset, 4, QByteArray(reinterpret_cast<const char*>(&le), 4));
}

QByteArray Integers(std::initializer_list<qint32> values) {
  QByteArray bytes(qsizetype(4 * values.size()), '\0');
  for (qsizetype i = 0; i < qsizetype(values.size()); ++i) Patch(bytes, 4 * i, values.begin()[i]);
  return bytes;
}

// Offsets into the default channel file, whose channel names are all empty.
constexpr int kHeader = 4;               // TableIndex; header value i at kHeader + 4 * i
constexpr int kAntenna1 = 36;            // antenna record 1; each record is 32 bytes
constexpr int kMemory1 = 36 + 320 * 32;  // memory entry 1
constexpr int kVideoSource = -220, kDimension = -212, kInterval = -208, kCustomCells = -204;

// A good file spoiled six ways: one integer short, a wrong magic or trailer, and the string
// length at `stringAt` beyond the limit three ways (its bytes are then not skipped). Each load
// fails, says `message` once and sets the file, unchanged, beside its old place. An empty file,
// tried first, loads as a missing one: the same defaults, said nothing, the file left where it
// is and the copy set aside before kept. `File` starts with values that a load must reset.
template <class File>
void ExpectEachSpoiledFileSetAside(const QByteArray& good, qsizetype stringAt, const QString& message,
                                   const std::function<void(File&)>& expectDefaults) {
  std::vector<QByteArray> spoiled(7, good);
  spoiled[0].clear(), spoiled[1].chop(4), Patch(spoiled[2], 0, 4506), Patch(spoiled[3], -4, 4360);
  for (int i = 0; i < 3; ++i) Patch(spoiled[size_t(4 + i)], stringAt, std::array{600, -1, INT32_MAX}[i]);
  test::WriteFile(CorruptCopyPath(File().path), "an older one");
  for (const QByteArray& bytes : spoiled) {
    const bool empty = bytes.isEmpty();
    File in;
    test::Dialogs().Warnings.clear(), test::WriteFile(in.path, bytes);
    EXPECT_FALSE(in.Load());
    EXPECT_EQ(test::Dialogs().Warnings, std::vector<QStringList>(empty ? 0 : 1, {message}));
    EXPECT_EQ(std::pair(QFileInfo::exists(in.path), test::ReadFile(CorruptCopyPath(in.path))),
              std::pair(empty, empty ? QByteArray("an older one") : bytes));
    expectDefaults(in);
  }
}

}  // namespace

TEST(MainSettingsFile, GoldenDefaultFileThenARoundTripOfEveryValueAndFoldersOnReadOnlyMediaFallBack) {
  const QString videos = test::Home() + "Videos/", radio = test::Home() + "Radio Aufnahmen/";
  QDir().mkpath(videos);
  MainFile out;
  test::WriteFile(out.path, QByteArray(1000, 'z'));
  ASSERT_TRUE(out.Save());  // the defaults replace what was there
  EXPECT_EQ(test::ReadFile(out.path).toHex(),
            (Golden("QDVCR.default.cfg") + Integers({4606, 0, 0, 4460, 4607, 0, 0, 4461})).toHex())
      << "the layout other programs read, byte for byte, then the two extension blocks";
  test::EditPrefs(out.main, [&](TMainPreferences& p) {
    p.AlwaysOnTop = p.PIPEnabled = p.NoOverlay = p.ReservedFlag = p.StartInFM = true;
    p.MPEG4Codec = 0, p.CaptureFolder = videos, p.WaveFolder = radio;  // created on load
    p.SecondBaseName = "second", p.ColorLevels = {10, 20, 30, 40, 50}, p.ServeOtherDevices = true;
  });
  out.language.SetLanguage("German"), out.audio = {3, 4, 30000}, out.aspect = 2;
  out.capture = {1, 2, 2, 3, 1, 1, 9, 1, 720, 576, 8000, 3, 6, false, "news", true, 3600, true, true, true, false};
  ASSERT_TRUE(out.Save());
  const QByteArray first = test::ReadFile(out.path);
  EXPECT_TRUE(first.endsWith(Integers({4359, 4606, 1, 0, 4460, 4607, 0, 1, 4461})))
      << "fast deinterlacing and serving the home network, after the trailer";
  MainFile in;
  ASSERT_TRUE(in.Load() && QFileInfo(radio).isDir());
  // Saving what was loaded gives the same bytes: every value came back as it was.
  ASSERT_TRUE(in.Save());
  EXPECT_EQ(test::ReadFile(in.path), first);
  test::System().ReadOnlyPrefixes << videos;
  MainFile again;
  ASSERT_TRUE(again.Load());
  EXPECT_EQ(QStringList({again.main.Prefs().CaptureFolder, again.main.Prefs().WaveFolder}),
            QStringList({"/nonexistent/home/", radio}));
}

TEST(MainSettingsFile, ReadRulesMendOutOfRangeValues) {
  // The capture settings (14 integers from 91 bytes before the end, then an empty file prefix),
  // the time limit, the audio level and the aspect: all below their ranges, then at their edges.
  // Negative values read as 0 and byte-sized ones keep their low byte; a size or bit rate below
  // 1 (a constant-quality format's cap: below 0, as 0 is none), a time limit up to 10 and an
  // empty prefix take fallbacks.
  // clang-format off
  const std::tuple<std::vector<qint32>, qint32, qint32, qint32, TCaptureSettings, QList<int>> rows[] = {
      {{-3, -1, -1, -2, -1, -3, 258, 300, 0, -5, 0, -9, -1, 0}, 9, 70000, -1,
       {0, 0, 0, 0, 0, 0, 2, 44, 320, 240, 2000, 0, 0, false, "capture", false, 10}, {65536, 0}},
      {{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 11, -5, 2,
       {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, true, "capture", false, 11}, {0, 2}},
      {{0, 0, 0, 0, 0, 0, 12, 0, 704, 576, 0, 0, 3, 1}, 11, 0, 0,
       {0, 0, 0, 0, 0, 0, 12, 0, 704, 576, 0, 0, 3, true, "capture", false, 11}, {0, 0}}};
  // clang-format on
  for (const auto& [capture, limit, level, aspect, expected, audioAndAspect] : rows) {
    QByteArray bytes = Golden("QDVCR.default.cfg");
    Patch(bytes, -20, limit), Patch(bytes, -8, aspect), Patch(bytes, -95, level);
    QByteArray block(60, 0);
    for (size_t i = 0; i < capture.size(); ++i) Patch(block, qsizetype(4 * i), capture[i]);
    bytes.replace(bytes.size() - 91, 67, block);
    MainFile in;
    test::WriteFile(in.path, bytes);
    ASSERT_TRUE(in.Load());
    EXPECT_EQ(in.capture, expected);
    EXPECT_EQ(QList<int>({in.audio.RecordLevel, in.aspect}), audioAndAspect);
  }
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

TEST(MainSettingsFile, CorruptFileIsCheckedWholeThenSetAsideAndAnEmptyOneGivesTheDefaults) {
  // A file full of values that must not survive: a folder to create, audio lines, an aspect.
  MainFile out;
  test::EditPrefs(out.main, [&](TMainPreferences& p) {
    p.AlwaysOnTop = true, p.CaptureFolder = p.WaveFolder = test::Home() + "from-file/";
  });
  out.audio = {5, 6, 30000}, out.capture.CaptureWidth = 720, out.aspect = 2;
  ASSERT_TRUE(out.Save());
  struct Spoilt : MainFile {
    Spoilt() { capture.CaptureWidth = 123, test::EditPrefs(main, [](TMainPreferences& p) { p.AlwaysOnTop = true; }); }
  };
  const auto expectDefaults = [](Spoilt& in) {
    EXPECT_EQ(QList<int>({in.main.Prefs().AlwaysOnTop, in.aspect}), QList<int>({false, 0}));
    EXPECT_EQ(QStringList({in.main.Prefs().CaptureFolder, in.language.LanguageName}),
              QStringList({"/nonexistent/Documents/", "German"}));  // the country's language (49)
    EXPECT_TRUE(in.capture == TCaptureSettings{} && in.audio == TAudioLevels{});
    EXPECT_FALSE(QFileInfo::exists(test::Home() + "from-file"));
  };
  // The string that breaks is the capture folder's; the body's trailer ends the file spoilt.
  const QString message = "Main setting is corrupted, load default setting...";
  ExpectEachSpoiledFileSetAside<Spoilt>(test::ReadFile(out.path).chopped(32), 28, message, expectDefaults);
}

// The blocks after the trailer: an older file ends at the trailer or after the first block and
// keeps the defaults of what it lacks; a file that goes on carries each block whole, or it is
// damaged like a bad body.
TEST(MainSettingsFile, TheExtensionBlocksAfterTheTrailerAreOptionalAndCheckedWhole) {
  const QByteArray capture = Integers({4606, 1, 1, 4460});
  const struct { const char* name; QByteArray tail; bool loads; QList<int> values; } rows[] = {
      {"an older file", {}, true, {0, 0, 0, 0}},
      {"software encoding", Integers({4606, 0, 1, 4460}), true, {0, 1, 0, 0}},
      {"no serving block", capture, true, {1, 1, 0, 0}},
      {"serving this computer", capture + Integers({4607, 1, 0, 4461}), true, {1, 1, 1, 0}},
      {"a later version's values after both", capture + Integers({4607, 1, 1, 4461, 4708}), true, {1, 1, 1, 1}},
      {"another mark", Integers({4607, 1, 0, 4460}), false, {0, 0, 0, 0}},
      {"a boolean neither 0 nor 1", Integers({4606, 0, 2, 4460}), false, {0, 0, 0, 0}},
      {"no trailer", Integers({4606, 1, 0}), false, {0, 0, 0, 0}},
      {"half a mark", Integers({4606}).left(2), false, {0, 0, 0, 0}},
      {"another serving mark", capture + Integers({4707, 1, 0, 4461}), false, {0, 0, 0, 0}},
      {"a serving boolean neither 0 nor 1", capture + Integers({4607, 1, -1, 4461}), false, {0, 0, 0, 0}},
      {"the first block's trailer closing the second", capture + Integers({4607, 1, 0, 4460}), false, {0, 0, 0, 0}},
      {"half a serving block", capture + Integers({4607, 1}), false, {0, 0, 0, 0}}};
  for (const auto& r : rows) {
    MainFile in;
    in.capture.DeinterlaceFast = in.capture.SoftwareEncoding = true, in.capture.CaptureWidth = 123;
    test::EditPrefs(in.main, [](TMainPreferences& p) { p.Serve = p.ServeOtherDevices = true; });
    test::Dialogs().Warnings.clear(), test::WriteFile(in.path, Golden("QDVCR.default.cfg") + r.tail);
    EXPECT_EQ(in.Load(), r.loads) << r.name;
    EXPECT_EQ(QList<int>({in.capture.DeinterlaceFast, in.capture.SoftwareEncoding, in.main.Prefs().Serve,
                          in.main.Prefs().ServeOtherDevices}),
              r.values) << r.name;
    EXPECT_EQ(std::pair(in.capture.CaptureWidth, test::Dialogs().Warnings.size()),
              std::pair(640, size_t(r.loads ? 0 : 1))) << r.name;
  }
}

TEST(ChannelSettingsFile, GoldenDefaultFileOverlongNamesCutAndARoundTripOfEveryValue) {
  ChannelFile o;
  test::WriteFile(o.path, QByteArray(20000, 'z'));
  ASSERT_TRUE(o.Save());
  EXPECT_EQ(test::ReadFile(o.path).toHex(), Golden("QDVCR2.default.cfg").toHex());
  const QString longName = QString(300, QChar(0x6771));  // 900 bytes of UTF-8
  o.channels.ChannelRecord(false, 1)->Name = longName, o.channels.FMRecord(1)->Name = QString(600, 'x');
  ASSERT_TRUE(o.Save());
  ChannelFile in;  // cut so that the file still loads
  ASSERT_TRUE(in.Load());
  EXPECT_EQ(in.channels.AntennaChannels()[0].Name, longName.left(170)) << "510 bytes, whole chars";
  EXPECT_EQ(QStringList({in.channels.FMChannels()[0].Name, in.channels.FMChannels()[1].Name}),
            QStringList({QString(512, 'x'), "FM Memory 2"}));
  // Every value away from its default: per-record standards and sound modes, UTF-8 names,
  // frequencies up to 4 GHz, an empty FM entry, a customized 5 x 5 preview of 20 seconds.
  const QByteArray full = Golden("QDVCR2.full.cfg");
  test::FakeTuner tuner;
  in.channels.SetTuner(&tuner), test::WriteFile(in.path, full);
  ASSERT_TRUE(in.Load());
  // The country first, then the stored channel of the stored table is tuned and the source routed.
  EXPECT_EQ(tuner.Log.mid(0, 4) << tuner.Log.last(),
            QStringList({"country 81", "standard 0x20", "mute", "tv 4000000000", "source 2"}));
  EXPECT_EQ(in.channels.CableChannels()[0].Name, QString::fromUtf8("Caf\u00e9 \u6771\u4eac"));
  // Saving what was loaded gives the same bytes: every value came back as it was.
  ASSERT_TRUE(in.Save());
  EXPECT_EQ(test::ReadFile(in.path), full);
}

TEST(ChannelSettingsFile, ReadRulesMendStoredValues) {
  // The values the rules touch, each name followed by its values.
  const auto dump = [](const ChannelFile& o) {
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
    QByteArray f = Golden("QDVCR2.default.cfg");
    Patch(f, offset, stored);
    ChannelFile o;
    o.preview.Dimension = 4, test::WriteFile(o.path, f);
    ASSERT_TRUE(o.Load());
    EXPECT_TRUE(dump(o).contains(expected + " ")) << offset << " " << stored << ": " << dump(o).toStdString();
  }
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

TEST(ChannelSettingsFile, CorruptFileIsReportedResetSpreadAndSetAsideAndAnEmptyOneGivesTheDefaults) {
  QByteArray good = Golden("QDVCR2.default.cfg");
  Patch(good, kHeader + 8, 49);  // a country code the tuner must not get
  struct Spoilt : ChannelFile {
    test::FakeTuner tuner;
    Spoilt() {
      channels.SetCountryPlan(5, 0), channels.SetCountryCode(1), channels.SetTuner(&tuner);
      channels.ChannelRecord(false, 4)->Valid = true, preview.Dimension = 5, preview.CustomGrid[0][0] = {2, 3};
    }
  };
  const auto expectDefaults = [](Spoilt& o) {
    EXPECT_EQ(QList<int>({o.channels.CountryCode(), o.channels.AntennaChannels()[3].Valid,
                          o.preview.Dimension, o.preview.CustomGrid[0][0] == TSourceMapCell{}}),
              QList<int>({0, false, 3, true}));
    EXPECT_EQ(o.channels.FMChannels()[0], (TFMMemoryChannelRecord{87910000, "FM Memory 1"}));
    EXPECT_EQ(Join({o.channels.TableIndex(), o.channels.FMChannels()[49].Frequency}), "0 108000000");
    EXPECT_TRUE(o.tuner.Log.isEmpty()) << "nothing of a corrupt file reaches the card";
  };
  // The string that breaks is the name "Memory 1".
  const QString message = "TV Cahnnel setting is corrupted, please re-set your TV channel...";
  ExpectEachSpoiledFileSetAside<Spoilt>(good, kMemory1 + 12, message, expectDefaults);
}

// A folder where the file belongs, which no read gets through: reported once, left where it is,
// not set aside, and (readable again) not saved over. Then a save into a folder that does not
// exist, over a target that cannot be replaced, or onto a disk that fills: said once, the old
// content stays and no temporary file is left.
TEST(SettingsFiles, UnreadableFileIsReportedKeptAndNotSavedOverAndAFailedSaveKeepsTheOldOne) {
  MainFile main;
  ChannelFile channels;
  struct Row { QString& path; std::function<bool()> load, save; QString what; };
  const Row rows[] = {{main.path, [&] { return main.Load(); }, [&] { return main.Save(); }, "config...."},
                      {channels.path, [&] { return channels.Load(); }, [&] { return channels.Save(); },
                       "channel config...."}};
  for (const Row& file : rows) {
    SCOPED_TRACE(file.what.toStdString());
    test::Dialogs().Warnings.clear(), QDir().mkpath(file.path);
    EXPECT_FALSE(file.load());
    EXPECT_EQ(test::Dialogs().Warnings, std::vector<QStringList>({{"Cannot read " + file.what}}));
    EXPECT_FALSE(QFileInfo::exists(CorruptCopyPath(file.path)));
    ASSERT_TRUE(QDir().rmdir(file.path));
    test::WriteFile(file.path, "the user's own");
    EXPECT_FALSE(file.save() || test::ReadFile(file.path) != "the user's own");
    ASSERT_TRUE(QFile::remove(file.path));
    EXPECT_FALSE(file.load());  // read again, so that saves may write
    EXPECT_TRUE(file.save() && test::Dialogs().Warnings.size() == 1u);
    ASSERT_TRUE(QFile::remove(file.path));
    const QString target = file.path;
    file.path = test::Home() + "no-such-folder/settings.cfg";
    EXPECT_FALSE(file.save());
    EXPECT_EQ(test::Dialogs().Warnings.back(), QStringList({"Cannot write " + file.what}));
    file.path = target, test::WriteFile(file.path + "/keep", "old");
    EXPECT_FALSE(file.save() || test::ReadFile(file.path + "/keep") != "old");
    EXPECT_EQ(QDir(test::Home()).entryList(QDir::Files).size(), 0) << "left a temporary file";
    ASSERT_TRUE(QDir(file.path).removeRecursively());
    test::WriteFile(file.path, QByteArray(300, 'o'));
    EXPECT_FALSE(test::WithDiskFullAfter(100, file.save));
    EXPECT_TRUE(test::ReadFile(file.path) == QByteArray(300, 'o') && test::Dialogs().Warnings.size() == 4u);
    ASSERT_TRUE(QFile::remove(file.path));
  }
}

// A program killed at any moment of a save leaves the old file or the new one, never a mix: a
// child saves two contents in turn until it is killed, at a later moment each round.
TEST(SettingsFiles, ASaveKilledAtAnyMomentLeavesTheOldFileOrTheNewOne) {
  MainFile main;
  std::set<QByteArray> whole;
  for (qint32 rate : {4000, 5000}) {
    main.capture.VideoBitRateKbps = rate;
    ASSERT_TRUE(main.Save());
    whole.insert(test::ReadFile(main.path));
  }
  for (int round = 0; round < 16; ++round) {
    const pid_t child = ::fork();
    for (int i = 0; child == 0; ++i) main.capture.VideoBitRateKbps = i % 2 ? 4000 : 5000, main.Save();
    ::usleep(useconds_t(200 + 300 * round));
    ASSERT_TRUE(::kill(child, SIGKILL) == 0 && ::waitpid(child, nullptr, 0) == child);
    EXPECT_EQ(whole.count(test::ReadFile(main.path)), 1u) << "round " << round;
  }
  EXPECT_TRUE(main.Load());
}
