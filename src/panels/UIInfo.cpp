#include "panels/UIInfo.h"

#include "commands/CommandTable.h"
#include "settings/MultiLangInfo.h"

namespace pvx::panels {

namespace {

using C = commands::TCommand;
using commands::CodeOf;
using commands::kNoCommand;
constexpr int Digit(int d) { return CodeOf(commands::DigitCommand(d)); }

constexpr std::array<TUIItemDef, TUIInfo::kTVCount> kTV{{
    {133, 28, 145, 39, "Minimized", "Minimize", CodeOf(C::Minimise)},
    {154, 29, 166, 41, "Close", "Exit", CodeOf(C::Exit)},
    {111, 30, 122, 41, "Help", "Help", CodeOf(C::Help)},
    {31, 169, 78, 183, "Switch video source", "SwitchSource", CodeOf(C::SwitchVideoSource)},
    {106, 168, 129, 184, "Scheduled recording", "ScheduledRecording", CodeOf(C::Schedule)},
    {81, 168, 104, 184, "Setup", "Setup", CodeOf(C::Setup)},
    {30, 186, 52, 200, "Channel preview", "ChannelPreview", CodeOf(C::ChannelPreview)},
    {107, 186, 129, 200, "Snapshot", "Snapshot", CodeOf(C::Snapshot)},
    {55, 186, 78, 200, "Sleeping timer", "SleepTimer", CodeOf(C::SleepTimer)},
    {81, 186, 104, 200, "SAP", nullptr, CodeOf(C::TVAudioMode)},
    {0, 0, 0, 0, "iEPG", nullptr, kNoCommand},
    {132, 186, 181, 200, "FM mode", "FMMode", CodeOf(C::TVOrFM)},
    {30, 108, 53, 124, "1", nullptr, Digit(1)},
    {55, 108, 78, 124, "2", nullptr, Digit(2)},
    {82, 108, 104, 124, "3", nullptr, Digit(3)},
    {108, 108, 130, 124, "4", nullptr, Digit(4)},
    {30, 126, 53, 140, "5", nullptr, Digit(5)},
    {55, 126, 78, 140, "6", nullptr, Digit(6)},
    {82, 126, 104, 140, "7", nullptr, Digit(7)},
    {108, 126, 130, 140, "8", nullptr, Digit(8)},
    {30, 143, 53, 158, "9", nullptr, Digit(9)},
    {55, 143, 78, 158, "0", nullptr, Digit(0)},
    {82, 143, 104, 158, "Enter", "Enter", CodeOf(C::Enter)},
    {108, 143, 130, 158, "Recall last channel", "RecallChannel", CodeOf(C::RecallChannel)},
    {155, 124, 175, 142, "Next Channel", "NextChannel", CodeOf(C::NextChannel)},
    {223, 124, 242, 142, "Previous Channel", "PreChannel", CodeOf(C::PreviousChannel)},
    {152, 149, 177, 164, "Volume up", "VolumeUp", CodeOf(C::VolumeUp)},
    {221, 149, 245, 164, "Volume down", "VolumeDown", CodeOf(C::VolumeDown)},
    {192, 147, 207, 164, "Mute", "Mute", CodeOf(C::Mute)},
    {120, 257, 163, 275, "Play", "Play", CodeOf(C::Play)},
    {133, 237, 148, 251, "Pause", "Pause", CodeOf(C::Pause)},
    {125, 213, 163, 228, "Stop", "Stop", CodeOf(C::Stop)},
    {169, 231, 193, 254, "Forward", "Forward", CodeOf(C::Forward)},
    {92, 234, 114, 254, "Backward", "Backward", CodeOf(C::Backward)},
    {63, 227, 75, 237, "Capture", "Capture", CodeOf(C::Capture)},
    {211, 227, 223, 238, "TimeShift", "TimeShifting", CodeOf(C::TimeShifting)},
    {0, 0, 0, 0, "About", "About", CodeOf(C::About)},
    {192, 164, 208, 180, "", nullptr, CodeOf(C::Mute)},
    {30, 103, 250, 106, "", nullptr, kNoCommand},
    {148, 109, 248, 120, "", nullptr, kNoCommand},
}};

constexpr std::array<TUIItemDef, TUIInfo::kFMCount> kFM{{
    {586, 32, 603, 48, "Minimized", "Minimize", CodeOf(C::Minimise)},
    {607, 32, 623, 48, "Close", "Exit", CodeOf(C::Exit)},
    {567, 32, 583, 48, "Help", "Help", CodeOf(C::Help)},
    {397, 142, 433, 158, "Scheduled recording", "ScheduledRecording", CodeOf(C::Schedule)},
    {349, 142, 391, 158, "Setup", "Setup", CodeOf(C::Setup)},
    {300, 142, 342, 158, "Channel memorized", "FMMemorized", CodeOf(C::MemoriseFM)},
    {255, 138, 281, 162, "TV mode", "TVMode", CodeOf(C::TVOrFM)},
    {300, 75, 329, 92, "1", nullptr, Digit(1)},
    {335, 75, 364, 92, "2", nullptr, Digit(2)},
    {370, 75, 399, 92, "3", nullptr, Digit(3)},
    {405, 75, 431, 92, "4", nullptr, Digit(4)},
    {300, 95, 329, 111, "5", nullptr, Digit(5)},
    {335, 95, 364, 111, "6", nullptr, Digit(6)},
    {370, 95, 399, 111, "7", nullptr, Digit(7)},
    {405, 95, 431, 111, "8", nullptr, Digit(8)},
    {300, 116, 329, 132, "9", nullptr, Digit(9)},
    {335, 116, 364, 132, "0", nullptr, Digit(0)},
    {370, 116, 399, 132, "Enter", "Enter", CodeOf(C::Enter)},
    {405, 116, 431, 132, "Recall last channel", "RecallChannel", CodeOf(C::RecallChannel)},
    {101, 123, 118, 140, "Next Channel", "NextChannel", CodeOf(C::NextChannel)},
    {77, 123, 95, 140, "Previous Channel", "PreChannel", CodeOf(C::PreviousChannel)},
    {148, 123, 166, 140, "Frequency Up", "FMFreqUp", CodeOf(C::FrequencyUp)},
    {172, 123, 190, 140, "Frequency Down", "FMFreqDown", CodeOf(C::FrequencyDown)},
    {0, 0, 0, 0, "Volume up", "VolumeUp", CodeOf(C::VolumeUp)},
    {0, 0, 0, 0, "Volume down", "VolumeDown", CodeOf(C::VolumeDown)},
    {223, 138, 248, 162, "Mute", "Mute", CodeOf(C::Mute)},
    {488, 121, 540, 144, "Play", "Play", CodeOf(C::Play)},
    {500, 82, 528, 106, "Pause", "Pause", CodeOf(C::Pause)},
    {488, 43, 540, 68, "Stop", "Stop", CodeOf(C::Stop)},
    {542, 72, 566, 116, "Forward", "Forward", CodeOf(C::Forward)},
    {460, 75, 485, 116, "Backward", "Backward", CodeOf(C::Backward)},
    {596, 86, 617, 105, "Capture", "Capture", CodeOf(C::Capture)},
    {0, 0, 0, 0, "About", "About", CodeOf(C::About)},
    {242, 119, 265, 136, "", nullptr, CodeOf(C::Mute)},
    {79, 148, 190, 152, "", nullptr, kNoCommand},
    {301, 39, 442, 50, "", nullptr, kNoCommand},
    {70, 112, 281, 115, "", nullptr, kNoCommand},
    {67, 107, 80, 121, "", nullptr, kNoCommand},
}};

constexpr std::array<TUIItemDef, TUIInfo::kMenuCount> kMenu{{
    {0, 0, 13, 13, "Minimized", "Minimize", CodeOf(C::Minimise)},
    {14, 0, 27, 13, "Full screen", "FullScreen", CodeOf(C::FullScreen)},
}};

template <size_t N>
void Fill(std::array<TUIItemRecord, N>& items, const std::array<TUIItemDef, N>& table, bool enabled) {
  for (size_t i = 0; i < N; ++i)
    items[i] = {table[i].Left, table[i].Top, table[i].Right, table[i].Bottom, enabled,
                QString::fromLatin1(table[i].Hint)};
}

template <size_t N>
int HitTest(const std::array<TUIItemRecord, N>& items, int x, int y) {
  for (size_t i = 0; i < N; ++i)
    if (items[i].Contains(x, y)) return int(i);
  return int(N);
}

template <size_t N>
void Refresh(std::array<TUIItemRecord, N>& items, const std::array<TUIItemDef, N>& table, const QString& key,
             const QString& text) {
  for (size_t i = 0; i < N; ++i)
    if (table[i].Key && key == QLatin1String(table[i].Key)) items[i].Hint = text;
}

}  // namespace

const std::array<TUIItemDef, TUIInfo::kTVCount>& TUIInfo::TVTable() { return kTV; }
const std::array<TUIItemDef, TUIInfo::kFMCount>& TUIInfo::FMTable() { return kFM; }
const std::array<TUIItemDef, TUIInfo::kMenuCount>& TUIInfo::MenuTable() { return kMenu; }

TUIInfo::TUIInfo() {
  Fill(TVItems, kTV, false);
  Fill(FMItems, kFM, false);
  Fill(MenuItems, kMenu, true);
}

int TUIInfo::HitTestTV(int x, int y) const { return HitTest(TVItems, x, y); }
int TUIInfo::HitTestFM(int x, int y) const { return HitTest(FMItems, x, y); }
int TUIInfo::HitTestMenu(int x, int y) const { return HitTest(MenuItems, x, y); }

int TUIInfo::TVCommand(int index) { return IsTVCommandItem(index) ? kTV[size_t(index)].Command : kNoCommand; }
int TUIInfo::FMCommand(int index) { return IsFMCommandItem(index) ? kFM[size_t(index)].Command : kNoCommand; }
int TUIInfo::MenuCommand(int index) {
  return index >= 0 && index < kMenuCount ? kMenu[size_t(index)].Command : kNoCommand;
}

namespace {
void Run(const std::function<void(int)>& execute, int code) {
  if (code != kNoCommand && execute) execute(code);
}
}  // namespace

void TUIInfo::ExecuteTVItem(int index) const { Run(ExecuteCommand, TVCommand(index)); }
void TUIInfo::ExecuteFMItem(int index) const { Run(ExecuteCommand, FMCommand(index)); }
void TUIInfo::ExecuteMenuItem(int index) const { Run(ExecuteCommand, MenuCommand(index)); }

void TUIInfo::ApplyLanguage(const std::function<QString(const QString& key)>& text) {
  auto refreshFrom = [&](const auto& table) {
    for (const TUIItemDef& def : table) {
      if (!def.Key) continue;
      const QString key = QString::fromLatin1(def.Key);
      const QString value = text(key);
      if (value.isEmpty()) continue;
      Refresh(TVItems, kTV, key, value);
      Refresh(FMItems, kFM, key, value);
      Refresh(MenuItems, kMenu, key, value);
    }
  };
  refreshFrom(kTV);
  refreshFrom(kFM);
  refreshFrom(kMenu);
}

void TUIInfo::ApplyLanguage(const settings::TMultiLangInfo& lang) {
  ApplyLanguage([&lang](const QString& key) {
    QString caption, hint;
    if (!lang.Lookup(key, &caption, &hint)) return QString();
    return hint.isEmpty() ? caption : hint;
  });
}

}  // namespace pvx::panels
