#pragma once
// Names and numbers that this program and its peers (the scheduler, oka-remote, a second
// instance) agree on when they address each other's message endpoints.

#include <QtGlobal>

namespace pvx::platform::ipc {

// Window classes: each names the endpoint of one addressable window.
inline constexpr char kMainWindowClass[] = "OKA_PVX";
inline constexpr char kSchedulerWindowClass[] = "OKA_TV_SCHEDULED_RECORD";

// Name of the single-instance lock and of the activation message.
inline constexpr char kInstanceName[] = "OKA_TV_MUTEX";

// To the main window.
inline constexpr quint32 kMsgCommand = 3024;         // wParam = command code
inline constexpr quint32 kMsgScheduledStart = 3025;  // start the recording of Relay.rec
inline constexpr quint32 kMsgLeaveFM = 3037;
inline constexpr quint32 kMsgEnterFM = 3038;
// The "registered" activation message a second instance sends. Registered numbers lie in
// 0xC000..0xFFFF, so it can never collide with the fixed numbers above.
inline constexpr quint32 kMsgActivate = 0xC0A1;

// To the scheduler window.
inline constexpr quint32 kMsgLanguageChanged = 3026;    // sent
inline constexpr quint32 kMsgShowScheduler = 3027;      // posted
inline constexpr quint32 kMsgScheduledStatus = 3028;    // wParam = one of kScheduled*
inline constexpr quint32 kMsgSleepTimerExpired = 3035;  // posted

// wParam values of kMsgScheduledStatus.
inline constexpr qint32 kScheduledDiskFull = 2;
inline constexpr qint32 kScheduledStartRefused = 3;
inline constexpr qint32 kScheduledSourceUnavailable = 4;
inline constexpr qint32 kScheduledRecordingEnded = 100;

}  // namespace pvx::platform::ipc
