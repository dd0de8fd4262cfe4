#pragma once
// Registers the recording and playback components under the names the engine and the players
// look for.

namespace pvx::platform::graph {
class TComponentRegistry;
}

namespace pvx::platform::media {

void RegisterRecorderComponents(graph::TComponentRegistry& registry);

}  // namespace pvx::platform::media
