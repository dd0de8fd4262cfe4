// Scheduled: the scheduler companion of oka-pvx. With a command it does that and ends; alone
// (or with "srec_tv", as the program starts it) it shows the timetable and keeps running.

#include <QApplication>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

#include "CommandLine.h"
#include "HandOver.h"
#include "ScheduledWindow.h"
#include "SchedulerAgent.h"
#include "platform/DialogService.h"
#include "platform/ProgramFolder.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"
#include "settings/CountryInfo.h"
#include "settings/Globals.h"
#include "settings/MainSettingsFile.h"
#include "settings/MultiLangInfo.h"
#include "util/StandardOptions.h"

using namespace pvx;
using namespace pvx::scheduled;
namespace ipc = pvx::platform::ipc;

namespace {

constexpr char kUsage[] =
    "Usage: Scheduled                  show the timetable and record its entries on time\n"
    "       Scheduled --add \"START\" DURATION SOURCE CHANNEL [FORMAT]\n"
    "       Scheduled --list | --remove ID | --fire ID | --import-xmltv FILE [TITLE]\n"
    "       Scheduled --help | --version\n"
    "\n"
    "The scheduler of OKA PVX: it hands each entry to the program when it is due, starting\n"
    "the program if need be; systemd user timers fire entries while it does not run.\n"
    "\n"
    "  START     \"YYYY-MM-DD HH:MM[:SS]\", local time\n"
    "  DURATION  minutes (\"45\"), \"90s\", \"1h30m\" or \"1:30:00\"\n"
    "  SOURCE    antenna, cable, memory, composite, svideo or fm (or 0-5)\n"
    "  CHANNEL   a channel number or name of that source\n"
    "  FORMAT    a recording format's number or name (default MPEG 2), see the window;\n"
    "            quote a name with spaces: \"Matroska (HEVC)\"\n"
    "\n"
    "Exit status: 0 done, 1 refused or failed (the reason on the error output), 2 bad\n"
    "command line.\n";

// Without a window, warnings go to the error stream.
class TStreamDialogs final : public platform::IDialogService {
 public:
  platform::MsgResult MessageBox(const QString& text, const QString&, platform::MsgButtons) override {
    ShowWarning({text});
    return platform::MsgResult::Cancel;
  }
  void ShowWarning(const QStringList& lines) override {
    QTextStream(stderr) << lines.join(' ') << Qt::endl;
  }
  void CloseWarning() override {}
  QString BrowseFolder(const QString&, const QString&) override { return {}; }
};

bool WantsWindow(int argc, char** argv) {
  const QString first = argc > 1 ? QString::fromLocal8Bit(argv[1]).toLower() : QString();
  return first.isEmpty() || first == "srec_tv" || first == "srec_fm";
}

// --fire from a timer: when no scheduler runs, stay to keep the program's answer as the
// entry's outcome, at most for the recording's length and a margin.
int AwaitOutcome(qint32 id) {
  TSchedulerAgent agent(TTimetable::DefaultPath());
  if (!agent.Listen()) return 0;  // the running scheduler keeps it
  TTimetable table;
  table.Load(TTimetable::DefaultPath());
  const TScheduleEntry* entry = table.Find(id);
  const int waitMs = ((entry ? entry->DurationSeconds : 0) + 180) * 1000;
  int code = 1;
  agent.OnOutcome = [&code](qint32, TOutcome outcome) {
    code = outcome == TOutcome::Recorded ? 0 : 1;
    if (outcome != TOutcome::Recorded)
      QTextStream(stderr) << "The recording ended: " << OutcomeText(outcome) << Qt::endl;
    QCoreApplication::exit(code);
  };
  QTimer::singleShot(waitMs, [] {
    QTextStream(stderr) << "No answer from oka-pvx." << Qt::endl;
    QCoreApplication::exit(1);
  });
  return QCoreApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
  if (const auto status = util::AnswerStandardOptions(
          argc, argv, "Scheduled", kUsage, {"--add", "--list", "--remove", "--fire", "--import-xmltv"}))
    return *status;
  const bool window = WantsWindow(argc, argv);
  std::unique_ptr<QCoreApplication> app(window ? new QApplication(argc, argv)
                                               : new QCoreApplication(argc, argv));
  QCoreApplication::setApplicationName("Scheduled");
  TStreamDialogs streamDialogs;
  if (!window) platform::SetDialogs(&streamDialogs);
  const TSystemd systemd = TSystemd::FromEnvironment(QCoreApplication::applicationFilePath());
  QTextStream out(stdout), err(stderr);
  const TCommandResult result =
      RunCommandLine(QCoreApplication::arguments().mid(1), systemd, out, err, QDateTime::currentDateTime());
  if (result.FiredId) return AwaitOutcome(result.FiredId);
  if (!result.OpenWindow) return result.ExitCode;

  // One scheduler per user: a second start shows the first one's window.
  if (ipc::PostMessage(ipc::kSchedulerWindowClass, ipc::kMsgShowScheduler, 0, 0)) return 0;
  QApplication::setQuitOnLastWindowClosed(false);
  // The window speaks the program's language: the one its settings keep, else the country's.
  settings::TMultiLangInfo language(settings::LanguageListPath());
  const settings::TCountryInfo country;
  language.SetLanguage(country.DefaultLanguage);
  const QString stored =
      settings::TMainSettingsFile::StoredLanguage(platform::ProgramFolder() + settings::TMainSettingsFile::kFileName);
  if (!stored.isEmpty()) language.SetLanguage(stored);
  settings::MultiLangInfo = &language;
  TSchedulerAgent agent(TTimetable::DefaultPath());
  if (!agent.Listen()) {
    err << "Cannot open the scheduler's message endpoint." << Qt::endl;
    return 1;
  }
  TFormScheduled form(TTimetable::DefaultPath(), systemd, agent);
  agent.OnShow = [&form] {
    form.Reload();
    form.showNormal();
    form.raise();
    form.activateWindow();
  };
  agent.SetFiring(!systemd.Available());
  form.show();
  const int code = QCoreApplication::exec();
  settings::MultiLangInfo = nullptr;
  return code;
}
