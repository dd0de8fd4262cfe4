#include "util/StandardOptions.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace pvx::util {

std::string_view VersionNumber() { return PVX_VERSION; }

std::string_view BuildDate() { return PVX_BUILD_DATE; }

std::string VersionLine(std::string_view program) {
  return std::string(program) + " " PVX_VERSION " (built " PVX_BUILD_DATE ")";
}

std::optional<int> AnswerStandardOptions(int argc, const char* const* argv, std::string_view program,
                                         std::string_view usage, std::initializer_list<std::string_view> own) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i];
    if (word == "--help" || word == "-h") {
      std::fwrite(usage.data(), 1, usage.size(), stdout);
      return 0;
    }
    if (word == "--version") {
      std::printf("%s\n", VersionLine(program).c_str());
      return 0;
    }
    // "-style=fusion" is the option "-style".
    const std::string_view option = word.substr(0, word.find('='));
    // "-" alone and "-5" are words.
    const bool isOption = word.size() > 1 && word[0] == '-' && (std::isalpha(static_cast<unsigned char>(word[1])) || word[1] == '-');
    if (isOption && std::find(own.begin(), own.end(), option) == own.end()) {
      std::fprintf(stderr, "%.*s: unknown option %.*s\n", int(program.size()), program.data(), int(word.size()),
                   word.data());
      std::fwrite(usage.data(), 1, usage.size(), stderr);
      return kUsageStatus;
    }
  }
  return std::nullopt;
}

}  // namespace pvx::util
