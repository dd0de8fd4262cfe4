#pragma once
// A logout, `kill` or Ctrl+C ends the program through its normal exit, so a recording is
// closed and the settings are written instead of being lost.

#include <functional>

namespace pvx::platform {

// From now on SIGTERM, SIGINT and SIGHUP call `onSignal` on the GUI thread (once per signal
// delivered). Call once, after the application object exists.
void HandleTerminationSignals(std::function<void()> onSignal);

}  // namespace pvx::platform
