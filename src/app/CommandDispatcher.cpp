#include "app/CommandDispatcher.h"

#include <QLoggingCategory>

namespace pvx::app {
namespace {

// What became of each command; QT_LOGGING_RULES="pvx.commands.debug=true" shows it.
Q_LOGGING_CATEGORY(lcCommands, "pvx.commands", QtInfoMsg)

constexpr const char* kResultNames[] = {"ran", "queued", "refused by its gate", "has no handler",
                                        "came while closing"};
static_assert(std::size(kResultNames) == size_t(TCommandResult::Closed) + 1);

}  // namespace

bool TCommandDispatcher::Has(commands::TCommand code) const {
  auto it = handlers_.find(code);
  return it != handlers_.end() && it->second.run;
}

std::vector<commands::TCommand> TCommandDispatcher::MissingHandlers() const {
  std::vector<commands::TCommand> missing;
  for (const commands::TCommandDef& c : commands::CommandTable())
    if (!Has(c.code)) missing.push_back(c.code);
  return missing;
}

QString TCommandDispatcher::UnavailableReason(commands::TCommand code) const {
  auto it = reasons_.find(code);
  return it != reasons_.end() ? it->second : QString();
}

TCommandResult TCommandDispatcher::ExecuteCommand(int code) {
  const commands::TCommandDef* def = commands::FindCommand(code);
  return def ? ExecuteCommand(def->code) : TCommandResult::Unhandled;
}

TCommandResult TCommandDispatcher::Execute(commands::TCommand code, bool ahead) {
  if (closed_) return Report(code, TCommandResult::Closed);
  if (!running_) {
    const TCommandResult result = Run(code);
    Drain();
    return result;
  }
  // Operations wait with the event loop running (tuning, scans); a command arriving then runs
  // after the current one, against the state of that moment. Running it inside would nest
  // tunings, or free the objects a waiting operation still uses on Exit.
  const bool atOnce = commands::FindCommand(code).flags & commands::kActsAtOnce;
  if (atOnce) {
    auto it = handlers_.find(code);
    const bool open = GateOpen(commands::FindCommand(code).gate, State ? State() : TDispatchState{});
    if (open && it != handlers_.end() && it->second.atOnce && it->second.atOnce())
      return Report(code, TCommandResult::Ran);
  }
  Enqueue([this, code] { Run(code); }, ahead);
  return Report(code, TCommandResult::Queued);
}

void TCommandDispatcher::Enqueue(std::function<void()> work, bool first) {
  if (closed_) return;
  if (!running_) {
    running_ = true;
    work();
    running_ = false;
    Drain();
    return;
  }
  if (interrupt_) interrupt_();
  if (first)
    pending_.push_front(std::move(work));
  else
    pending_.push_back(std::move(work));
}

void TCommandDispatcher::Drain() {
  while (!pending_.empty() && !running_) {
    auto next = std::move(pending_.front());
    pending_.pop_front();
    running_ = true;
    next();
    running_ = false;
  }
}

TCommandResult TCommandDispatcher::Run(commands::TCommand code) {
  if (closed_) return Report(code, TCommandResult::Closed);
  if (!GateOpen(commands::FindCommand(code).gate, State ? State() : TDispatchState{}))
    return Report(code, TCommandResult::Refused);
  if (!Has(code)) return Report(code, TCommandResult::Unhandled);
  const bool outer = !running_;
  running_ = true;
  handlers_[code].run();
  if (outer) running_ = false;
  return Report(code, TCommandResult::Ran);
}

TCommandResult TCommandDispatcher::Report(commands::TCommand code, TCommandResult result) {
  const std::string_view name = commands::FindCommand(code).name;
  qCDebug(lcCommands, "%.*s %s", int(name.size()), name.data(), kResultNames[int(result)]);
  if (OnCommand) OnCommand(code, result);
  return result;
}

}  // namespace pvx::app
