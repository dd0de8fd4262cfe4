#include "settings/MainSettingsFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QtEndian>

#include "settings/CaptureSettings.h"
#include "settings/CountryInfo.h"
#include "settings/MainInfo.h"
#include "settings/MultiLangInfo.h"
#include "support/FakeDialogService.h"
#include "support/FakeSystemServices.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::settings;

namespace {

const QString kCorrupted = "Main setting is corrupted, load default setting...";

// Everything the file touches, wired as start-up wires it.
struct Fixture {
  Fixture()
      : country(49), language(WriteLanguageList()) {
    language.SetLanguage("English");
    peers.Language = &language;
    peers.Country = &country;
    peers.Capture = &capture;
    peers.Audio = &audio;
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

  QString path = test::Home() + "QDVCR.cfg";
  TCountryInfo country;
  TMultiLangInfo language;
  TMainInfo main;
  TCaptureSettings capture;
  TAudioLevels audio;
  int aspect = 0;
  TMainSettingsPeers peers;
};

QByteArray Int(qint32 v) {
  QByteArray b(4, 0);
  qToLittleEndian(v, b.data());
  return b;
}
QByteArray Str(const QByteArray& s) { return Int(static_cast<qint32>(s.size())) + s; }

// The default file, value by value, as the format lays it out.
QByteArray GoldenDefaultFile() {
  QByteArray f;
  f += Int(4505);                                     // magic
  f += Int(0) + Int(0) + Int(0) + Int(0) + Int(0);    // on top, PIP, start in FM, no overlay, reserved
  f += Int(2);                                        // MPEG-4 codec
  f += Str("/nonexistent/Documents/") + Str("/nonexistent/Documents/") + Str("capture");
  for (int i = 0; i < 5; ++i) f += Int(-1);           // colour levels
  f += Str("English");                                // language
  f += Int(0) + Int(0) + Int(0);                      // playback line, record line, record level
  f += Int(0) + Int(1) + Int(-1) + Int(0) + Int(-1);  // video dev, pixel fmt, audio dev, type, input
  f += Int(0) + Int(1) + Int(0);                      // record kind, format, audio format
  f += Int(640) + Int(480) + Int(4000) + Int(5) + Int(0);  // size, bit rate, frame rate, quality
  f += Int(1) + Str("capture") + Int(0) + Int(60);    // date-time name, prefix, limit on, limit
  f += Int(0) + Int(0) + Int(0);                      // save time-shift, deinterlace, aspect
  f += Int(4359);                                     // trailer
  return f;
}

// Offsets into the golden file, for patching single values.
constexpr int kCaptureFolderLength = 28;
// Record kind is followed by 14 integers (4 bytes each), the prefix "capture" (4 + 7) and the trailer.
constexpr int kRecordKindFromEnd = 4 + 14 * 4 + 11;

}  // namespace

TEST(MainSettingsFile, GoldenDefaultFile) {
  Fixture fx;
  ASSERT_TRUE(fx.Save());
  EXPECT_EQ(test::ReadFile(fx.path).toHex(), GoldenDefaultFile().toHex());
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

TEST(MainSettingsFile, RoundTripOfEveryValue) {
  const QString videos = test::Home() + "Videos/";
  const QString radio = test::Home() + QString::fromUtf8("Radio Aufnahmen/");
  QDir().mkpath(videos);
  Fixture out;
  out.main.AlwaysOnTop = out.main.PIPEnabled = out.main.NoOverlay = out.main.ReservedFlag = true;
  out.main.StartInFM = true;
  out.main.MPEG4Codec = 0;
  out.main.CaptureFolder = videos;
  out.main.WaveFolder = radio;  // created on load
  out.main.SecondBaseName = "second";
  out.main.ColorLevels = {10, 20, 30, 40, 50};
  out.language.SetLanguage("German");
  out.audio = {3, 4, 30000};
  TCaptureSettings& c = out.capture;
  c.VideoDeviceIndex = 1;
  c.PixelFormatChoice = 2;
  c.AudioDeviceIndex = 2;
  c.AudioMediaTypeIndex = 3;
  c.AudioInputIndex = 1;
  c.RecordKind = 1;
  c.RecordFormat = 9;
  c.AudioFormat = 1;
  c.CaptureWidth = 720;
  c.CaptureHeight = 576;
  c.VideoBitRateKbps = 8000;
  c.FrameRateCode = 3;
  c.Quality = 6;
  c.UseDateTimeName = false;
  c.FilePrefix = "news";
  c.TimeLimitOn = true;
  c.TimeLimit = 3600;
  c.SaveTimeShift = true;
  c.Deinterlace = true;
  out.aspect = 2;
  ASSERT_TRUE(out.Save());

  Fixture in;
  ASSERT_TRUE(in.Load());
  EXPECT_TRUE(in.main.AlwaysOnTop && in.main.PIPEnabled && in.main.NoOverlay &&
              in.main.ReservedFlag && in.main.StartInFM);
  EXPECT_EQ(in.main.MPEG4Codec, 0);
  EXPECT_EQ(in.main.CaptureFolder, videos);
  EXPECT_EQ(in.main.WaveFolder, radio);
  EXPECT_TRUE(QFileInfo(radio).isDir());
  EXPECT_EQ(in.main.SecondBaseName, "second");
  EXPECT_EQ(in.main.ColorLevels, out.main.ColorLevels);
  EXPECT_EQ(in.language.LanguageName, "German");
  EXPECT_EQ(in.audio, out.audio);
  EXPECT_EQ(in.capture, out.capture);
  EXPECT_EQ(in.aspect, 2);
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
  // Saving what was loaded gives the same bytes.
  const QByteArray first = test::ReadFile(out.path);
  ASSERT_TRUE(in.Save());
  EXPECT_EQ(test::ReadFile(in.path), first);
}

TEST(MainSettingsFile, ReadRulesMendOutOfRangeValues) {
  Fixture out;
  out.main.CaptureFolder = out.main.WaveFolder = test::Home();
  out.main.SecondBaseName = "";
  out.capture.CaptureWidth = 0;
  out.capture.CaptureHeight = -5;
  out.capture.VideoBitRateKbps = 0;
  out.capture.TimeLimit = 3;
  out.capture.FilePrefix = "";
  out.capture.VideoDeviceIndex = -3;
  out.capture.PixelFormatChoice = -1;
  out.capture.AudioDeviceIndex = -1;
  out.capture.AudioMediaTypeIndex = -2;
  out.capture.AudioInputIndex = -1;
  out.capture.FrameRateCode = -9;
  out.audio.RecordLevel = 70000;
  out.aspect = -1;
  ASSERT_TRUE(out.Save());

  Fixture in;
  ASSERT_TRUE(in.Load());
  EXPECT_EQ(in.main.SecondBaseName, "capture");
  EXPECT_EQ(in.capture.CaptureWidth, 320);
  EXPECT_EQ(in.capture.CaptureHeight, 240);
  EXPECT_EQ(in.capture.VideoBitRateKbps, 2000);
  EXPECT_EQ(in.capture.TimeLimit, 10);
  EXPECT_EQ(in.capture.FilePrefix, "capture");
  EXPECT_EQ(in.capture.VideoDeviceIndex, 0);
  EXPECT_EQ(in.capture.PixelFormatChoice, 0);
  EXPECT_EQ(in.capture.AudioDeviceIndex, 0);
  EXPECT_EQ(in.capture.AudioMediaTypeIndex, 0);
  EXPECT_EQ(in.capture.AudioInputIndex, 0);
  EXPECT_EQ(in.capture.FrameRateCode, 0);
  EXPECT_EQ(in.audio.RecordLevel, 65536);
  EXPECT_EQ(in.aspect, 0);
}

TEST(MainSettingsFile, TimeLimitBoundary) {
  for (const auto& [stored, loaded] : {std::pair{10, 10}, {11, 11}, {-4, 10}, {0, 10}}) {
    Fixture out;
    out.capture.TimeLimit = stored;
    out.main.CaptureFolder = out.main.WaveFolder = test::Home();
    ASSERT_TRUE(out.Save());
    Fixture in;
    ASSERT_TRUE(in.Load());
    EXPECT_EQ(in.capture.TimeLimit, loaded) << stored;
  }
}

TEST(MainSettingsFile, ByteSizedValuesKeepTheirLowByte) {
  Fixture out;
  out.main.CaptureFolder = out.main.WaveFolder = test::Home();
  ASSERT_TRUE(out.Save());
  QByteArray bytes = test::ReadFile(out.path);
  // Record kind -3 (negative becomes 0) and record format 258 (kept in one byte: 2).
  const int recordKind = bytes.size() - kRecordKindFromEnd;
  bytes.replace(recordKind, 8, Int(-3) + Int(258));
  test::WriteFile(out.path, bytes);
  Fixture in;
  ASSERT_TRUE(in.Load());
  EXPECT_EQ(in.capture.RecordKind, 0);
  EXPECT_EQ(in.capture.RecordFormat, 2);
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
  EXPECT_EQ(in.main.CaptureFolder, "/nonexistent/home/");
  EXPECT_EQ(in.main.WaveFolder, "/nonexistent/home/");
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
  EXPECT_FALSE(empty.Load());
  EXPECT_EQ(empty.main.CaptureFolder, "/nonexistent/Documents/");
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

TEST(MainSettingsFile, TruncatedFileIsCorruptedResetAndDeleted) {
  Fixture out;
  out.main.CaptureFolder = out.main.WaveFolder = test::Home();
  out.main.AlwaysOnTop = true;
  out.audio.PlaybackLine = 5;
  out.capture.CaptureWidth = 720;
  ASSERT_TRUE(out.Save());
  QByteArray bytes = test::ReadFile(out.path);
  bytes.chop(4);  // one integer too few
  test::WriteFile(out.path, bytes);

  Fixture in;
  EXPECT_FALSE(in.Load());
  ASSERT_EQ(test::Dialogs().Warnings.size(), 1u);
  EXPECT_EQ(test::Dialogs().Warnings[0], QStringList({kCorrupted}));
  EXPECT_FALSE(in.main.AlwaysOnTop);
  EXPECT_EQ(in.main.CaptureFolder, "/nonexistent/Documents/");
  EXPECT_EQ(in.capture, TCaptureSettings{});
  EXPECT_EQ(in.audio.PlaybackLine, 5);  // applied before the trailer check, and kept
  EXPECT_EQ(in.language.LanguageName, "German");
  EXPECT_FALSE(QFileInfo::exists(in.path));
}

TEST(MainSettingsFile, WrongMagicIsCorruptedAndNothingIsApplied) {
  QByteArray bytes = GoldenDefaultFile();
  bytes.replace(0, 4, Int(4506));
  Fixture in;
  test::WriteFile(in.path, bytes);
  in.audio.PlaybackLine = 7;
  EXPECT_FALSE(in.Load());
  EXPECT_EQ(test::Dialogs().Warnings.size(), 1u);
  EXPECT_EQ(in.audio.PlaybackLine, 7);
  EXPECT_FALSE(QFileInfo::exists(in.path));
}

TEST(MainSettingsFile, OverlongStringIsCorruptedWithoutAHugeRead) {
  for (qint32 length : {600, -1, INT32_MAX}) {
    QByteArray bytes = GoldenDefaultFile();
    bytes.replace(kCaptureFolderLength, 4, Int(length));
    Fixture in;
    test::WriteFile(in.path, bytes);
    EXPECT_FALSE(in.Load()) << length;
    EXPECT_FALSE(QFileInfo::exists(in.path));
  }
  EXPECT_EQ(test::Dialogs().Warnings.size(), 3u);
}

TEST(MainSettingsFile, FailedSaveKeepsThePreviousFileAndSaysSo) {
  Fixture fx;
  fx.path = test::Home() + "no-such-folder/QDVCR.cfg";
  EXPECT_FALSE(fx.Save());
  ASSERT_EQ(test::Dialogs().Warnings.size(), 1u);
  EXPECT_EQ(test::Dialogs().Warnings[0], QStringList({"Cannot write config...."}));

  // A target that cannot be replaced: the old content stays and no temporary file is left.
  fx.path = test::Home() + "QDVCR.cfg";
  QDir().mkpath(fx.path);
  test::WriteFile(fx.path + "/keep", "old");
  EXPECT_FALSE(fx.Save());
  EXPECT_EQ(test::ReadFile(fx.path + "/keep"), "old");
  EXPECT_EQ(QDir(test::Home()).entryList(QDir::Files).size(), 0) << "left a temporary file";
}

TEST(MainSettingsFile, SaveReplacesAnExistingFile) {
  Fixture fx;
  test::WriteFile(fx.path, QByteArray(1000, 'z'));
  ASSERT_TRUE(fx.Save());
  EXPECT_EQ(test::ReadFile(fx.path), GoldenDefaultFile());
}
