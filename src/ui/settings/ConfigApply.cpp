#include "ui/settings/ConfigApply.h"

#include "settings/ChannelInfo.h"
#include "settings/MainInfo.h"
#include "settings/PreviewInfo.h"
#include "ui/settings/CaptureProfiles.h"

namespace pvx::ui {

using settings::TChannelInfo;

namespace {

void Call(const std::function<void()>& hook) {
  if (hook) hook();
}
template <typename... A>
void Call(const std::function<void(A...)>& hook, A... args) {
  if (hook) hook(args...);
}

bool FolderUsable(const TApplyTarget& target, const QString& folder) {
  return target.EnsureFolder ? target.EnsureFolder(folder) : !folder.isEmpty();
}

// The standard in use: the tuner's, or without a tuner that of the composite or S-Video input.
bool StandardIsNTSC(const TChannelInfo& channels, bool hasTuner) {
  if (hasTuner) return IsNTSC(channels.Standard());
  return IsNTSC(channels.CompositeStandard()) && IsNTSC(channels.SVideoStandard());
}

int EmpiaStandardCode(int standard) { return standard == 0 ? 1 : standard == 1 ? 2 : 3; }

// The source in use before the devices went, as the source commands know them.
int SourceToRestore(int source, bool hasCamera) {
  if (source == TChannelInfo::kCamera && !hasCamera) return TChannelInfo::kComposite;
  return source;
}

}  // namespace

bool StoreServing(settings::TMainInfo& main, bool on, bool otherDevices) {
  settings::TMainPreferences prefs = main.Prefs();
  if (prefs.Serve == on && prefs.ServeOtherDevices == otherDevices) return false;
  prefs.Serve = on;
  prefs.ServeOtherDevices = otherDevices;
  main.SetPrefs(std::move(prefs));
  return true;
}

void ApplyTV(const TTVChoices& c, TApplyTarget& t) {
  settings::TMainInfo& main = t.Main;
  settings::TCaptureSettings& cap = t.Capture;
  TChannelInfo& channels = t.Channels;

  settings::TMainPreferences prefs = main.Prefs();
  prefs.PIPEnabled = c.PIPEnabled;
  if (FolderUsable(t, c.CaptureFolder)) prefs.CaptureFolder = c.CaptureFolder;
  prefs.AlwaysOnTop = c.AlwaysOnTop;
  const bool overlayChanged = prefs.NoOverlay != c.NoOverlay;
  prefs.NoOverlay = c.NoOverlay;
  prefs.MPEG4Codec = c.MPEG4Codec;
  main.SetPrefs(std::move(prefs));
  Call(t.SetAspect, c.Aspect);

  const settings::TCaptureSettings& in = c.Capture;
  const bool devicesChanged =
      in.VideoDeviceIndex != cap.VideoDeviceIndex || in.AudioDeviceIndex != cap.AudioDeviceIndex;
  cap.VideoDeviceIndex = in.VideoDeviceIndex;
  cap.PixelFormatChoice = in.PixelFormatChoice;
  cap.AudioFormat = in.AudioFormat;
  cap.UseDateTimeName = in.UseDateTimeName;
  cap.FilePrefix = in.FilePrefix;
  cap.TimeLimitOn = in.TimeLimitOn;
  cap.TimeLimit = in.TimeLimit;
  cap.SaveTimeShift = in.SaveTimeShift;
  cap.RecordKind = in.RecordKind;
  cap.AudioDeviceIndex = in.AudioDeviceIndex;
  cap.AudioInputIndex = std::max(0, in.AudioInputIndex);
  cap.AudioMediaTypeIndex = std::max(0, in.AudioMediaTypeIndex);
  cap.SoftwareEncoding = in.SoftwareEncoding;

  int width = 0, height = 0;
  if (cap.RecordKind != 1) {
    cap.RecordFormat = in.RecordFormat;
    // No size selected keeps the stored one rather than storing nonsense.
    if (ParseSizeText(c.SizeText, &width, &height)) cap.CaptureWidth = width, cap.CaptureHeight = height;
    cap.VideoBitRateKbps = in.VideoBitRateKbps;
    cap.Quality = in.Quality;
    // A format at the card's own rate stores no rate, whatever the list shows.
    cap.FrameRateCode = formats::RecordFormatOrDefault(cap.RecordFormat).FrameRate == 0 ? 0 : c.FrameRateIndex + 1;
    cap.CaptureWidth = StoredCaptureWidth(main.Chip().Family, cap.CaptureWidth, cap.CaptureHeight,
                                          StandardIsNTSC(channels, t.HasTuner));
  }

  // The method counts only while the live picture is deinterlaced.
  const bool deinterlaceChanged =
      in.Deinterlace != cap.Deinterlace || (in.Deinterlace && in.DeinterlaceFast != cap.DeinterlaceFast);
  cap.Deinterlace = in.Deinterlace;
  cap.DeinterlaceFast = in.DeinterlaceFast;

  const int table = c.MemoryTable ? TChannelInfo::kMemory
                    : c.Cable     ? TChannelInfo::kCable
                                  : TChannelInfo::kAntenna;
  if (c.TableShown) channels.SetTable(table);
  channels.SetInputStandards(c.CompositeStandard, c.SVideoStandard);
  const int source = channels.VideoSource();
  if (source == TChannelInfo::kTuner)
    Call(t.SelectTVChannel);
  else if (source == TChannelInfo::kComposite || source == TChannelInfo::kSVideo)
    Call(t.ApplyInputStandard, source);

  t.Preview.Customize = c.Customize;
  t.Preview.SetDimension(c.DimensionIndex + 2);
  t.Preview.Interval = c.Interval;
  Call(t.SetRecordLevel, c.RecordLevel);

  // Overlay full screen is left while the preview is built again.
  const bool rebuild = !devicesChanged && (overlayChanged || deinterlaceChanged);
  const bool overlay = rebuild && t.OverlayFullScreen && t.OverlayFullScreen();
  if (overlay) Call(t.SetOverlayFullScreen, false);
  // The engine opens other devices or rebuilds for a new deinterlacing itself.
  if (t.ApplyCapture) t.ApplyCapture(cap);
  if (devicesChanged) {
    // The source is chosen again even when the devices failed.
    channels.ForgetVideoSource();
    Call(t.SwitchSource, SourceToRestore(source, t.HasCamera));
    if (main.Chip().Family == 3 && t.HasTuner)
      Call(t.SetVendorStandard, EmpiaStandardCode(channels.Standard()));
  } else if (rebuild && !deinterlaceChanged) {
    Call(t.SetDeinterlace, bool(cap.Deinterlace), bool(cap.DeinterlaceFast));
  }
  if (overlay) Call(t.SetOverlayFullScreen, true);
  // Left alone when unchanged: a server started from the command line keeps running.
  if (StoreServing(main, c.Serve, c.ServeOtherDevices)) Call(t.ApplyServing, c.Serve, c.ServeOtherDevices);
}

void ApplyFM(const TFMChoices& c, TApplyTarget& t) {
  if (FolderUsable(t, c.WaveFolder)) {
    settings::TMainPreferences prefs = t.Main.Prefs();
    prefs.WaveFolder = c.WaveFolder;
    t.Main.SetPrefs(std::move(prefs));
  }
  t.Capture.AudioInputIndex = std::max(0, c.AudioInputIndex);
  t.Capture.AudioMediaTypeIndex = std::max(0, c.AudioMediaTypeIndex);
  t.Capture.AudioFormat = quint8(c.AudioFormat);
  if (t.ApplyCapture) t.ApplyCapture(t.Capture);
  Call(t.SelectFMChannel);
  Call(t.SetRecordLevel, c.RecordLevel);
}

}  // namespace pvx::ui
