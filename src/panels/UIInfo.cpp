#include "panels/UIInfo.h"

#include "settings/MultiLangInfo.h"

namespace pvx::panels {

TUIInfo* UIInfo = nullptr;

namespace {

constexpr std::array<TUIItemDef, TUIInfo::kTVCount> kTV{{
    {133, 28, 145, 39, "Minimized", "Minimize", 2},
    {154, 29, 166, 41, "Close", "Exit", 1},
    {111, 30, 122, 41, "Help", "Help", 11},
    {31, 169, 78, 183, "Switch video source", "SwitchSource", 200},
    {106, 168, 129, 184, "Scheduled recording", "ScheduledRecording", 10},
    {81, 168, 104, 184, "Setup", "Setup", 7},
    {30, 186, 52, 200, "Channel preview", "ChannelPreview", 8},
    {107, 186, 129, 200, "Snapshot", "Snapshot", 1000},
    {55, 186, 78, 200, "Sleeping timer", "SleepTimer", 12},
    {81, 186, 104, 200, "SAP", nullptr, 300},
    {0, 0, 0, 0, "iEPG", nullptr, 0},
    {132, 186, 181, 200, "FM mode", "FMMode", 6000},
    {30, 108, 53, 124, "1", nullptr, 10001},
    {55, 108, 78, 124, "2", nullptr, 10002},
    {82, 108, 104, 124, "3", nullptr, 10003},
    {108, 108, 130, 124, "4", nullptr, 10004},
    {30, 126, 53, 140, "5", nullptr, 10005},
    {55, 126, 78, 140, "6", nullptr, 10006},
    {82, 126, 104, 140, "7", nullptr, 10007},
    {108, 126, 130, 140, "8", nullptr, 10008},
    {30, 143, 53, 158, "9", nullptr, 10009},
    {55, 143, 78, 158, "0", nullptr, 10000},
    {82, 143, 104, 158, "Enter", "Enter", 10020},
    {108, 143, 130, 158, "Recall last channel", "RecallChannel", 4003},
    {155, 124, 175, 142, "Next Channel", "NextChannel", 4001},
    {223, 124, 242, 142, "Previous Channel", "PreChannel", 4002},
    {152, 149, 177, 164, "Volume up", "VolumeUp", 401},
    {221, 149, 245, 164, "Volume down", "VolumeDown", 402},
    {192, 147, 207, 164, "Mute", "Mute", 403},
    {120, 257, 163, 275, "Play", "Play", 3000},
    {133, 237, 148, 251, "Pause", "Pause", 1003},
    {125, 213, 163, 228, "Stop", "Stop", 1002},
    {169, 231, 193, 254, "Forward", "Forward", 1004},
    {92, 234, 114, 254, "Backward", "Backward", 1005},
    {63, 227, 75, 237, "Capture", "Capture", 1001},
    {211, 227, 223, 238, "TimeShift", "TimeShifting", 2000},
    {0, 0, 0, 0, "About", "About", 13},
    {192, 164, 208, 180, "", nullptr, 403},
    {30, 103, 250, 106, "", nullptr, 0},
    {148, 109, 248, 120, "", nullptr, 0},
}};

constexpr std::array<TUIItemDef, TUIInfo::kFMCount> kFM{{
    {586, 32, 603, 48, "Minimized", "Minimize", 2},
    {607, 32, 623, 48, "Close", "Exit", 1},
    {567, 32, 583, 48, "Help", "Help", 11},
    {397, 142, 433, 158, "Scheduled recording", "ScheduledRecording", 10},
    {349, 142, 391, 158, "Setup", "Setup", 7},
    {300, 142, 342, 158, "Channel memorized", "FMMemorized", 6005},
    {255, 138, 281, 162, "TV mode", "TVMode", 6000},
    {300, 75, 329, 92, "1", nullptr, 10001},
    {335, 75, 364, 92, "2", nullptr, 10002},
    {370, 75, 399, 92, "3", nullptr, 10003},
    {405, 75, 431, 92, "4", nullptr, 10004},
    {300, 95, 329, 111, "5", nullptr, 10005},
    {335, 95, 364, 111, "6", nullptr, 10006},
    {370, 95, 399, 111, "7", nullptr, 10007},
    {405, 95, 431, 111, "8", nullptr, 10008},
    {300, 116, 329, 132, "9", nullptr, 10009},
    {335, 116, 364, 132, "0", nullptr, 10000},
    {370, 116, 399, 132, "Enter", "Enter", 10020},
    {405, 116, 431, 132, "Recall last channel", "RecallChannel", 4003},
    {101, 123, 118, 140, "Next Channel", "NextChannel", 4001},
    {77, 123, 95, 140, "Previous Channel", "PreChannel", 4002},
    {148, 123, 166, 140, "Frequency Up", "FMFreqUp", 6003},
    {172, 123, 190, 140, "Frequency Down", "FMFreqDown", 6004},
    {0, 0, 0, 0, "Volume up", "VolumeUp", 401},
    {0, 0, 0, 0, "Volume down", "VolumeDown", 402},
    {223, 138, 248, 162, "Mute", "Mute", 403},
    {488, 121, 540, 144, "Play", "Play", 3000},
    {500, 82, 528, 106, "Pause", "Pause", 1003},
    {488, 43, 540, 68, "Stop", "Stop", 1002},
    {542, 72, 566, 116, "Forward", "Forward", 1004},
    {460, 75, 485, 116, "Backward", "Backward", 1005},
    {596, 86, 617, 105, "Capture", "Capture", 1001},
    {0, 0, 0, 0, "About", "About", 13},
    {242, 119, 265, 136, "", nullptr, 403},
    {79, 148, 190, 152, "", nullptr, 0},
    {301, 39, 442, 50, "", nullptr, 0},
    {70, 112, 281, 115, "", nullptr, 0},
    {67, 107, 80, 121, "", nullptr, 0},
}};

constexpr std::array<TUIItemDef, TUIInfo::kMenuCount> kMenu{{
    {0, 0, 13, 13, "Minimized", "Minimize", 2},
    {14, 0, 27, 13, "Full screen", "FullScreen", 3},
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

int TUIInfo::TVCommand(int index) { return IsTVCommandItem(index) ? kTV[size_t(index)].Command : 0; }
int TUIInfo::FMCommand(int index) { return IsFMCommandItem(index) ? kFM[size_t(index)].Command : 0; }
int TUIInfo::MenuCommand(int index) { return index >= 0 && index < kMenuCount ? kMenu[size_t(index)].Command : 0; }

namespace {
void Run(const std::function<void(int)>& execute, int code) {
  if (code != 0 && execute) execute(code);
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
