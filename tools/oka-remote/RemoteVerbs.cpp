#include "RemoteVerbs.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>

namespace pvx::remote {
namespace {

// tvtime's verbs whose own spelling is not one of our names or aliases already (TOGGLE_MUTE,
// SCREENSHOT, QUIT, VOLUME_UP and VOLUME_DOWN are).
constexpr std::pair<std::string_view, std::string_view> kTvtimeVerbs[] = {
    {"channel-inc", "next-channel"},          {"channel-dec", "previous-channel"},
    {"channel-prev", "recall-channel"},       {"channel-jump", "recall-channel"},
    {"mixer-up", "volume-up"},                {"mixer-down", "volume-down"},
    {"mixer-toggle-mute", "mute"},            {"toggle-fullscreen", "full-screen"},
};

// Lower case, "_" as "-", as our names compare.
std::string Folded(std::string word) {
  for (char& c : word) c = c == '_' ? '-' : char(std::tolower(static_cast<unsigned char>(c)));
  return word;
}

bool AllDigits(const std::string& s) {
  return !s.empty() && s.size() <= 3 && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

// xawtv-remote's lines: one verb and its argument.
std::optional<std::vector<std::string>> Xawtv(const std::string& verb, const std::vector<std::string>& args) {
  const std::string arg = args.size() == 2 ? Folded(args[1]) : std::string();
  if (verb == "snap" && args.size() == 1) return std::vector<std::string>{"snapshot"};
  if (verb == "volume") {
    if (arg == "inc") return std::vector<std::string>{"volume-up"};
    if (arg == "dec") return std::vector<std::string>{"volume-down"};
    if (arg == "mute" || arg == "toggle") return std::vector<std::string>{"mute"};
    return std::nullopt;
  }
  // setstation: a channel number typed and entered, or a step.
  if (arg == "next") return std::vector<std::string>{"next-channel"};
  if (arg == "prev") return std::vector<std::string>{"previous-channel"};
  if (arg == "back") return std::vector<std::string>{"recall-channel"};
  if (!AllDigits(arg)) return std::nullopt;
  std::vector<std::string> words;
  for (char digit : arg) words.push_back(std::string("digit-") + digit);
  words.push_back("enter");
  return words;
}

}  // namespace

std::optional<std::vector<std::string>> TranslateRemoteVerbs(const std::vector<std::string>& args) {
  const std::string first = args.empty() ? std::string() : Folded(args.front());
  if (first == "setstation" || first == "volume" || first == "snap") return Xawtv(first, args);
  std::vector<std::string> words;
  for (const std::string& word : args) {
    const std::string folded = Folded(word);
    const auto* verb = std::find_if(std::begin(kTvtimeVerbs), std::end(kTvtimeVerbs),
                                    [&](const auto& v) { return v.first == folded; });
    words.push_back(verb != std::end(kTvtimeVerbs) ? std::string(verb->second) : word);
  }
  return words;
}

}  // namespace pvx::remote
