#include "settings/ErrorMessages.h"

#include <QStringList>

#include "platform/DialogService.h"
#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"

namespace pvx::settings {
namespace {

struct ErrorText {
  int code;
  const char* text;
};

// Shown exactly as written, spelling included: language files key on these texts' codes.
constexpr ErrorText kErrors[] = {
    {1000, "Cannot Set capture device..."},
    {1001, "Cannot init Direct show interface..."},
    {1002, "Cannot preview, maybe some program use same interface or something wrong..."},
    {1003, "Cannot find any video capture interface..."},
    {1004, "Cannot find any audio capture interface..."},
    {1005, "Cannot run this function now..."},
    {1006, "No channel is need to preview..."},
    {1007, "Cannot load TV frequency table, please re-install application again..."},
    {1008, "Cannot do snapshot any more, memory is full or connect pin error..."},
    {1009, "Can not set playback position..."},
    {1010, "Cannot find tuner interface..."},
    {1011, "Cannot find tuner audio interface..."},
    {1012, "Cannot set TV or FM property..."},
    {1013, "Cannot set FM routing path..."},
    {1014, "Cannot support FM mode..."},
    {1015, "Cannot set to FM mode..."},
    {1016, "Cannot find de-interlace filter"},
    {1017, "Can not connect de-interlace"},
    {1018, "Cannot find MPEG1/2 capture filter interface.."},
    {1019, "Cannot find MPEG4 capture filter interface.."},
    {1020, "Cannot write file..."},
    {1021, "Cannot find write file interface..."},
    {1022, "Cannot set output filename..."},
    {1023, "Cannot find time-shifting source filter."},
    {1024, "Set audio format is failed, use default."},
    {1025, "Set video format is failed, use default."},
    {1026, "Cannot capture audio..."},
    {1027, "Cannot find MP3 compressor, fail to capture..."},
    {1028, "Cannot set playback rate, use normal..."},
    {1100, "Disk free space is too small to capture, please re-assign another file folder..."},
    {1101, "Disk will be full, terminate capture processing..."},
    {1102, "Cannot set video connector..."},
    {1103, "Main setting is corrupted, load default setting..."},
    {1104, "TV Cahnnel setting is corrupted, please re-set your TV channel..."},
    {1105, "No items to playback"},
    {1106, "Cannot delete current playback item..."},
    {1107, "Cannot record: the programme is copy-protected. Live TV goes on."},
    {1108, "This card's own encoder records MPEG only: choose an MPEG, AVI or disc format for it."},
    {2000, "Insert item is not allowed. It might be some conflicts occured, please assign new "
           "item."},
    {2001, "No item should do modify"},
    {2002, "This item cannot be edited..."},
    {2003, "New Edit item is not allowed. It might be some conflicts occured, please assign new "
           "one."},
    {2004, "Cannot accept this item, starting time is too early than now..."},
    {2005, "No duration"},
    {2006, "Scheduled agent setting file is corrupted..."},
    {2007, "You still have item(s) for scheduled recording, Exit now?"},
    {2008, "You have at least one scheduled item will be started within 3 miniutes, it doesn't "
           "suggest to turn power off now."},
    {2009, "Cannot set TV Video standard, please verify your TV video system again."},
    {2010, "Since your TV frequency table is modified by different TV system, you should execute "
           "TV-Setup agagin to set new TV system."},
};

bool gWarningOpen = false;

bool gWarningsLogged = false;

void ShowLines(const QStringList& lines) {
  if (gWarningsLogged) {
    qWarning("%s", qPrintable(lines.join(' ')));
    return;
  }
  // A warning raised while one is open (a timer, a posted message) is dropped, not queued.
  if (gWarningOpen) return;
  gWarningOpen = true;
  platform::Dialogs().ShowWarning(lines);
  gWarningOpen = false;
}

}  // namespace

QString BuiltInErrorMessage(int code) {
  for (const ErrorText& e : kErrors) {
    if (e.code == code) return QString::fromLatin1(e.text);
  }
  return {};
}

QString GetErrorMessage(int code) {
  if (MultiLangInfo) {
    // The key is the code without sign or leading zeros.
    const QString translated = MultiLangInfo->LookupCaption(QString::number(code < 0 ? -code : code));
    if (!translated.isEmpty()) return translated;
  }
  return BuiltInErrorMessage(code);
}

void ShowErrorCode(int code, int secondCode) {
  QStringList lines{GetErrorMessage(code)};
  if (secondCode > 0) lines << GetErrorMessage(secondCode);
  ShowLines(lines);
}

void ShowErrorText(const QString& text) { ShowLines({text}); }

void CloseWarning() {
  if (gWarningOpen) platform::Dialogs().CloseWarning();
}

bool IsWarningOpen() { return gWarningOpen; }

void LogWarningsOnly(bool logged) { gWarningsLogged = logged; }

}  // namespace pvx::settings
