#include <gtest/gtest.h>

#include "SettingsTestSupport.h"
#include "settings/CaptureSettings.h"
#include "settings/CountryInfo.h"
#include "settings/MainInfo.h"
#include "settings/MainSettingsFile.h"
#include "settings/MultiLangInfo.h"
#include "support/FakeSystemServices.h"

using namespace pvx;
using namespace pvx::settings;
using test::Int;
using test::Str;

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
  // Saves with usable folders, then loads the bytes back into a fresh fixture.
  void Expect(const std::function<void(Fixture&)>& set,
              const std::function<void(const Fixture&)>& check) {
    main.CaptureFolder = main.WaveFolder = test::Home();
    set(*this);
    ASSERT_TRUE(Save());
    Fixture in;
    ASSERT_TRUE(in.Load());
    check(in);
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

// The default file, value by value, as the format lays it out.
QByteArray GoldenDefaultFile() {
  QByteArray f = Int(4505);
  f += Int(0) + Int(0) + Int(0) + Int(0) + Int(0) + Int(2);  // on top, PIP, FM, ..., MPEG-4 codec
  f += Str("/nonexistent/Documents/") + Str("/nonexistent/Documents/") + Str("capture");
  for (int i = 0; i < 5; ++i) f += Int(-1);           // colour levels
  f += Str("English");                                // language
  f += Int(0) + Int(0) + Int(0);                      // playback line, record line, record level
  f += Int(0) + Int(1) + Int(-1) + Int(0) + Int(-1);  // video dev, pixel fmt, audio dev, ...
  f += Int(0) + Int(1) + Int(0);                      // record kind, format, audio format
  f += Int(640) + Int(480) + Int(4000) + Int(5) + Int(0);  // size, bit rate, frame rate, quality
  f += Int(1) + Str("capture") + Int(0) + Int(60);  // date-time name, prefix, limit on, limit
  f += Int(0) + Int(0) + Int(0);                    // save time-shift, deinterlace, aspect
  return f + Int(4359);
}

constexpr int kCaptureFolderLength = 28;
// Record kind is followed by 14 integers, the prefix "capture" (4 + 7) and the trailer.
constexpr int kRecordKindFromEnd = 4 + 14 * 4 + 11;

}  // namespace

