#pragma once
// The command lines of tvtime-command and xawtv-remote, where they have a counterpart here, so
// that remote-control set-ups (LIRC's irexec lines) made for those programs carry over:
//   CHANNEL_INC CHANNEL_DEC CHANNEL_PREV MIXER_UP MIXER_DOWN TOGGLE_FULLSCREEN ... (any case)
//   setstation N | next | prev | back,  volume inc | dec | mute,  snap,  quit

#include <optional>
#include <string>
#include <vector>

namespace pvx::remote {

// Our command words for `args`: foreign verbs replaced, every other word kept as it is. Nothing
// when a foreign form is incomplete or asks what has no counterpart ("setstation" alone,
// "volume 50").
std::optional<std::vector<std::string>> TranslateRemoteVerbs(const std::vector<std::string>& args);

}  // namespace pvx::remote
