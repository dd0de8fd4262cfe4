#pragma once
// System services with answers a test sets, and a record of what was asked.

#include <QStringList>

#include "platform/SystemServices.h"

namespace pvx::test {

class FakeSystemServices final : public platform::ISystemServices {
 public:
  QString Documents = "/nonexistent/Documents/";
  QString Fallback = "/nonexistent/home/";
  QStringList ReadOnlyPrefixes;  // paths under these count as optical or read-only media
  qint64 Free = 10LL * 1024 * 1024 * 1024;
  int MediaLevel = 9;
  QStringList MissingMedia;
  int CountryCode = 1;
  bool PowerOffResult = true;
  bool StartProgramResult = true;
  platform::FileVersion Version{1, 2, 3, 4};

  quint32 InhibitCookie = 7;  // 0: the desktop has no screen-saver service

  int PowerOffCalls = 0;
  QList<quint32> ActiveInhibits;  // cookies handed out and not yet released
  QStringList OpenedUrls;
  QStringList StartedPrograms;
  QStringList Notifications;  // "summary: body"

  QString DocumentsFolder() override { return Documents; }
  QString FallbackFolder() override { return Fallback; }
  bool IsReadOnlyMedia(const QString& path) override;
  qint64 FreeBytes(const QString&) override { return Free; }
  int MediaFrameworkLevel(QStringList* missing) override;
  int WindowsVersionClass() override { return 2; }
  int LocaleCountryCode() override { return CountryCode; }
  bool PowerOff() override;
  quint32 InhibitScreenSaver(const QString& reason) override;
  void ReleaseScreenSaver(quint32 cookie) override { ActiveInhibits.removeOne(cookie); }
  void Notify(const QString& summary, const QString& body) override { Notifications << summary + ": " + body; }
  bool OpenUrl(const QString& url) override;
  bool StartProgram(const QString& name, const QStringList& args) override;
  platform::FileVersion ProgramVersion() override { return Version; }
};

}  // namespace pvx::test
