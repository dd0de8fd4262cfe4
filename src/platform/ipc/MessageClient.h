#pragma once
// Addressing another window's message endpoint by its window class. Every call is bounded in
// time and blocks without running the event loop, so no handler of this process runs meanwhile;
// a window therefore never messages its own endpoint (it queues events to itself instead).

#include <QString>
#include <optional>
#include <vector>

#include "platform/ipc/MessageFraming.h"

namespace pvx::platform::ipc {

// True when an endpoint for the class accepts a connection.
bool FindWindow(const QString& windowClass, int timeoutMs = 500);

// Hands the message to the endpoint without waiting for it to be handled. False when no
// endpoint is there or the bytes could not be written in time.
bool PostMessage(const QString& windowClass, quint32 msg, qint32 wParam, qint32 lParam,
                 int timeoutMs = 1000);
// Several messages over one connection, handled in this order.
bool PostMessages(const QString& windowClass, const std::vector<TMessage>& messages,
                  int timeoutMs = 1000);

// Waits at most timeoutMs for the handler's result; nothing when there is no endpoint, it drops
// the message, or it does not answer in time.
std::optional<qint32> SendMessage(const QString& windowClass, quint32 msg, qint32 wParam,
                                  qint32 lParam, int timeoutMs = 2000);

}  // namespace pvx::platform::ipc
