#pragma once
// What the settings dialog needs from the rest of the program, filled by the Setup command.
// The settings globals (MainInfo, ChannelInfo, PreviewInfo, MultiLangInfo) are read directly;
// unset members mean the piece is absent.

#include <functional>

namespace pvx::engine {
class TAudioAdjustInfo;
class TCaptureInfo;
}  // namespace pvx::engine

namespace pvx::settings {
struct TCaptureSettings;
}

namespace pvx::ui {

struct TConfigEnvironment {
  engine::TCaptureInfo* Capture = nullptr;
  // The recording settings the dialog edits; the engine's own when unset.
  settings::TCaptureSettings* Recording = nullptr;
  engine::TAudioAdjustInfo* Audio = nullptr;
  // The FM panel is up: the dialog shows its FM page only.
  bool FMMode = false;
  // The main window's aspect mode (0 "No Scale", 1 "4:3", 2 "16:9").
  std::function<int()> Aspect;
  std::function<void(int aspect)> SetAspect;
  std::function<bool()> OverlayFullScreen;
  std::function<void(bool on)> SetOverlayFullScreen;
  // A source chosen again through the main window's source commands (a TChannelInfo source).
  std::function<void(int source)> SwitchSource;
  // Every other window that shows language texts takes the new language.
  std::function<void()> Relocalise;
  // The help command of the main window.
  std::function<void()> Help;
};

}  // namespace pvx::ui