TEST(MainSettingsFile, GoldenDefaultFileReplacesWhatWasThere) {
  Fixture fx;
  test::WriteFile(fx.path, QByteArray(1000, 'z'));
  ASSERT_TRUE(fx.Save());
  EXPECT_EQ(test::ReadFile(fx.path).toHex(), GoldenDefaultFile().toHex());
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

TEST(MainSettingsFile, RoundTripOfEveryValue) {
  const QString videos = test::Home() + "Videos/";
  const QString radio = test::Home() + QString::fromUtf8("Radio Aufnahmen/");
  QDir().mkpath(videos);
  Fixture out;
  TMainInfo& m = out.main;
  m.AlwaysOnTop = m.PIPEnabled = m.NoOverlay = m.ReservedFlag = m.StartInFM = true;
  m.MPEG4Codec = 0;
  m.CaptureFolder = videos;
  m.WaveFolder = radio;  // created on load
  m.SecondBaseName = "second";
  m.ColorLevels = {10, 20, 30, 40, 50};
  out.language.SetLanguage("German");
  out.audio = {3, 4, 30000};
  out.capture = {1,    2, 2, 3,     1,      1,    9,    1,    720, 576,
                 8000, 3, 6, false, "news", true, 3600, true, true};
  out.aspect = 2;
  ASSERT_TRUE(out.Save());

  Fixture in;
  ASSERT_TRUE(in.Load());
  EXPECT_EQ(in.main.WaveFolder, radio);
  EXPECT_TRUE(QFileInfo(radio).isDir());
  EXPECT_EQ(in.capture, out.capture);
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
  // Saving what was loaded gives the same bytes: every other value came back as it was.
  const QByteArray first = test::ReadFile(out.path);
  ASSERT_TRUE(in.Save());
  EXPECT_EQ(test::ReadFile(in.path), first);
}

TEST(MainSettingsFile, ReadRulesMendOutOfRangeValues) {
  Fixture().Expect(
      [](Fixture& out) {
        out.main.SecondBaseName = "";
        out.capture = {-3, -1, -1, -2, -1, 0, 0, 0, 0, -5, 0, -9, 0, true, "", false, 3};
        out.audio.RecordLevel = 70000;
        out.aspect = -1;
      },
      [](const Fixture& in) {
        EXPECT_EQ(in.main.SecondBaseName, "capture");
        EXPECT_EQ(in.capture, (TCaptureSettings{0, 0, 0, 0, 0, 0, 0, 0, 320, 240, 2000, 0, 0, true,
                                                "capture", false, 10}));
        EXPECT_EQ(in.audio.RecordLevel, 65536);
        EXPECT_EQ(in.aspect, 0);
      });
  for (const auto& [stored, loaded] : {std::pair{10, 10}, {11, 11}, {-4, 10}, {1, 10}}) {
    Fixture().Expect(
        [stored = stored](Fixture& out) {
          out.capture.TimeLimit = stored;
          out.capture.CaptureWidth = out.capture.CaptureHeight = stored;
          out.capture.VideoBitRateKbps = stored;
        },
        [stored = stored, loaded = loaded](const Fixture& in) {
          EXPECT_EQ(in.capture.TimeLimit, loaded) << stored;
          const bool kept = stored >= 1;
          EXPECT_EQ(in.capture.CaptureWidth, kept ? stored : 320) << stored;
          EXPECT_EQ(in.capture.CaptureHeight, kept ? stored : 240) << stored;
          EXPECT_EQ(in.capture.VideoBitRateKbps, kept ? stored : 2000) << stored;
        });
  }
}

TEST(MainSettingsFile, ByteSizedValuesKeepTheirLowByte) {
  QByteArray bytes = GoldenDefaultFile();
  // Record kind -3 (negative becomes 0) and record format 258 (kept in one byte: 2).
  bytes.replace(bytes.size() - kRecordKindFromEnd, 8, Int(-3) + Int(258));
  Fixture in;
  test::WriteFile(in.path, bytes);
  ASSERT_TRUE(in.Load());
  EXPECT_EQ(QList<int>({in.capture.RecordKind, in.capture.RecordFormat}), QList<int>({0, 2}));
}

TEST(MainSettingsFile, UnusableFoldersFallBack) {
  Fixture out;
  out.main.CaptureFolder = test::Home() + "disc/";
  out.main.WaveFolder = test::Home() + "not/creatable/";
  QDir().mkpath(out.main.CaptureFolder);
  ASSERT_TRUE(out.Save());
  test::System().ReadOnlyPrefixes << test::Home() + "disc";
  Fixture in;
  ASSERT_TRUE(in.Load());
  EXPECT_EQ(QStringList({in.main.CaptureFolder, in.main.WaveFolder}),
            QStringList(2, "/nonexistent/home/"));
  EXPECT_FALSE(QFileInfo(test::Home() + "not").exists());
}

TEST(MainSettingsFile, MissingOrEmptyFileGivesDefaultsSilently) {
  Fixture missing;
  missing.capture.CaptureWidth = 123;
  missing.language.SetLanguage("Greek");
  EXPECT_FALSE(missing.Load());
  EXPECT_EQ(missing.capture, TCaptureSettings{});
  EXPECT_EQ(missing.language.LanguageName, "German");  // the country's language (49)

  test::WriteFile(missing.path, "");
  Fixture empty;
  empty.main.AlwaysOnTop = true;
  EXPECT_FALSE(empty.Load());
  EXPECT_FALSE(empty.main.AlwaysOnTop);
  EXPECT_TRUE(QFileInfo::exists(empty.path));
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

TEST(MainSettingsFile, CorruptFileIsCheckedWholeThenSetAside) {
  // A file full of values that must not survive: a folder to create, audio lines, an aspect.
  Fixture out;
  out.main.AlwaysOnTop = true;
  out.main.CaptureFolder = out.main.WaveFolder = test::Home() + "from-file/";
  out.audio = {5, 6, 30000};
  out.capture.CaptureWidth = 720;
  out.aspect = 2;
  ASSERT_TRUE(out.Save());
  const QByteArray good = test::ReadFile(out.path);
  std::vector<QByteArray> files(6, good);
  files[0].chop(4);                                  // one integer too few
  test::Patch(files[1], 0, 4506);                    // magic
  test::Patch(files[2], good.size() - 4, 4360);      // trailer
  test::Patch(files[3], kCaptureFolderLength, 600);  // overlong strings: bytes not skipped
  test::Patch(files[4], kCaptureFolderLength, -1);
  test::Patch(files[5], kCaptureFolderLength, INT32_MAX);
  test::WriteFile(settings::CorruptCopyPath(out.path), "an older one");
  for (const QByteArray& bytes : files) {
    test::Dialogs().Warnings.clear();
    Fixture in;
    test::WriteFile(in.path, bytes);
    EXPECT_FALSE(in.Load());
    test::ExpectSetAside(in.path, bytes, kCorrupted);
    EXPECT_EQ(QList<int>({in.main.AlwaysOnTop, in.aspect}), QList<int>({false, 0}));
    EXPECT_EQ(QStringList({in.main.CaptureFolder, in.language.LanguageName}),
              QStringList({"/nonexistent/Documents/", "German"}));
    EXPECT_TRUE(in.capture == TCaptureSettings{} && in.audio == TAudioLevels{});
    EXPECT_FALSE(QFileInfo::exists(test::Home() + "from-file"));
  }
}

TEST(MainSettingsFile, UnreadableFileIsReportedKeptAndNotSavedOver) {
  Fixture fx;
  fx.main.AlwaysOnTop = true;
  fx.Paths().ExpectUnreadableKept();
  EXPECT_FALSE(fx.main.AlwaysOnTop);
}

TEST(MainSettingsFile, FailedSaveKeepsThePreviousFileAndSaysSo) {
  Fixture fx;
  fx.Paths().ExpectFailedSaveKeepsOld();
}
