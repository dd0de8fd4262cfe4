#pragma once
// The one dispatcher every user action reaches as a command: it tests the command's gate
// against the application's state and runs the handler registered for it. Keys, menus,
// panel buttons, command messages and the main window's other messages all end here.

#include <QString>
#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "app/CommandGate.h"
#include "commands/CommandTable.h"

namespace pvx::app {

enum class TCommandResult {
  Ran,
  Queued,     // another command waits; this one runs after it (gate checked then)
  Refused,    // the gate is closed
  Unhandled,  // no handler: an unknown code, or a command not available in this build
  Closed,     // the program is ending
};

class TCommandDispatcher {
 public:
  std::function<TDispatchState()> State;
  // Sees every command that reaches the dispatcher and what became of it.
  std::function<void(commands::TCommand, TCommandResult)> OnCommand;

  // The handler of a command; one per command, set by start-up.
  void Register(commands::TCommand code, std::function<void()> run) { handlers_[code].run = std::move(run); }
  // For a command flagged kActsAtOnce: what it does at once while another command waits (a
  // scan told to stop); true when that was all it had to do.
  void RegisterAtOnce(commands::TCommand code, std::function<bool()> atOnce) {
    handlers_[code].atOnce = std::move(atOnce);
  }
  // A command this build cannot carry out yet, and why.
  void Unavailable(commands::TCommand code, const QString& reason) { reasons_[code] = reason; }
  bool Has(commands::TCommand code) const;
  // The table's commands without a handler; start-up registers one for every row.
  std::vector<commands::TCommand> MissingHandlers() const;
  QString UnavailableReason(commands::TCommand code) const;

  // Runs the command when its gate allows it. Called while another command runs (it waits
  // with the event loop running), it is queued and runs when that one returns.
  TCommandResult ExecuteCommand(commands::TCommand code) { return Execute(code, false); }
  TCommandResult ExecuteCommand(int code);
  // As ExecuteCommand, but ahead of anything queued (an exit asked for by the system).
  TCommandResult ExecuteNext(commands::TCommand code) { return Execute(code, true); }
  bool Busy() const { return running_; }
  // Work that must follow the running command before anything queued (a typed channel
  // committed by it); runs at once when no command runs.
  void RunNext(std::function<void()> work) { Enqueue(std::move(work), true); }
  // Work that takes its turn like a command (a window message's action).
  void Post(std::function<void()> work) { Enqueue(std::move(work), false); }
  // A running command that gives way to anything arriving after it (an FM seek) says how to
  // end it; cleared when it returns.
  void SetInterrupt(std::function<void()> interrupt) { interrupt_ = std::move(interrupt); }
  // The program is ending: queued commands are dropped and new ones ignored.
  void Close() {
    closed_ = true;
    pending_.clear();
  }

 private:
  struct Handler {
    std::function<void()> run;
    std::function<bool()> atOnce;
  };
  TCommandResult Execute(commands::TCommand code, bool ahead);
  TCommandResult Run(commands::TCommand code);
  TCommandResult Report(commands::TCommand code, TCommandResult result);
  void Enqueue(std::function<void()> work, bool first);
  void Drain();

  std::map<commands::TCommand, Handler> handlers_;
  std::map<commands::TCommand, QString> reasons_;
  std::deque<std::function<void()>> pending_;
  std::function<void()> interrupt_;
  bool running_ = false;
  bool closed_ = false;
};

}  // namespace pvx::app
