#pragma once
// Product texts shown by the About dialog and the device-name overrides of the capture card,
// with their defaults replaced by the optional text file PInfo.cfg.

#include <QString>
#include <array>

namespace pvx::util {

class TOEMInfo {
 public:
  // Sets the defaults, then reads PInfo.cfg from the data folders when it has six lines or more.
  TOEMInfo();
  // Same, from an explicit file (tests, tools).
  explicit TOEMInfo(const QString& infoFile);

  QString ProductName = "OKA TV";
  QString MakerName = "OKA";
  QString RightsText = "Copyright (C) OKA. All rights reserved.";
  QString VersionText;  // the build's version and date: "1.0.0 (2026-12-08)"
  // None of our own yet: the About box then shows no link rather than an invented one.
  QString WebAddress;
  QString MailAddress;
  // Video capture, crossbar, tuner and TV audio device name overrides, in that order.
  std::array<QString, 4> DeviceNames;
  bool HasTitleBitmap = false;
  // Tuning waits for the tuner to settle; on unless a product turns it off.
  bool TuningPause = true;

 private:
  void Load(const QString& infoFile);
};

}  // namespace pvx::util
