#pragma once
// The tuner: TV and FM frequencies with their lock rules and ranges, the TV/FM switch, the
// video standard, the tuner's country code and the TV sound mode.

#include <QString>
#include <QtGlobal>
#include <functional>

namespace pvx::engine {

class TCaptureDevices;
class TErrorReporter;
class TPreviewPipeline;

class TTunerControl {
 public:
  TTunerControl(const TCaptureDevices& devices, TPreviewPipeline& preview, const TErrorReporter& report)
      : devices_(devices), preview_(preview), report_(report) {}

  // Whose FM band applies; set once by the engine.
  std::function<int()> CountryCode;

  // Pausing the graph around the change lets the tuner settle before the picture runs again.
  bool SetTVFrequency(quint32 hertz, bool pauseGraph);
  bool SetFMFrequency(quint32 hertz);
  bool FMUp();
  bool FMDown();
  // Puts the tuner in FM or TV mode and stops the graph; false when nothing changed.
  bool SwitchMode(bool fm);
  bool SetVideoStandard(int standard);
  bool SetCountryCode(int code);
  bool SetTVAudioMode(int mode);
  // The ranges the tuner reports (FM narrowed for Russia and Japan).
  void ReadTVBand();
  void ReadFMBand();
  // A built preview tunes within the card's own TV range until the tuner tells its range.
  void SetTVBand(qint32 min, qint32 max);

  bool SignalLocked() const { return signalLocked_; }
  qint32 PLLOffset() const { return pllOffset_; }
  quint32 TVFrequency() const { return tvFrequency_; }
  quint32 FMFrequency() const { return fmFrequency_; }
  qint32 TVMin() const { return tvMin_; }
  qint32 TVMax() const { return tvMax_; }
  qint32 FMMin() const { return fmMin_; }
  qint32 FMMax() const { return fmMax_; }
  bool RadioMode() const { return radioMode_; }
  int VideoStandard() const { return videoStandard_; }
  const QString& VideoStandardName() const { return videoStandardName_; }
  int TVAudioModes() const { return tvAudioModes_; }
  bool CoarseTuning() const { return coarseTuning_; }
  void SetCoarseTuning(bool on) { coarseTuning_ = on; }
  int SignalReadings() const { return signalReadings_; }
  void SetSignalReadings(int readings) { signalReadings_ = readings; }

  // After every successful FM tuning.
  std::function<void(quint32 hertz, bool locked)> OnFMTuned;

  // The name of a standard the engine knows ("PAL B"); empty when it is not one of them.
  static QString StandardName(int standard);

 private:
  const TCaptureDevices& devices_;
  TPreviewPipeline& preview_;
  const TErrorReporter& report_;
  bool signalLocked_ = false;
  qint32 pllOffset_ = 0;
  quint32 tvFrequency_ = 76000000;
  quint32 fmFrequency_ = 100000000;
  qint32 tvMin_ = 100000, tvMax_ = 870000000;
  qint32 fmMin_ = 76000000, fmMax_ = 108000000;
  qint32 fmStep_ = 50000;
  bool coarseTuning_ = false;
  bool radioMode_ = false;
  int videoStandard_ = 0;
  QString videoStandardName_;
  int tvAudioModes_ = 0;
  int signalReadings_ = 1;
};

}  // namespace pvx::engine
