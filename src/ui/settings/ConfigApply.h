#pragma once
// What OK does with the dialog's choices, in its fixed order, kept apart from the widgets: the
// settings are changed through references (the capture settings are a copy the engine takes
// whole), and everything that touches the card or the main window goes through hooks, so the
// order can be followed step by step.

#include <QString>
#include <functional>

#include "settings/CaptureSettings.h"

namespace pvx::settings {
class TChannelInfo;
class TMainInfo;
class TPreviewInfo;
}  // namespace pvx::settings

namespace pvx::ui {

// The TV pages' controls as OK reads them.
struct TTVChoices {
  bool PIPEnabled = false;
  QString CaptureFolder;
  bool AlwaysOnTop = false;
  int Aspect = 0;
  bool NoOverlay = false;
  int MPEG4Codec = 0;
  // The home server, and whether it serves the whole home network.
  bool Serve = false;
  bool ServeOtherDevices = false;
  // The capture page, and the Video page's deinterlacing; RecordFormat, CaptureWidth/Height,
  // VideoBitRateKbps, Quality and FrameRateCode are taken from SizeText and the fields below
  // unless audio only.
  settings::TCaptureSettings Capture;
  QString SizeText;
  int FrameRateIndex = 0;  // -1: the card's own rate
  // The table choice is shown (the TV Tuner page): otherwise the current table stays.
  bool TableShown = true;
  bool MemoryTable = false;
  bool Cable = false;
  int CompositeStandard = 0;
  int SVideoStandard = 0;
  bool Customize = false;
  int DimensionIndex = 1;
  int Interval = 2;
  int RecordLevel = 0;  // 0..65536
};

struct TFMChoices {
  QString WaveFolder;
  int AudioInputIndex = 0;
  int AudioMediaTypeIndex = 0;
  int AudioFormat = 0;
  int RecordLevel = 0;
};

// The settings OK writes, and the operations it runs.
struct TApplyTarget {
  TApplyTarget(settings::TMainInfo& main, settings::TCaptureSettings& capture, settings::TChannelInfo& channels,
               settings::TPreviewInfo& preview)
      : Main(main), Capture(capture), Channels(channels), Preview(preview) {}

  settings::TMainInfo& Main;
  settings::TCaptureSettings& Capture;
  settings::TChannelInfo& Channels;
  settings::TPreviewInfo& Preview;
  bool HasTuner = true;
  bool HasCamera = false;

  std::function<bool(const QString& folder)> EnsureFolder;
  std::function<void(int aspect)> SetAspect;
  std::function<void(int level)> SetRecordLevel;
  // The channel current when the dialog opened, in the table now current.
  std::function<void()> SelectTVChannel;
  std::function<void()> SelectFMChannel;
  // The composite or S-Video input's standard applied again.
  std::function<void(int source)> ApplyInputStandard;
  // Hands the capture settings to the engine, which opens other devices again or rebuilds the
  // preview for a changed deinterlacing.
  std::function<bool(const settings::TCaptureSettings& capture)> ApplyCapture;
  // Through the main window's source commands.
  std::function<void(int source)> SwitchSource;
  std::function<void(int code)> SetVendorStandard;
  std::function<bool()> OverlayFullScreen;
  std::function<void(bool on)> SetOverlayFullScreen;
  // The preview built again (an overlay choice changed).
  std::function<void(bool deinterlace, bool fast)> SetDeinterlace;
  // The home server started, moved or stopped for a changed choice.
  std::function<void(bool on, bool otherDevices)> ApplyServing;
};

// Stores the home network choice; true when it differs from the stored one.
bool StoreServing(settings::TMainInfo& main, bool on, bool otherDevices);

void ApplyTV(const TTVChoices& choices, TApplyTarget& target);
void ApplyFM(const TFMChoices& choices, TApplyTarget& target);

}  // namespace pvx::ui
