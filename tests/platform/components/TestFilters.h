#pragma once
// Filters the platform tests build graphs from: live test sources and a sink that counts and
// keeps what reaches it.

#include <atomic>
#include <memory>
#include <mutex>

#include "platform/graph/TFilter.h"
#include "support/TestEnvironment.h"

namespace pvx::test {

// A bin from a description whose last element is named "out", ghosted as the output "Capture".
class TTestSource final : public platform::graph::TFilter {
 public:
  TTestSource(const QString& description, platform::graph::MediaMajor major);
};

// A live 30 fps videotestsrc of that raw format ("YUY2", "UYVY", "BGR" ...) and pattern;
// `extraCaps` is appended to the caps, e.g. ",interlace-mode=interleaved". With `frames`, that
// many pictures as fast as they are taken instead, as from a file.
std::shared_ptr<TTestSource> VideoSource(const char* format, const char* pattern = "smpte",
                                         int width = 320, int height = 240,
                                         const char* extraCaps = "", int frames = 0);
std::shared_ptr<TTestSource> AudioSource();
// Live video encoded by `encoder` (a description), delivered as a stream.
std::shared_ptr<TTestSource> EncodedSource(const char* encoder, int width, int height);

// An appsink that counts and keeps what reaches its pin "Input".
class TTestSink final : public platform::graph::TFilter {
 public:
  explicit TTestSink(platform::graph::MediaMajor major = platform::graph::MediaMajor::Video);

  int Frames() const { return frames_; }
  // The last frame: its caps as text and as a media type, and its bytes.
  struct TFrame {
    QString caps;
    platform::graph::TMediaType type;
    QByteArray bytes;
  };
  TFrame Last() const { std::lock_guard lock(mutex_); return last_; }

 private:
  static int OnSample(void* appsink, void* self);
  std::atomic<int> frames_{0};
  mutable std::mutex mutex_;
  TFrame last_;
};

}  // namespace pvx::test
