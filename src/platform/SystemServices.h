#pragma once
// The operating-system services the program uses, behind one interface so tests can fake them.

#include <QString>
#include <QStringList>

namespace pvx::platform {

struct FileVersion {
  int major = 0, minor = 0, release = 0, build = 0;
};

class ISystemServices {
 public:
  virtual ~ISystemServices() = default;

  // The user's documents folder, ending with "/"; the home folder when there is none.
  virtual QString DocumentsFolder() = 0;
  // The home folder, ending with "/": where a folder that cannot be used falls back to.
  virtual QString FallbackFolder() = 0;
  // True when the path lies on an optical disc or a read-only mount, where nothing can be written.
  virtual bool IsReadOnlyMedia(const QString& path) = 0;
  // Free bytes for an unprivileged writer on the path's file system; -1 when unknown.
  virtual qint64 FreeBytes(const QString& path) = 0;
  // 9 when the media framework starts and every component the program needs is present,
  // else 0; missing names what is absent.
  virtual int MediaFrameworkLevel(QStringList* missing) = 0;
  // Always 2 here: a modern system with every facility the program uses.
  virtual int WindowsVersionClass() = 0;
  // International dialling code of the user's locale territory; 1 when unknown.
  virtual int LocaleCountryCode() = 0;
  // Asks the system to power off; false when it refused.
  virtual bool PowerOff() = 0;
  // Keeps the screen saver and display power-saving away while television plays. Returns a
  // cookie for ReleaseScreenSaver, or 0 when the desktop offers no such service.
  virtual quint32 InhibitScreenSaver(const QString& reason) = 0;
  virtual void ReleaseScreenSaver(quint32 cookie) = 0;
  // A desktop notification (org.freedesktop.Notifications); nothing when no service runs.
  virtual void Notify(const QString& summary, const QString& body) = 0;
  // Opens a web address, mail link or local file with the desktop's handler.
  virtual bool OpenUrl(const QString& url) = 0;
  // Starts one of the program's companion executables from its own bin folder, detached.
  virtual bool StartProgram(const QString& name, const QStringList& args) = 0;
  // The program's own version, compiled in.
  virtual FileVersion ProgramVersion() = 0;
};

ISystemServices& System();
// Installs a service object; nullptr restores the Linux one. The caller keeps ownership.
void SetSystemServices(ISystemServices* services);

}  // namespace pvx::platform
