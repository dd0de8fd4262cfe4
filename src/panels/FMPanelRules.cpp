#include "panels/FMPanelRules.h"

#include <algorithm>
#include <cmath>

namespace pvx::panels {

using settings::TAppMode;

QString MHzText(quint32 hertz) {
  QString rest = QStringLiteral("%1").arg(hertz % 1000000, 6, 10, QLatin1Char('0'));
  while (rest.size() > 1 && rest.endsWith(QLatin1Char('0'))) rest.chop(1);
  return QString::number(hertz / 1000000) + QLatin1Char('.') + rest;
}

quint32 DialFrequency(int x, const TUIItemRecord& dial, qint32 fmMin, qint32 fmMax) {
  // The last pixel inside the dial (its right edge is exclusive) is the top of the band, so a
  // click can reach both ends.
  const int last = dial.Right - dial.Left - 1;
  // A card that reports no band (or an inverted one) can only be tuned to its minimum.
  const qint64 high = std::max<qint64>(fmMin, fmMax);
  if (last <= 0 || high == fmMin) return quint32(std::max<qint64>(fmMin, 0));
  const int position = std::clamp(x - dial.Left, 0, last);
  const double minMHz = fmMin / 1e6;
  const double offset = (high / 1e6 - minMHz) * position / last;
  const qint64 whole = qint64(std::floor(minMHz + offset));
  const qint64 tenths = std::llround((offset - std::floor(offset)) * 10);
  return quint32(std::clamp<qint64>(whole * 1000000 + tenths * 100000, fmMin, high));
}

int DialKnobOffset(quint32 hertz, const TUIItemRecord& dial, qint32 fmMin, qint32 fmMax) {
  const int width = dial.Right - dial.Left;
  if (width < 1) return 0;
  if (fmMax <= fmMin) return 1;
  const double share = double(qint64(hertz) - fmMin) / double(qint64(fmMax) - fmMin);
  return int(std::lround(std::clamp(share * width, 1.0, double(width))));
}

bool FMItemEnabled(int index, TAppMode mode, bool mixer) {
  const bool fm = mode == settings::amFMRadio;
  const bool playing = mode == settings::amPlayback;
  switch (index) {
    case 0: case 1: case 2: case 3:
      return true;
    case 23: case 24: case 25: case TUIInfo::kFMMuteIndicator: case TUIInfo::kFMVolumeSlider:
      return mixer;
    case TUIInfo::kFMPause: case 29: case 30: case TUIInfo::kFMPositionBar:
      return playing;
    case 28:
      return !fm;
    case 32: case TUIInfo::kFMDialKnob:
      return false;
    default:  // the keys of the radio itself, Play, Capture and the dial
      return fm && index < TUIInfo::kFMCount;
  }
}

bool IsFMPanelMode(TAppMode mode) {
  return mode == settings::amCapture || mode == settings::amScheduledCapture || mode == settings::amPlayback ||
         mode == settings::amFMRadio;
}

QString FMStateText(TAppMode mode) {
  switch (mode) {
    case settings::amCapture:
    case settings::amScheduledCapture:
      return QStringLiteral("REC");
    case settings::amPlayback:
      return QStringLiteral("Play");
    case settings::amFMRadio:
      return QStringLiteral("FM");
    default:
      return {};
  }
}

int SliderFill(qint64 value, int width) {
  qint64 product = value * width;
  if (product < 0) product -= 65535;  // rounds down rather than toward zero
  return int(std::clamp<qint64>(product / 65536, 0, std::max(width, 0)));
}

int PositionFill(qint64 position, qint64 duration, int width) {
  if (duration <= 0 || width <= 0) return 0;
  return int(std::clamp<qint64>(position, 0, duration) * width / duration);
}

namespace {

using S = TFMMenuShow;
constexpr std::array<TFMMenuDef, kFMMenuCount> kMenu{{
    {"itemFindAvaliableUp", "Find Avaliable Up", "FMAvailUp", 6001, S::Never},
    {"itemFindAvaliableDown", "Find Avaliable Down", "FMAvailDown", 6002, S::Never},
    {"itemFrequencyUp", "Frequency Up", "FMFreqUp", 6003, S::FM},
    {"itemFrequencyDown", "Frequency Down", "FMFreqDown", 6004, S::FM},
    {"itemN1", nullptr, nullptr, 0, S::FM},
    {"itemPreviousChannel", "Previous Channel", "PreChannel", 4002, S::FM},
    {"itemNextChannel", "Next Channel", "NextChannel", 4001, S::FM},
    {"itemMemoChannel", "Memo Channel", "FMMemorized", 6005, S::FM},
    {"itemRecallChannel", "Recall Channel", "RecallChannel", 4003, S::FM},
    {"itemN2", nullptr, nullptr, 0, S::FM},
    {"itemCapture", "Capture", "Capture", 1001, S::FM},
    {"itemPlay", "Play", "Play", 3000, S::FM},
    {"itemPause", "Pause", "Pause", 1003, S::Playback},
    {"itemStop", "Stop", "Stop", 1002, S::NotFM},
    {"itemForward", "Forward", "Forward", 1004, S::Playback},
    {"itemBackward", "Backward", "Backward", 1005, S::Playback},
    {"itemFastSpeed", "Fast Speed", "FastSpeed", 1006, S::Playback},
    {"itemSlowspeed", "Slow Speed", "SlowSpeed", 1007, S::Playback},
    {"N5", nullptr, nullptr, 0, S::Always},
    {"itemMute", "Mute", "Mute", 403, S::Always},
    {"itemConfig", "Setup", "Setup", 7, S::FM},
    {"itemTVMode", "TV mode", "TVMode", 6000, S::FM},
    {"N4", nullptr, nullptr, 0, S::Always},
    {"itemSchedule", "Schedule", "ScheduledRecording", 10, S::Always},
    {"itemAbout", "About", "About", 13, S::Always},
    {"itemExit", "Exit", "Exit", 1, S::Always},
}};

}  // namespace

const std::array<TFMMenuDef, kFMMenuCount>& FMMenuTable() { return kMenu; }

bool FMMenuVisible(TFMMenuShow show, TAppMode mode) {
  switch (show) {
    case S::Never:
      return false;
    case S::FM:
      return mode == settings::amFMRadio;
    case S::Playback:
      return mode == settings::amPlayback;
    case S::NotFM:
      return mode != settings::amFMRadio;
    case S::Always:
      return true;
  }
  return true;
}

}  // namespace pvx::panels
