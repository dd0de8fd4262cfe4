#pragma once

#include "platform/SystemServices.h"

namespace pvx::platform {

class LinuxSystemServices final : public ISystemServices {
 public:
  QString DocumentsFolder() override;
  QString FallbackFolder() override;
  bool IsReadOnlyMedia(const QString& path) override;
  qint64 FreeBytes(const QString& path) override;
  int MediaFrameworkLevel(QStringList* missing) override;
  int WindowsVersionClass() override { return 2; }
  int LocaleCountryCode() override;
  bool PowerOff() override;
  quint32 InhibitScreenSaver(const QString& reason) override;
  void ReleaseScreenSaver(quint32 cookie) override;
  void Notify(const QString& summary, const QString& body) override;
  bool OpenUrl(const QString& url) override;
  bool StartProgram(const QString& name, const QStringList& args) override;
  FileVersion ProgramVersion() override;
};

// The nearest existing folder at or above path (for questions about a folder not yet created).
QString NearestExistingFolder(const QString& path);

}  // namespace pvx::platform
