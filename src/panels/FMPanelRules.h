#pragma once
// The FM panel's arithmetic and texts, apart from the window: what each mode enables, the
// dial's band and its mouse-to-frequency and frequency-to-knob rules, and the pop-up menu.

#include <QString>
#include <array>

#include "panels/UIInfo.h"
#include "settings/MainInfo.h"

namespace pvx::panels {

// The band the dial's printed scale names.
constexpr quint32 kFMDialLow = 88000000, kFMDialHigh = 108000000;

// Where FM radio starts: the stored frequency when it lies in the dial's band (within the
// tuner's fmMin..fmMax), else that band's lower end. A tuner whose band misses the dial's
// starts at its own lower end.
quint32 FMStartFrequency(quint32 stored, qint32 fmMin, qint32 fmMax);

// The frequency a click at skin x on the dial asks for: whole megahertz plus rounded tenths
// along the band, kept inside fmMin..fmMax. A band with fmMax at or below fmMin gives fmMin.
quint32 DialFrequency(int x, const TUIItemRecord& dial, qint32 fmMin, qint32 fmMax);

// Where the knob sits for a frequency, in pixels from the dial's left end (1..dial width).
// A band with fmMax at or below fmMin puts it at the left end.
int DialKnobOffset(quint32 hertz, const TUIItemRecord& dial, qint32 fmMin, qint32 fmMax);

// Whether an FM item is usable in a mode; `mixer` tells whether the sound card's mixer exists.
bool FMItemEnabled(int index, settings::TAppMode mode, bool mixer);
// The modes that change the panel (recording, playback, FM), and the state text each shows.
bool IsFMPanelMode(settings::TAppMode mode);
QString FMStateText(settings::TAppMode mode);

// The filled width of a bar: value x width div 65536, rounding down, kept inside 0..width.
int SliderFill(qint64 value, int width);
// The played part of a bar: position x width div duration; nothing for a duration of 0.
int PositionFill(qint64 position, qint64 duration, int width);

// The pop-up menu. A row without a caption is a separator.
enum class TFMMenuShow { Never, FM, Playback, NotFM, Always };
struct TFMMenuDef {
  const char* Name;
  const char* Caption;
  const char* Key;
  int Command;
  TFMMenuShow Show;
};
constexpr int kFMMenuCount = 26;
const std::array<TFMMenuDef, kFMMenuCount>& FMMenuTable();
bool FMMenuVisible(TFMMenuShow show, settings::TAppMode mode);

}  // namespace pvx::panels
