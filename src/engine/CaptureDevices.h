#pragma once
// The card's devices: found by name, bound into the graph, and the chip family their names
// tell. Discovery may correct the stored device choices when they do not fit the machine.

#include <QStringList>
#include <memory>

#include "engine/ChipInfo.h"
#include "engine/EngineConfig.h"

namespace pvx::platform::graph {
class TFilter;
class TFilterGraph;
}  // namespace pvx::platform::graph

namespace pvx::settings {
struct TCaptureSettings;
}

namespace pvx::engine {

class TCaptureDevices {
 public:
  using FilterPtr = std::shared_ptr<platform::graph::TFilter>;

  TCaptureDevices(const TEngineConfig& config, const TErrorReporter& report)
      : config_(config), report_(report) {}

  // The first video device whose name suggests a TV card; 0 when none does.
  int DefaultVideoDeviceIndex() const;

  // Finds the devices and adds them to the graph. False without a usable capture device or
  // crossbar.
  bool Open(platform::graph::TFilterGraph& graph, settings::TCaptureSettings& stored);
  // The chosen device was no TV card and device 0 was taken instead.
  bool FellBack() const { return fellBack_; }
  // Forgets every device (the graph that held them is going).
  void Release();
  // A tuner whose filter cannot be used: take it and its sound decoder out of the graph.
  void DropTuner(platform::graph::TFilterGraph& graph);

  const TChipInfo& Chip() const { return chip_; }
  bool HasTuner() const { return hasTuner_; }
  bool HasAudioCapture() const { return hasAudioCapture_; }
  const QStringList& VideoDevices() const { return videoDevices_; }
  const QStringList& AudioDevices() const { return audioDevices_; }

  platform::graph::TFilter* VCapture() const { return vCapture_.get(); }
  platform::graph::TFilter* ACapture() const { return aCapture_.get(); }
  platform::graph::TFilter* TVTuner() const { return tvTuner_.get(); }
  platform::graph::TFilter* TVAudio() const { return tvAudio_.get(); }
  platform::graph::TFilter* CrossbarFilter() const { return crossbar_.get(); }
  // The Empia 2800 vendor object; only on family 3.
  platform::graph::TFilter* Empia2800() const { return empia2800_.get(); }

 private:
  bool OpenVideoAndCrossbar(platform::graph::TFilterGraph& graph, settings::TCaptureSettings& stored);
  void OpenAudio(platform::graph::TFilterGraph& graph, settings::TCaptureSettings& stored);
  void OpenTuner(platform::graph::TFilterGraph& graph);
  void SetChip(const QString& deviceName);

  const TEngineConfig& config_;
  const TErrorReporter& report_;
  TChipInfo chip_;
  bool hasTuner_ = true;
  bool hasAudioCapture_ = false;
  bool fellBack_ = false;
  QStringList videoDevices_, audioDevices_;
  FilterPtr vCapture_, aCapture_, tvTuner_, tvAudio_, crossbar_, empia2800_;
};

}  // namespace pvx::engine
