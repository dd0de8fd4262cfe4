#pragma once
// Checks that the media framework starts and has every component the program builds graphs from.

#include <QStringList>

namespace pvx::platform {

// The element factories the program needs; later features add theirs here.
QStringList RequiredMediaElements();

// Initialises the framework (once) and returns the names from `required` it cannot create.
// A framework that fails to start reports "gstreamer" itself as missing.
QStringList MissingMediaElements(const QStringList& required);

}  // namespace pvx::platform
