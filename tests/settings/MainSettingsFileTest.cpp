#include <gtest/gtest.h>

#include "SettingsTestSupport.h"
#include "settings/CaptureSettings.h"
#include "settings/CountryInfo.h"
#include "settings/MainInfo.h"
#include "settings/MainSettingsFile.h"
#include "settings/MultiLangInfo.h"
#include "support/FakeSystemServices.h"
#include "support/ModelEdits.h"

using namespace pvx;
using namespace pvx::settings;

namespace {

const QString kCorrupted = "Main setting is corrupted, load default setting...";

// Everything the file touches, wired as start-up wires it.
struct Fixture {
  Fixture() : country(49), language(WriteLanguageList()) {
    language.SetLanguage("English");
    peers = {&language, &country, &capture, &audio, nullptr, nullptr};
    peers.GetDisplayAspect = [this] { return aspect; };
    peers.SetDisplayAspect = [this](int a) { aspect = a; };
  }
  static QString WriteLanguageList() {
    test::WriteFile(test::Home() + "Language/Lang.cfg", "L\n");
    test::WriteFile(test::Home() + "Language/L.lng",
                    "[language]=English\nOK=OK\n[language]=German\nOK=OK\n[language]=Greek\n");
    return test::Home() + "Language/Lang.cfg";
  }
  bool Save() { return main.SaveMainSettings(path, peers); }
  bool Load() { return main.LoadMainSettings(path, peers); }
  test::FailurePaths Paths() {
    return {path, [this] { return Load(); }, [this] { return Save(); }, "Cannot read config....",
            "Cannot write config...."};
  }

  QString path = test::Home() + "QDVCR.cfg";
  TCountryInfo country;
  TMultiLangInfo language;
  TMainInfo main;
  TCaptureSettings capture;
  TAudioLevels audio;
  int aspect = 0;
  TMainSettingsPeers peers;
};

// The default file: the switches, two folders and a name, the colour levels, the language, the
// audio lines and level, the capture settings, the aspect, the trailer.
QByteArray GoldenDefaultFile() {
  return test::ReadFile(test::Fixture("settings/QDVCR.default.cfg"));
}

constexpr int kCaptureFolderLength = 28;
// Record kind is followed by 14 integers, the prefix "capture" (4 + 7) and the trailer.
constexpr int kRecordKindFromEnd = 4 + 14 * 4 + 11;

}  // namespace

