#pragma once
// Choosing the video source: a tuner mode (antenna, cable, memory) or an input.

namespace pvx::app {

struct TShell;

enum class TSourceChoice { Antenna, Cable, Memory, AntennaOrCable, Composite, SVideo, Camera };

void SelectSource(TShell& shell, TSourceChoice choice);
// The source stored in the channel tables, as the last run left it (its channel tuned).
void RestoreLastSource(TShell& shell);

}  // namespace pvx::app
