#pragma once
// A log line for every window that opens (category pvx.windows, off unless asked for with
// QT_LOGGING_RULES="pvx.windows.info=true"): which dialog is in front of a person, for a support
// request or a run that drives the program from outside.

class QCoreApplication;

namespace pvx::app {

void LogOpenedWindows(QCoreApplication& app);

}  // namespace pvx::app
