#include "panels/FMPanelRules.h"

#include <algorithm>
#include <cmath>

#include "commands/CommandTable.h"
#include "settings/Globals.h"

namespace pvx::panels {

using settings::TAppMode;

quint32 FMStartFrequency(quint32 stored, qint32 fmMin, qint32 fmMax) {
  qint64 low = std::max<qint64>(kFMDialLow, fmMin), high = std::min<qint64>(kFMDialHigh, fmMax);
  if (low > high) low = fmMin, high = std::max(fmMin, fmMax);
  return qint64(stored) >= low && qint64(stored) <= high ? stored : quint32(std::max<qint64>(low, 0));
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
      return settings::LanguageText("BadgeRecording", QStringLiteral("REC"));
    case settings::amPlayback:
      return settings::LanguageText("Play", QStringLiteral("Play"));
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
using C = commands::TCommand;
using commands::CodeOf;
using commands::kNoCommand;
constexpr std::array<TFMMenuDef, kFMMenuCount> kMenu{{
    {"itemFindAvaliableUp", "Find Avaliable Up", "FMAvailUp", CodeOf(C::SeekUp), S::Never},
    {"itemFindAvaliableDown", "Find Avaliable Down", "FMAvailDown", CodeOf(C::SeekDown), S::Never},
    {"itemFrequencyUp", "Frequency Up", "FMFreqUp", CodeOf(C::FrequencyUp), S::FM},
    {"itemFrequencyDown", "Frequency Down", "FMFreqDown", CodeOf(C::FrequencyDown), S::FM},
    {"itemN1", nullptr, nullptr, kNoCommand, S::FM},
    {"itemPreviousChannel", "Previous Channel", "PreChannel", CodeOf(C::PreviousChannel), S::FM},
    {"itemNextChannel", "Next Channel", "NextChannel", CodeOf(C::NextChannel), S::FM},
    {"itemMemoChannel", "Memo Channel", "FMMemorized", CodeOf(C::MemoriseFM), S::FM},
    {"itemRecallChannel", "Recall Channel", "RecallChannel", CodeOf(C::RecallChannel), S::FM},
    {"itemN2", nullptr, nullptr, kNoCommand, S::FM},
    {"itemCapture", "Capture", "Capture", CodeOf(C::Capture), S::FM},
    {"itemPlay", "Play", "Play", CodeOf(C::Play), S::FM},
    {"itemPause", "Pause", "Pause", CodeOf(C::Pause), S::Playback},
    {"itemStop", "Stop", "Stop", CodeOf(C::Stop), S::NotFM},
    {"itemForward", "Forward", "Forward", CodeOf(C::Forward), S::Playback},
    {"itemBackward", "Backward", "Backward", CodeOf(C::Backward), S::Playback},
    {"itemFastSpeed", "Fast Speed", "FastSpeed", CodeOf(C::FastSpeed), S::Playback},
    {"itemSlowspeed", "Slow Speed", "SlowSpeed", CodeOf(C::SlowSpeed), S::Playback},
    {"N5", nullptr, nullptr, kNoCommand, S::Always},
    {"itemMute", "Mute", "Mute", CodeOf(C::Mute), S::Always},
    {"itemConfig", "Setup", "Setup", CodeOf(C::Setup), S::FM},
    {"itemTVMode", "TV mode", "TVMode", CodeOf(C::TVOrFM), S::FM},
    {"N4", nullptr, nullptr, kNoCommand, S::Always},
    {"itemSchedule", "Schedule", "ScheduledRecording", CodeOf(C::Schedule), S::Always},
    {"itemAbout", "About", "About", CodeOf(C::About), S::Always},
    {"itemExit", "Exit", "Exit", CodeOf(C::Exit), S::Always},
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
