#pragma once
// The buttons of the three skins: the TV panel, the FM panel and the main window's menu
// image. Each item has a rectangle in skin pixels (right and bottom exclusive), an enabled
// flag and a hint; the fixed tables also give each item its language key and command.

#include <QRect>
#include <QString>
#include <array>
#include <functional>

namespace pvx::settings {
class TMultiLangInfo;
}

namespace pvx::panels {

struct TUIItemRecord {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool Enabled = false;
  QString Hint;

  bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  QRect Rect() const { return {Left, Top, Right - Left, Bottom - Top}; }
};

// One row of a built-in table. A Command of kNoCommand means the item runs nothing by itself.
struct TUIItemDef {
  int Left, Top, Right, Bottom;
  const char* Hint;
  const char* Key;
  int Command;
};

class TUIInfo {
 public:
  static constexpr int kTVCount = 40;
  static constexpr int kFMCount = 38;
  static constexpr int kMenuCount = 2;

  // TV items with a meaning of their own.
  enum : int { kTVSource = 3, kTVPlay = 29, kTVPause = 30, kTVMuteIndicator = 37, kTVPositionBar = 38,
               kTVVolumeSlider = 39 };
  // FM items with a meaning of their own.
  enum : int { kFMPlay = 26, kFMPause = 27, kFMMuteIndicator = 33, kFMPositionBar = 34, kFMVolumeSlider = 35,
               kFMDial = 36, kFMDialKnob = 37 };

  TUIInfo();

  std::array<TUIItemRecord, kTVCount> TVItems;
  std::array<TUIItemRecord, kFMCount> FMItems;
  std::array<TUIItemRecord, kMenuCount> MenuItems;

  // The first item (in index order) whose rectangle holds the point; the table's length when none.
  int HitTestTV(int x, int y) const;
  int HitTestFM(int x, int y) const;
  int HitTestMenu(int x, int y) const;

  static bool IsTVCommandItem(int index) { return index >= 0 && index < 38; }
  static bool IsFMCommandItem(int index) { return index >= 0 && index < 34; }

  // The command of an item; kNoCommand for items without one and for indices out of range.
  static int TVCommand(int index);
  static int FMCommand(int index);
  static int MenuCommand(int index);

  // Runs an item's command through ExecuteCommand; nothing for an item without one.
  void ExecuteTVItem(int index) const;
  void ExecuteFMItem(int index) const;
  void ExecuteMenuItem(int index) const;
  std::function<void(int code)> ExecuteCommand;

  // Replaces the hints of every item that names a key the language has a text for.
  // `text` answers a key with its text, or an empty string when the language lacks it.
  void ApplyLanguage(const std::function<QString(const QString& key)>& text);
  // The same from a language: a key's hint, or its caption when it has no hint.
  void ApplyLanguage(const settings::TMultiLangInfo& lang);

  static const std::array<TUIItemDef, kTVCount>& TVTable();
  static const std::array<TUIItemDef, kFMCount>& FMTable();
  static const std::array<TUIItemDef, kMenuCount>& MenuTable();
};

}  // namespace pvx::panels
