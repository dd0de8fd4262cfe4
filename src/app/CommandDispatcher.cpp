#include "app/CommandDispatcher.h"

namespace pvx::app {

using namespace pvx::settings;

namespace {

struct CodeGate {
  int code;
  Gate gate;
};

// Codes without an entry run always (Exit, Minimise, Help ...).
constexpr CodeGate kGates[] = {
    {3, Gate::NotFM},           {7, Gate::TVIdleOrFM},
    {8, Gate::TunerIdleOrChannelPreview},
    {9, Gate::TunerIdle},       {12, Gate::TVIdleOrFM},      {14, Gate::NotFM},
    {200, Gate::TVIdle},        {201, Gate::TVIdle},         {202, Gate::TVIdle},
    {203, Gate::TVIdle},        {204, Gate::TVIdle},         {205, Gate::TVIdle},
    {206, Gate::TVIdle},        {300, Gate::TunerOrPIP},     {1000, Gate::TVIdleOrPlaying},
    {1001, Gate::TVIdleOrFM},   {1002, Gate::NotLiveOrPreviewOrFM},
    {1003, Gate::Playing},      {1004, Gate::Playing},       {1005, Gate::Playing},
    {1006, Gate::Playing},      {1007, Gate::Playing},       {2000, Gate::TimeShifting},
    {2001, Gate::RealScreen},   {3000, Gate::Play},          {3001, Gate::PlayGivenFile},
    {4001, Gate::FMOrTunerOrPIP}, {4002, Gate::FMOrTunerOrPIP}, {4003, Gate::FMOrTunerOrPIP},
    {4004, Gate::Scan},         {4005, Gate::MemoriseChannel}, {5001, Gate::ChannelPreview},
    {5002, Gate::ChannelPreviewOrFM}, {5003, Gate::ChannelPreviewOrFM},
    {6000, Gate::TVIdleOrFM},   {6001, Gate::FM},            {6002, Gate::FM},
    {6003, Gate::FM},           {6004, Gate::FM},            {6005, Gate::FM},
    {10010, Gate::TunerOrPIP},  {10011, Gate::TunerOrPIP},   {10012, Gate::TunerOrPIP},
    {10020, Gate::FMOrTunerOrPIP}, {10100, Gate::TunerOrPIP},
};

}  // namespace

Gate GateOf(int code) {
  if (code >= 10000 && code <= 10009) return Gate::FMOrTunerOrPIP;
  for (const CodeGate& g : kGates)
    if (g.code == code) return g.gate;
  return Gate::Always;
}

bool Allowed(int code, const TDispatchState& s) {
  const bool tvIdle = s.Mode == amTV && !s.Scanning;
  const bool tunerIdle = tvIdle && s.VideoSource == 0;
  const bool pipPlaying = s.PIPEnabled && s.PlayerExists;
  const bool tunerOrPIP = tunerIdle || pipPlaying;
  const bool playing = s.Mode == amPlayback || s.Mode == amTimeShiftPlayback;
  const bool fm = s.Mode == amFMRadio;
  switch (GateOf(code)) {
    case Gate::Always: return true;
    case Gate::NotFM: return !fm;
    case Gate::TVIdleOrFM: return tvIdle || fm;
    case Gate::TunerIdle: return tunerIdle;
    case Gate::TunerIdleOrChannelPreview: return tunerIdle || s.Mode == amChannelPreview;
    case Gate::TVIdle: return tvIdle;
    case Gate::TunerOrPIP: return tunerOrPIP;
    case Gate::TVIdleOrPlaying: return tvIdle || playing;
    case Gate::NotLiveOrPreviewOrFM:
      return s.Mode != amTV && s.Mode != amChannelPreview && s.Mode != amFMRadio;
    case Gate::Playing: return playing;
    case Gate::TimeShifting: return s.TimeShiftEnabled && s.ChipFamily != 5 && tvIdle;
    case Gate::RealScreen: return s.Mode == amTimeShifting || s.Mode == amTimeShiftPlayback;
    case Gate::Play:
      return tvIdle || fm || playing || (s.Mode == amTimeShifting && s.TimeShiftReady);
    case Gate::PlayGivenFile: return tvIdle || fm || s.PlayerExists;
    case Gate::FMOrTunerOrPIP: return fm || tunerOrPIP;
    case Gate::Scan: return tunerIdle || s.Scanning;
    case Gate::MemoriseChannel: return tunerOrPIP && (s.TunerMode == 0 || s.TunerMode == 1);
    case Gate::ChannelPreview: return s.Mode == amChannelPreview;
    case Gate::ChannelPreviewOrFM: return s.Mode == amChannelPreview || fm;
    case Gate::FM: return fm;
  }
  return false;
}

bool TCommandDispatcher::ExecuteCommand(int code) {
  // Operations wait with the event loop running (tuning, scans); a command arriving then is
  // queued and run after the current one, against the state of that moment. Running it inside
  // would nest tunings, or free the objects a waiting operation still uses on Exit.
  if (closed_) return false;
  if (running_) {
    pending_.push_back([this, code] { Run(code); });
    return true;
  }
  const bool ran = Run(code);
  Drain();
  return ran;
}

bool TCommandDispatcher::ExecuteNext(int code) {
  if (closed_) return false;
  if (running_) {
    pending_.push_front([this, code] { Run(code); });
    return true;
  }
  return ExecuteCommand(code);
}

void TCommandDispatcher::RunNext(std::function<void()> work) {
  if (closed_) return;
  if (!running_) {
    work();
    Drain();
    return;
  }
  pending_.push_front(std::move(work));
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

bool TCommandDispatcher::Run(int code) {
  if (closed_) return false;
  const TDispatchState state = State ? State() : TDispatchState{};
  if (!Allowed(code, state)) return false;
  auto it = actions_.find(code);
  if (it == actions_.end() || !it->second) return false;
  const bool outer = !running_;
  running_ = true;
  it->second();
  if (outer) running_ = false;
  return true;
}

}  // namespace pvx::app
