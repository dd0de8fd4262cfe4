#pragma once
// The program's sound as it plays, for the home server's streams: every sound output carries a
// branch that hands its samples to the one listener, before the local volume and mute.

#include <QByteArray>
#include <functional>

typedef struct _GstElement GstElement;

namespace pvx::platform::video {

// Interleaved signed 16-bit stereo at kTapRate Hz, called on a streaming thread at the moment
// the samples play. An empty function removes the listener.
using TSoundListener = std::function<void(const QByteArray& s16Stereo, int rate)>;
void SetSoundListener(TSoundListener listener);

inline constexpr int kTapRate = 48000;

// The branch to add to a sound bin that has a tee named "split" ahead of its volume.
extern const char* const kSoundTapBranch;
// Connects the branch's sink in `bin` to the listener.
void ConnectSoundTap(GstElement* bin);

}  // namespace pvx::platform::video
