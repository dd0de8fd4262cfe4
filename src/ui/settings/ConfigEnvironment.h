#pragma once
// What the settings dialog needs from the rest of the program, filled by the Setup command.
// Unset members mean the piece is absent; without the main, channel and preview models the
// dialog shows its pages but OK changes nothing.

#include <QString>
#include <functional>

namespace pvx::engine {
class TAudioAdjustInfo;
class TCaptureInfo;
}  // namespace pvx::engine

namespace pvx::settings {
struct TCaptureSettings;
class TChannelInfo;
class TMainInfo;
class TMultiLangInfo;
class TPreviewInfo;
}  // namespace pvx::settings

namespace pvx::ui {

struct TConfigEnvironment {
  settings::TMainInfo* Main = nullptr;
  settings::TChannelInfo* Channels = nullptr;
  settings::TPreviewInfo* Preview = nullptr;
  // The language the dialog shows and switches; the built-in texts without one.
  settings::TMultiLangInfo* Language = nullptr;
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
  // Starts, moves or stops the home server; the page's address with its token, empty when it
  // does not serve.
  std::function<QString(bool on, bool otherDevices)> ApplyServing;
};

}  // namespace pvx::ui
