#pragma once
// The main window's pop-up menu "PopupMainMenu": its items in order with their captions and
// language keys (the command table says which command each sends), and which items show in
// each application mode and source.

#include <QMenu>
#include <QString>
#include <functional>
#include <optional>

#include "app/CommandDispatcher.h"
#include "settings/MainInfo.h"

namespace pvx::app {

// What the visibility, enabling and check marks of the items follow.
struct TMenuState {
  settings::TAppMode Mode = settings::amTV;
  int DisplayMode = 0;  // 0 normal, 1 full screen, 2 overlay full screen
  bool HasTuner = true;
  bool HasCamera = false;
  bool PIPPlaying = false;
  bool FMEnabled = true;
  bool TimeShiftReady = false;
  int VideoSource = 0;  // 0 tuner, 1 composite, 2 S-Video, 3 camera
  int TunerMode = 0;    // 0 antenna, 1 cable, 2 memory
  int Aspect = 0;       // 0 free, 1 4:3, 2 16:9
  bool AlwaysOnTop = false;
  bool ChannelPreview = false;  // the grid is laid out
  bool PlayerPaused = false;    // a running player was paused: Play shows instead of Pause
  bool HasMixer = true;
  bool Muted = false;
};

class TMainMenu final : public QMenu {
  Q_OBJECT
 public:
  explicit TMainMenu(QWidget* parent);

  // An item by its name ("itemFullScreen" ...), submenus included; nullptr when unknown.
  QAction* Item(const QString& name) const;

  // Replaces each caption that has a language key by the active language's text, when present.
  void ApplyLanguage();

  // Item visibility for a mode (nothing changes for amFMRadio and amClosed), then the source
  // rules; the display-mode rules and check marks always.
  void Update(const TMenuState& state);

  // The OSD text announcing a mode; empty for modes without one.
  QString ModeText(settings::TAppMode mode) const;
  // The OSD word for a video source.
  QString SourceWord(int source, int tunerMode) const;

  // The command an item sends; nullopt for submenus and items with their own action or none.
  static std::optional<commands::TCommand> CommandOf(const QAction* item);
  static bool HasOwnAction(const QAction* item);
  // Items whose command has no handler in this build are disabled, with the reason as hint.
  void BindHandlers(const TCommandDispatcher& dispatcher);

  // Items that carry a command call this.
  std::function<void(commands::TCommand code)> ExecuteCommand;
  // Items with their own actions.
  std::function<void()> ToggleAlwaysOnTop;
  std::function<void(int aspect)> SetAspect;
  std::function<void()> SelectCamera;

 private:
  void Build();
  void UpdateModeItems(const TMenuState& state);
  void UpdateSourceItems(const TMenuState& state);
  void UpdateDisplayItems(const TMenuState& state);
  void Show(const char* name, bool visible);
  QString Caption(const char* name) const;
};

}  // namespace pvx::app
