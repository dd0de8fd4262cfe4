#pragma once
// The options every program of the suite answers alike, before it opens a window or a socket:
// --help (or -h) prints the usage and --version the version and build date on the standard
// output, with exit status 0; an unknown option prints the usage on the error output, with
// status 2.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace pvx::util {

inline constexpr int kUsageStatus = 2;

// "1.0.0" and "2026-12-08".
std::string_view VersionNumber();
std::string_view BuildDate();
// "oka-pvx 1.0.0 (built 2026-12-08)".
std::string VersionLine(std::string_view program);

// The exit status when the command line asked for one of the above; nothing when the program
// goes on. Words (also "-" and "-5") and the options in `own` (also as "-option=value") are
// the program's.
std::optional<int> AnswerStandardOptions(int argc, const char* const* argv, std::string_view program,
                                         std::string_view usage, std::initializer_list<std::string_view> own = {});

}  // namespace pvx::util
