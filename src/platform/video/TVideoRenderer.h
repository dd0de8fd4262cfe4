#pragma once
// The "Video Renderer" component: raw video in, handed as it came to its TVideoWindow, which
// converts the latest frame on the UI thread straight into what it paints.

#include <QImage>
#include <QPointer>
#include <QSize>
#include <atomic>
#include <memory>
#include <mutex>

#include "platform/graph/TFilter.h"
#include "platform/video/TVideoWindow.h"
#include "platform/video/FrameToImage.h"

class QObject;
typedef struct _GstAppSink GstAppSink;
typedef struct _GstSample GstSample;

namespace pvx::platform::video {

class TVideoRenderer final : public graph::TFilter, public IVideoWindowSource {
 public:
  TVideoRenderer();
  ~TVideoRenderer() override;

  // Created on first use, parentless and hidden; the renderer deletes it when it goes.
  TVideoWindow* Window();
  IVideoWindow* VideoWindow() override { return Window(); }

  // Frames that reached the sink since construction (not counting the paused preview).
  quint64 FramesRendered() const { return framesRendered_.load(); }
  // A copy of the latest frame (Format_RGB32); null before the first one.
  QImage LastFrame() const;
  QSize FrameSize() const;

 private:
  static int OnNewSample(GstAppSink* sink, void* self);
  static int OnNewPreroll(GstAppSink* sink, void* self);
  int Present(GstSample* sample, bool counts);
  void RequestRepaint();

  GstElement* sink_ = nullptr;  // owned by the bin
  mutable std::mutex frameMutex_;
  TRawFrame frame_;
  quint64 frameSerial_ = 0;
  // frame_ as an image, made when asked for.
  mutable QImage image_;
  mutable quint64 imageSerial_ = 0;
  std::atomic<quint64> framesRendered_{0};
  std::atomic<bool> repaintPending_{false};
  // Receiver of the queued repaints; destroyed with the renderer, so late ones are dropped.
  std::unique_ptr<QObject> context_;
  QPointer<TVideoWindow> window_;
};

}  // namespace pvx::platform::video
