#pragma once
// The program's start and exit: creation of the process-wide objects in their fixed order,
// the media-framework check, the splash, languages and the main settings, and the exit
// sequence that writes the settings back.

#include <QString>

namespace pvx::util {
class TOEMInfo;
}

namespace pvx::app {

class TFormLogo;

extern util::TOEMInfo* OEMInfo;

// Phase 1 of start-up. False means the program must end (the user was told why).
bool InitializeApplication();

// The exit sequence: writes QDVCR.cfg and frees what start-up created. Runs once; later calls
// do nothing.
void ShutdownApplication();

void CloseLogo();

// The path of QDVCR.cfg in the program folder.
QString MainSettingsPath();

}  // namespace pvx::app
