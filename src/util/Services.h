#pragma once
// Version checks, power-off and the TV guide.

#include <QString>

namespace pvx::util {

inline constexpr const char* kTVGuideAddress = "https://www.tvguide.com/listings/";

// The media-framework level: 9 when every component the program needs is present, else 0.
int DirectXVersion();
// 2: the program runs on a system with every facility it uses.
int WindowsVersionClass();
// The version a build of this program carries, read from the file named and formatted with a
// printf format taking four integers ("%d.%d.%d.%d"); empty when the file is missing,
// unreadable or carries no version.
QString FileVersionText(const QString& file, const char* format);
// What every build of the program carries before its "major.minor.release.build".
inline constexpr char kVersionMarkerPrefix[] = "\x7fOKA-PVX-VERSION:";
// Powers the computer off; false when the system refused.
bool PowerOff();
// Opens the TV-guide web page.
void OpenTVGuide();

}  // namespace pvx::util
