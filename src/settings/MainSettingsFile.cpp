#include "settings/MainSettingsFile.h"

#include <QFile>

#include "formats/RecordFormats.h"
#include "settings/CaptureSettings.h"
#include "settings/CountryInfo.h"
#include "settings/MainInfo.h"
#include "settings/MultiLangInfo.h"
#include "settings/StoredFile.h"
#include "util/Folders.h"
#include "util/RecordIO.h"

namespace pvx::settings {
namespace {

using namespace pvx::util;

constexpr int kCorrupted = 1103;
constexpr qint32 kMinTimeLimit = 10;

qint32 NotBelowZero(qint32 v) { return v < 0 ? 0 : v; }

QString UsableFolder(const QString& folder) {
  return EnsureFolder(folder) ? folder : FallbackFolder();
}

// The constant-quality formats (H.264, HEVC) take a bit rate of 0 as "no cap".
bool BitRateMayBeNone(quint8 format) {
  const formats::TRecordFormatDef* def = formats::FindRecordFormat(format);
  return def && def->IsConstantQuality();
}

// Everything the file holds, read in full before any of it is applied.
struct Stored {
  bool alwaysOnTop, pipEnabled, startInFM, noOverlay, reservedFlag;
  qint32 mpeg4Codec;
  QString captureFolder, waveFolder, secondBaseName;
  std::array<qint32, 5> colorLevels;
  QString language;
  qint32 playbackLine, recordLine, recordLevel;
  TCaptureSettings capture;
  qint32 aspect;
  bool serve = false, serveOtherDevices = false;
};

Stored ReadBody(QIODevice& in) {
  Stored s;
  s.alwaysOnTop = ReadBoolean(in);
  s.pipEnabled = ReadBoolean(in);
  s.startInFM = ReadBoolean(in);
  s.noOverlay = ReadBoolean(in);
  s.reservedFlag = ReadBoolean(in);
  s.mpeg4Codec = ReadInteger(in);
  s.captureFolder = ReadString(in);
  s.waveFolder = ReadString(in);
  s.secondBaseName = ReadString(in);
  for (qint32& level : s.colorLevels) level = ReadInteger(in);
  s.language = ReadString(in);
  s.playbackLine = ReadInteger(in);
  s.recordLine = ReadInteger(in);
  s.recordLevel = ReadInteger(in);
  TCaptureSettings& c = s.capture;
  c.VideoDeviceIndex = NotBelowZero(ReadInteger(in));
  c.PixelFormatChoice = NotBelowZero(ReadInteger(in));
  c.AudioDeviceIndex = NotBelowZero(ReadInteger(in));
  c.AudioMediaTypeIndex = NotBelowZero(ReadInteger(in));
  c.AudioInputIndex = NotBelowZero(ReadInteger(in));
  c.RecordKind = static_cast<quint8>(NotBelowZero(ReadInteger(in)));
  c.RecordFormat = static_cast<quint8>(ReadInteger(in));
  c.AudioFormat = static_cast<quint8>(ReadInteger(in));
  c.CaptureWidth = ReadInteger(in);
  if (c.CaptureWidth < 1) c.CaptureWidth = 320;
  c.CaptureHeight = ReadInteger(in);
  if (c.CaptureHeight < 1) c.CaptureHeight = 240;
  c.VideoBitRateKbps = ReadInteger(in);
  if (c.VideoBitRateKbps < (BitRateMayBeNone(c.RecordFormat) ? 0 : 1)) c.VideoBitRateKbps = 2000;
  c.FrameRateCode = NotBelowZero(ReadInteger(in));
  c.Quality = static_cast<quint8>(NotBelowZero(ReadInteger(in)));
  c.UseDateTimeName = ReadBoolean(in);
  c.FilePrefix = ReadString(in);
  if (c.FilePrefix.isEmpty()) c.FilePrefix = "capture";
  c.TimeLimitOn = ReadBoolean(in);
  c.TimeLimit = ReadInteger(in);
  if (c.TimeLimit <= kMinTimeLimit) c.TimeLimit = kMinTimeLimit;
  c.SaveTimeShift = ReadBoolean(in);
  c.Deinterlace = ReadBoolean(in);
  s.aspect = NotBelowZero(ReadInteger(in));
  return s;
}

void Apply(const Stored& s, TMainInfo& main, const TMainSettingsPeers& peers) {
  TMainPreferences prefs = main.Prefs();
  prefs.AlwaysOnTop = s.alwaysOnTop;
  prefs.PIPEnabled = s.pipEnabled;
  prefs.StartInFM = s.startInFM;
  prefs.NoOverlay = s.noOverlay;
  prefs.ReservedFlag = s.reservedFlag;
  prefs.MPEG4Codec = s.mpeg4Codec;
  prefs.CaptureFolder = UsableFolder(s.captureFolder);
  prefs.WaveFolder = UsableFolder(s.waveFolder);
  prefs.SecondBaseName = s.secondBaseName;
  prefs.ColorLevels = s.colorLevels;
  prefs.Serve = s.serve;
  prefs.ServeOtherDevices = s.serveOtherDevices;
  main.SetPrefs(std::move(prefs));
  if (peers.Language && !s.language.isEmpty()) peers.Language->SetLanguage(s.language);
  if (peers.Audio) {
    peers.Audio->PlaybackLine = s.playbackLine;
    peers.Audio->RecordLine = s.recordLine;
    peers.Audio->SetRecordLevel(s.recordLevel);
  }
  if (peers.Capture) *peers.Capture = s.capture;
  if (peers.SetDisplayAspect) peers.SetDisplayAspect(s.aspect);
}

// A whole stored integer; false when the file ends before it.
bool ReadWhole(QIODevice& in, qint32& value) {
  if (in.bytesAvailable() < 4) return false;
  value = ReadInteger(in);
  return true;
}

bool ReadMark(QIODevice& in, qint32 mark) {
  qint32 value = 0;
  return ReadWhole(in, value) && value == mark;
}

// Written as 0 or 1: anything else is damage, not a choice.
bool ReadStrictBoolean(QIODevice& in, bool& value) {
  qint32 stored = -1;
  value = ReadWhole(in, stored) && stored == 1;
  return stored == 0 || stored == 1;
}

// Two stored booleans between their marks.
bool ReadBlock(QIODevice& in, qint32 magic, bool& first, bool& second, qint32 trailer) {
  return ReadMark(in, magic) && ReadStrictBoolean(in, first) && ReadStrictBoolean(in, second) &&
         ReadMark(in, trailer);
}

// The blocks added after the trailer, in order. A file may end before any block and keep the
// defaults of that block and those after it; a block that is there must be whole. What a later
// version adds after the last block is left unread.
bool ReadExtension(QIODevice& in, Stored& s) {
  using F = TMainSettingsFile;
  if (in.atEnd()) return true;
  if (!ReadBlock(in, F::kExtensionMagic, s.capture.DeinterlaceFast, s.capture.SoftwareEncoding, F::kExtensionTrailer))
    return false;
  return in.atEnd() || ReadBlock(in, F::kServingMagic, s.serve, s.serveOtherDevices, F::kServingTrailer);
}

// Reads every value and checks the marks; nothing is applied here.
bool Parse(QIODevice& in, Stored& s) {
  if (ReadInteger(in) != TMainSettingsFile::kMagic) return false;
  s = ReadBody(in);
  return ReadInteger(in) == TMainSettingsFile::kTrailer && ReadExtension(in, s);
}

const TStoredFileTexts& Texts() {
  static const TStoredFileTexts texts{kCorrupted, QStringLiteral("Cannot read config...."),
                                      QStringLiteral("Cannot write config....")};
  return texts;
}

bool WriteBody(QIODevice& out, const TMainInfo& main, const TMainSettingsPeers& peers) {
  const TCaptureSettings capture = peers.Capture ? *peers.Capture : TCaptureSettings{};
  const TAudioLevels audio = peers.Audio ? *peers.Audio : TAudioLevels{};
  const QString language = peers.Language ? peers.Language->LanguageName : QString();
  const qint32 aspect = peers.GetDisplayAspect ? peers.GetDisplayAspect() : 0;

  bool ok = WriteInteger(out, TMainSettingsFile::kMagic) && WriteBoolean(out, main.Prefs().AlwaysOnTop) &&
            WriteBoolean(out, main.Prefs().PIPEnabled) && WriteBoolean(out, main.Prefs().StartInFM) &&
            WriteBoolean(out, main.Prefs().NoOverlay) && WriteBoolean(out, main.Prefs().ReservedFlag) &&
            WriteInteger(out, main.Prefs().MPEG4Codec) &&
            WriteBoundedString(out, main.Prefs().CaptureFolder) &&
            WriteBoundedString(out, main.Prefs().WaveFolder) &&
            WriteBoundedString(out, main.Prefs().SecondBaseName);
  for (qint32 level : main.Prefs().ColorLevels) ok = ok && WriteInteger(out, level);
  return ok && WriteBoundedString(out, language) && WriteInteger(out, audio.PlaybackLine) &&
         WriteInteger(out, audio.RecordLine) && WriteInteger(out, audio.RecordLevel) &&
         WriteInteger(out, capture.VideoDeviceIndex) &&
         WriteInteger(out, capture.PixelFormatChoice) &&
         WriteInteger(out, capture.AudioDeviceIndex) &&
         WriteInteger(out, capture.AudioMediaTypeIndex) &&
         WriteInteger(out, capture.AudioInputIndex) && WriteInteger(out, capture.RecordKind) &&
         WriteInteger(out, capture.RecordFormat) && WriteInteger(out, capture.AudioFormat) &&
         WriteInteger(out, capture.CaptureWidth) && WriteInteger(out, capture.CaptureHeight) &&
         WriteInteger(out, capture.VideoBitRateKbps) && WriteInteger(out, capture.FrameRateCode) &&
         WriteInteger(out, capture.Quality) && WriteBoolean(out, capture.UseDateTimeName) &&
         WriteBoundedString(out, capture.FilePrefix) && WriteBoolean(out, capture.TimeLimitOn) &&
         WriteInteger(out, capture.TimeLimit) && WriteBoolean(out, capture.SaveTimeShift) &&
         WriteBoolean(out, capture.Deinterlace) && WriteInteger(out, aspect) &&
         WriteInteger(out, TMainSettingsFile::kTrailer) && WriteInteger(out, TMainSettingsFile::kExtensionMagic) &&
         WriteBoolean(out, capture.DeinterlaceFast) && WriteBoolean(out, capture.SoftwareEncoding) &&
         WriteInteger(out, TMainSettingsFile::kExtensionTrailer) &&
         WriteInteger(out, TMainSettingsFile::kServingMagic) && WriteBoolean(out, main.Prefs().Serve) &&
         WriteBoolean(out, main.Prefs().ServeOtherDevices) && WriteInteger(out, TMainSettingsFile::kServingTrailer);
}

}  // namespace

bool TMainSettingsFile::Load(const QString& path, TMainInfo& main,
                             const TMainSettingsPeers& peers) {
  Stored stored;
  const TStoredFileLoad result =
      LoadStoredFile(path, Texts(), [&](QIODevice& in) { return Parse(in, stored); });
  main.keepStoredFile_ = result == TStoredFileLoad::Unreadable;
  if (result == TStoredFileLoad::Loaded) {
    Apply(stored, main, peers);
    return true;
  }
  main.ResetPreferences();
  if (peers.Language && peers.Country) peers.Language->SetLanguage(peers.Country->DefaultLanguage);
  if (peers.Capture) peers.Capture->Reset();
  return false;
}

QString TMainSettingsFile::StoredLanguage(const QString& path) {
  QFile file(path);
  Stored stored;
  return file.open(QIODevice::ReadOnly) && Parse(file, stored) ? stored.language : QString();
}

bool TMainSettingsFile::Save(const QString& path, const TMainInfo& main,
                             const TMainSettingsPeers& peers) {
  if (main.keepStoredFile_) return false;
  return SaveStoredFile(path, Texts(), [&](QIODevice& out) { return WriteBody(out, main, peers); });
}

}  // namespace pvx::settings
