#pragma once
// Tuning TV and FM with their lock rules, the TV/FM switch, the video standard, the tuner's
// country code and the TV sound mode.

#include <QString>
#include <QtGlobal>

namespace pvx::engine {

class TCaptureInfo;

class TTunerControl {
 public:
  explicit TTunerControl(TCaptureInfo& engine) : e_(engine) {}

  bool SetTVFrequency(quint32 hertz, bool pauseGraph);
  bool SetFMFrequency(quint32 hertz);
  bool FMUp();
  bool FMDown();
  void SetRadioMode(bool fm);
  bool SetVideoStandard(int standard);
  bool SetCountryCode(int code);
  bool SetTVAudioMode(int mode);
  void ReadTVBand();
  void ReadFMBand();

  // The name of a standard the engine knows ("PAL B"); empty when it is not one of them.
  static QString StandardName(int standard);
  static bool IsNtscLike(int standard) { return standard < 3 || standard == 4; }

 private:
  TCaptureInfo& e_;
};

}  // namespace pvx::engine
