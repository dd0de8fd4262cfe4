#pragma once
// FM radio: the mode switch's FM steps (the tuner between TV and FM with its mute and waits),
// entering and leaving FM with the panels and the main window, seek, frequency steps, and the
// FM state kept at exit.

#include <QPoint>
#include <QSize>

#include "settings/MainInfo.h"

namespace pvx::app {

struct TShell;

// The mode switch's enter steps: amFMRadio, and amTV coming back from it.
bool EnterFMRadioMode(TShell& shell, settings::TAppMode from);
bool ReturnToTVFromFM(TShell& shell);

// From live TV to FM radio (FM panel up, main window hidden), and back with the TV source.
void EnterFM(TShell& shell);
void LeaveFM(TShell& shell);
// The same band switch for a scheduled recording that is ending: its mode stays until the
// mode switch that ends it.
bool SwitchBandUnderRecording(TShell& shell, bool toFM);

// One FM frequency step up or down.
void FMStep(TShell& shell, bool up);

// Exit from FM radio: the channel tables keep the TV source and channel to come back to, and
// the FM memory listened to.
void KeepFMStateForExit(TShell& shell);

// Where the FM panel goes when the program starts in FM radio: beside where the main window
// would stand, or at the screen's right edge when there is no room.
QPoint FMPanelStartPosition(QSize screen, QSize mainWindow, QSize panel);

}  // namespace pvx::app