TEST(MainSettingsFile, GoldenDefaultFileReplacesWhatWasThereAndAMissingOrEmptyOneGivesDefaults) {
  Fixture fx;
  test::WriteFile(fx.path, QByteArray(1000, 'z'));
  ASSERT_TRUE(fx.Save());
  EXPECT_EQ(test::ReadFile(fx.path).toHex(), GoldenDefaultFile().toHex());
  ASSERT_TRUE(QFile::remove(fx.path));
  Fixture missing;
  missing.capture.CaptureWidth = 123;
  missing.language.SetLanguage("Greek");
  EXPECT_FALSE(missing.Load());
  EXPECT_EQ(missing.capture, TCaptureSettings{});
  EXPECT_EQ(missing.language.LanguageName, "German");  // the country's language (49)
  test::WriteFile(missing.path, "");
  Fixture empty;
  test::EditPrefs(empty.main, [&](settings::TMainPreferences& p) { p.AlwaysOnTop = true; });
  EXPECT_FALSE(empty.Load());
  EXPECT_FALSE(empty.main.Prefs().AlwaysOnTop);
  EXPECT_TRUE(QFileInfo::exists(empty.path));
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

TEST(MainSettingsFile, RoundTripOfEveryValue) {
  const QString videos = test::Home() + "Videos/", radio = test::Home() + "Radio Aufnahmen/";
  QDir().mkpath(videos);
  Fixture out;
  TMainInfo& m = out.main;
  test::EditPrefs(m, [&](settings::TMainPreferences& p) {
    p.AlwaysOnTop = p.PIPEnabled = p.NoOverlay = p.ReservedFlag = p.StartInFM = true;
  });
  test::EditPrefs(m, [&](settings::TMainPreferences& p) {
    p.MPEG4Codec = 0, p.CaptureFolder = videos, p.WaveFolder = radio;
  });  // the latter created on load
  test::EditPrefs(m, [&](settings::TMainPreferences& p) { p.SecondBaseName = "second"; });
  test::EditPrefs(m, [&](settings::TMainPreferences& p) { p.ColorLevels = {10, 20, 30, 40, 50}; });
  out.language.SetLanguage("German");
  out.audio = {3, 4, 30000};
  out.capture = {1,    2, 2, 3,     1,      1,    9,    1,    720, 576,
                 8000, 3, 6, false, "news", true, 3600, true, true};
  out.aspect = 2;
  ASSERT_TRUE(out.Save());
  Fixture in;
  ASSERT_TRUE(in.Load());
  EXPECT_TRUE(in.main.Prefs().WaveFolder == radio && QFileInfo(radio).isDir());
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
  // Saving what was loaded gives the same bytes: every value came back as it was.
  const QByteArray first = test::ReadFile(out.path);
  ASSERT_TRUE(in.Save());
  EXPECT_EQ(test::ReadFile(in.path), first);
}

TEST(MainSettingsFile, ReadRulesMendOutOfRangeValues) {
  const auto roundTrip = [](const std::function<void(Fixture&)>& set) {
    auto in = std::make_unique<Fixture>();
    test::EditPrefs(in->main,
                    [&](settings::TMainPreferences& p) { p.CaptureFolder = p.WaveFolder = test::Home(); });
    set(*in);
    EXPECT_TRUE(in->Save());
    in = std::make_unique<Fixture>();
    EXPECT_TRUE(in->Load());
    return in;
  };
  const auto in = roundTrip([](Fixture& out) {
    test::EditPrefs(out.main, [&](settings::TMainPreferences& p) { p.SecondBaseName = ""; });
    out.capture = {-3, -1, -1, -2, -1, 0, 0, 0, 0, -5, 0, -9, 0, true, "", false, 3};
    out.audio.RecordLevel = 70000;
    out.aspect = -1;
  });
  EXPECT_EQ(in->main.Prefs().SecondBaseName, "capture");
  EXPECT_EQ(in->capture, (TCaptureSettings{0, 0, 0, 0, 0, 0, 0, 0, 320, 240, 2000, 0, 0, true,
                                           "capture", false, 10}));
  EXPECT_EQ(QList<int>({in->audio.RecordLevel, in->aspect}), QList<int>({65536, 0}));
  // Time limit, size and bit rate at and around their limits.
  for (const auto& [stored, limit] : {std::pair{10, 10}, {11, 11}, {-4, 10}, {1, 10}}) {
    const auto mended = roundTrip([stored = stored](Fixture& out) {
      TCaptureSettings& c = out.capture;
      c.TimeLimit = c.CaptureWidth = c.CaptureHeight = c.VideoBitRateKbps = stored;
    });
    const TCaptureSettings& c = mended->capture;
    const bool kept = stored >= 1;
    EXPECT_EQ(QList<int>({c.TimeLimit, c.CaptureWidth, c.CaptureHeight, c.VideoBitRateKbps}),
              QList<int>({limit, kept ? stored : 320, kept ? stored : 240, kept ? stored : 2000}))
        << stored;
  }
  // Record kind -3 (negative becomes 0) and record format 258 (kept in one byte: 2).
  QByteArray bytes = GoldenDefaultFile();
  bytes.replace(bytes.size() - kRecordKindFromEnd, 8, test::Int(-3) + test::Int(258));
  Fixture bytesIn;
  test::WriteFile(bytesIn.path, bytes);
  ASSERT_TRUE(bytesIn.Load());
  EXPECT_EQ(QList<int>({bytesIn.capture.RecordKind, bytesIn.capture.RecordFormat}),
            QList<int>({0, 2}));
}

TEST(MainSettingsFile, UnusableFoldersFallBack) {
  Fixture out;
  test::EditPrefs(out.main, [&](settings::TMainPreferences& p) { p.CaptureFolder = test::Home() + "disc/"; });
  test::EditPrefs(out.main,
                  [&](settings::TMainPreferences& p) { p.WaveFolder = test::Home() + "not/creatable/"; });
  QDir().mkpath(out.main.Prefs().CaptureFolder);
  ASSERT_TRUE(out.Save());
  test::System().ReadOnlyPrefixes << test::Home() + "disc";
  Fixture in;
  ASSERT_TRUE(in.Load());
  EXPECT_EQ(QStringList({in.main.Prefs().CaptureFolder, in.main.Prefs().WaveFolder}),
            QStringList(2, "/nonexistent/home/"));
  EXPECT_FALSE(QFileInfo(test::Home() + "not").exists());
}

TEST(MainSettingsFile, CorruptFileIsCheckedWholeThenSetAside) {
  // A file full of values that must not survive: a folder to create, audio lines, an aspect.
  Fixture out;
  test::EditPrefs(out.main, [&](settings::TMainPreferences& p) { p.AlwaysOnTop = true; });
  test::EditPrefs(out.main, [&](settings::TMainPreferences& p) {
    p.CaptureFolder = p.WaveFolder = test::Home() + "from-file/";
  });
  out.audio = {5, 6, 30000};
  out.capture.CaptureWidth = 720;
  out.aspect = 2;
  ASSERT_TRUE(out.Save());
  const QByteArray good = test::ReadFile(out.path);
  test::WriteFile(settings::CorruptCopyPath(out.path), "an older one");
  for (const QByteArray& bytes : test::Spoiled(good, kCaptureFolderLength)) {
    test::Dialogs().Warnings.clear();
    Fixture in;
    test::WriteFile(in.path, bytes);
    EXPECT_FALSE(in.Load());
    test::ExpectSetAside(in.path, bytes, kCorrupted);
    EXPECT_EQ(QList<int>({in.main.Prefs().AlwaysOnTop, in.aspect}), QList<int>({false, 0}));
    EXPECT_EQ(QStringList({in.main.Prefs().CaptureFolder, in.language.LanguageName}),
              QStringList({"/nonexistent/Documents/", "German"}));
    EXPECT_TRUE(in.capture == TCaptureSettings{} && in.audio == TAudioLevels{});
    EXPECT_FALSE(QFileInfo::exists(test::Home() + "from-file"));
  }
}

// Then a failed save keeps the previous file and says so.
TEST(MainSettingsFile, UnreadableFileIsReportedKeptAndNotSavedOver) {
  Fixture fx;
  test::EditPrefs(fx.main, [&](settings::TMainPreferences& p) { p.AlwaysOnTop = true; });
  fx.Paths().ExpectUnreadableKept();
  EXPECT_FALSE(fx.main.Prefs().AlwaysOnTop);
  ASSERT_TRUE(QFile::remove(fx.path));
  EXPECT_FALSE(fx.Load());  // read again, so that saves may write
  test::Dialogs().Warnings.clear();
  fx.Paths().ExpectFailedSaveKeepsOld();
}
