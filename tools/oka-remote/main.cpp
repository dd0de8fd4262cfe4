// oka-remote: drives a running OKA PVX from a shell, a script or a remote-control daemon by
// posting command messages to its main window's endpoint.

#include <QCoreApplication>
#include <QString>
#include <cstdio>
#include <string>
#include <vector>

#include "RemoteVerbs.h"
#include "commands/CommandTable.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"
#include "util/StandardOptions.h"

namespace {

namespace ipc = pvx::platform::ipc;

constexpr int kDelivered = 0;
constexpr int kBadCommandLine = 1;
constexpr int kNotRunning = 2;

constexpr char kUsage[] =
    "Usage: oka-remote COMMAND...\n"
    "       oka-remote --activate | --enter-fm | --leave-fm\n"
    "       oka-remote --list | --help | --version\n"
    "\n"
    "Sends commands to the running OKA PVX, in the order given.\n"
    "COMMAND is a command name or alias (case does not matter) or its numeric code,\n"
    "e.g. 'oka-remote next-channel', 'oka-remote 4001', 'oka-remote digit-1 digit-2 enter'.\n"
    "tvtime-command's verbs (CHANNEL_INC, CHANNEL_DEC, CHANNEL_PREV, MIXER_UP, VOLUME_DOWN,\n"
    "TOGGLE_MUTE, TOGGLE_FULLSCREEN, SCREENSHOT, QUIT) and xawtv-remote's lines ('setstation 12',\n"
    "'setstation next|prev|back', 'volume inc|dec|mute', 'snap', 'quit') work too.\n"
    "\n"
    "  --list       print every command: code, name, aliases, what it does\n"
    "  --activate   bring the program's window to the front\n"
    "  --enter-fm   switch to FM radio\n"
    "  --leave-fm   switch back from FM radio to TV\n"
    "  --help       print this text\n"
    "  --version    print the version and the build date\n"
    "\n"
    "Exit status: 0 delivered, 1 bad command line, 2 OKA PVX is not running.\n";

int Usage(FILE* out, int status) {
  std::fputs(kUsage, out);
  return status;
}

int List() {
  for (const pvx::commands::TCommandDef& c : pvx::commands::CommandTable()) {
    std::string aliases;
    for (std::string_view alias : c.aliases) {
      if (alias.empty()) continue;
      aliases += aliases.empty() ? "" : ", ";
      aliases += alias;
    }
    std::printf("%6d  %-22.*s %-40.*s %s\n", c.Code(), int(c.name.size()), c.name.data(),
                int(c.title.size()), c.title.data(), aliases.c_str());
  }
  return kDelivered;
}

int Deliver(bool delivered) {
  if (delivered) return kDelivered;
  std::fprintf(stderr, "oka-remote: OKA PVX is not running\n");
  return kNotRunning;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QString window = QString::fromLatin1(ipc::kMainWindowClass);
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage(stderr, kBadCommandLine);

  const std::string& first = args.front();
  if (first.starts_with("-")) {
    if (args.size() != 1) {
      std::fprintf(stderr, "oka-remote: %s takes no other arguments\n", first.c_str());
      return Usage(stderr, kBadCommandLine);
    }
    if (first == "--help" || first == "-h") return Usage(stdout, kDelivered);
    if (first == "--list") return List();
    if (first == "--version") {
      std::puts(pvx::util::VersionLine("oka-remote").c_str());
      return kDelivered;
    }
    // The running program answers activation only once it has come to the front.
    if (first == "--activate") {
      if (ipc::SendMessage(window, ipc::kMsgActivate, 0, 0)) return kDelivered;
      if (!ipc::FindWindow(window)) return Deliver(false);
      std::fprintf(stderr, "oka-remote: OKA PVX did not answer\n");
      return kNotRunning;
    }
    if (first == "--enter-fm") return Deliver(ipc::PostMessage(window, ipc::kMsgEnterFM, 0, 0));
    if (first == "--leave-fm") return Deliver(ipc::PostMessage(window, ipc::kMsgLeaveFM, 0, 0));
    std::fprintf(stderr, "oka-remote: unknown option %s\n", first.c_str());
    return Usage(stderr, kBadCommandLine);
  }

  // Every word is checked before anything is sent, so a typo never leaves half a sequence done.
  const std::optional<std::vector<std::string>> words = pvx::remote::TranslateRemoteVerbs(args);
  if (!words) {
    std::fprintf(stderr, "oka-remote: '%s' needs an argument this program has a counterpart for\n", first.c_str());
    return Usage(stderr, kBadCommandLine);
  }
  std::vector<ipc::TMessage> messages;
  for (const std::string& word : *words) {
    const std::optional<pvx::commands::TCommand> code = pvx::commands::ParseCommand(word);
    if (!code) {
      std::fprintf(stderr, "oka-remote: unknown command '%s' (see oka-remote --list)\n",
                   word.c_str());
      return kBadCommandLine;
    }
    messages.push_back({ipc::kMsgCommand, pvx::commands::CodeOf(*code), 0});
  }
  return Deliver(ipc::PostMessages(window, messages));
}
