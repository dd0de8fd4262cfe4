#pragma once
// Version checks, power-off and the TV guide.

#include <QString>

namespace pvx::util {

inline constexpr const char* kTVGuideAddress = "https://www.tvguide.com/listings/";

// The media-framework level: 9 when every component the program needs is present, else 0.
int DirectXVersion();
// 2: the program runs on a system with every facility it uses.
int WindowsVersionClass();
// The program's version formatted with a printf format taking four integers
// ("%d.%d.%d.%d"); empty when the file does not exist.
QString FileVersionText(const QString& file, const char* format);
// Powers the computer off; false when the system refused.
bool PowerOff();
// Opens the TV-guide web page.
void OpenTVGuide();

}  // namespace pvx::util
