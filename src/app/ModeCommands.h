#pragma once
// The application modes: the commands that switch them, the mode switch's leave and enter
// steps, and the window messages that change the mode (FM, the scheduler's recording).

namespace pvx::app {

struct TShell;

// The leave and enter steps of MainInfo's mode switch.
void InstallModeSwitch(TShell& shell);
// Stop: back to FM radio when its panel shows, else to live TV.
void StopRecordingMode(TShell& shell);
// The scheduler asks for its recording; refused unless watching TV or listening to FM.
void ScheduledStart(TShell& shell);

}  // namespace pvx::app
