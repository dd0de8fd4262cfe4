#include "support/FakeSystemServices.h"

namespace pvx::test {

bool FakeSystemServices::IsReadOnlyMedia(const QString& path) {
  for (const QString& prefix : ReadOnlyPrefixes) {
    if (path.startsWith(prefix)) return true;
  }
  return false;
}

int FakeSystemServices::MediaFrameworkLevel(QStringList* missing) {
  if (missing) *missing = MissingMedia;
  return MediaLevel;
}

bool FakeSystemServices::PowerOff() {
  ++PowerOffCalls;
  return PowerOffResult;
}

quint32 FakeSystemServices::InhibitScreenSaver(const QString&) {
  if (InhibitCookie) ActiveInhibits << InhibitCookie;
  return InhibitCookie;
}

bool FakeSystemServices::OpenUrl(const QString& url) {
  OpenedUrls << url;
  return true;
}

bool FakeSystemServices::StartProgram(const QString& name, const QStringList& args) {
  StartedPrograms << (args.isEmpty() ? name : name + " " + args.join(' '));
  return StartProgramResult;
}

}  // namespace pvx::test
