#pragma once
// The capture-format profiles: what choosing a format puts into the size, bit rate, quality and
// frame-rate controls, and the small conversions between those controls and the settings.

#include <QString>
#include <QStringList>

#include "formats/RecordFormats.h"

namespace pvx::ui {

// Quality items "Fastest" .. "Highest" and frame-rate items "23.97" .. "30", by index.
inline constexpr int kQualityFastest = formats::kQualityFastest;
inline constexpr int kQualityNormal = formats::kQualityNormal;
inline constexpr int kRate25 = formats::kRate25 - 1;
inline constexpr int kRate2997 = formats::kRate2997 - 1;
inline constexpr int kRate30 = formats::kRate30 - 1;

struct TCaptureProfile {
  QStringList Sizes;
  QString Size;
  bool SizeEnabled = true;
  int BitRate = 0;
  bool BitRateEnabled = true;
  bool BitRateIsCap = false;  // a constant-quality format's: 0 is "No limit"
  int Quality = 0;
  bool QualityEnabled = true;
  int FrameRate = 0;  // -1: the card's own rate, "As received"
  bool FrameRateEnabled = true;
};

// The recording format table's row; any unknown format gives the MPEG 2 profile.
TCaptureProfile CaptureProfile(int format, int chipFamily);
// "MPEG 1" .. "Matroska (HEVC)", and "Wave", "MP3": the lists' items in stored order.
QStringList RecordFormatNames();
QStringList AudioFormatNames();

// "352x288": each number in three places, as the size list shows it.
QString SizeText(int width, int height);
// The numbers in characters 1..3 and 5..7 of a size text; false when they are not numbers.
bool ParseSizeText(const QString& text, int* width, int* height);

// The width a capture size is stored with: the Empia 2800 records 720x480 only under NTSC,
// so elsewhere it becomes 640 wide.
int StoredCaptureWidth(int chipFamily, int width, int height, bool ntsc);
// Standard indexes 0 NTSC-M and 1 NTSC-J.
inline bool IsNTSC(int standard) { return standard == 0 || standard == 1; }

// The level label beside a recording-level track bar: position x 100 / maximum, then "%".
QString LevelText(int position, int maximum);

// An audio capture format as the engine names it, without its common lead-in.
QString AudioFormatText(const QString& name);

// The recording level (0..65536) a track bar position stands for, and back.
int LevelFromPosition(int position, int maximum);
int PositionFromLevel(int level, int maximum);

}  // namespace pvx::ui
