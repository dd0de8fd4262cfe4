#include "platform/devices/virtual/LineInMonitor.h"

#include <gst/gst.h>

#include "platform/devices/virtual/VirtualDeviceProvider.h"
#include "platform/devices/virtual/VirtualSound.h"
#include "platform/graph/GstPtr.h"
#include "platform/video/SoundTap.h"
#include "platform/video/TAudioRenderer.h"

namespace pvx::platform::devices {

TLineInMonitor::TLineInMonitor() = default;

TLineInMonitor::~TLineInMonitor() { Stop(); }

void TLineInMonitor::SetLevel(double volume, bool muted) {
  const bool audible = volume > 0 && !muted;
  if (!audible) {
    Stop();
    return;
  }
  if (!pipeline_) Start();
  if (volume_) g_object_set(volume_.get(), "volume", qBound(0.0, volume, 1.0), nullptr);
}

void TLineInMonitor::Start() {
  const char* sink = video::SoundOutputAvailable() ? "autoaudiosink" : "fakesink sync=true";
  const QByteArray description =
      QByteArray("audiotestsrc name=src is-live=true samplesperbuffer=960 ! tee name=split split. ! queue "
                 "! volume name=level ! audioconvert ! audioresample ! ") + sink + video::kSoundTapBranch;
  GstElement* bin = graph::MakeBin(description.constData(), "line-in-monitor");
  if (!bin) return;
  video::ConnectSoundTap(bin);
  // A pipeline of its own, outside every graph: it stands for analogue wiring.
  pipeline_ = graph::Adopt(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("line-in"))));
  gst_bin_add(GST_BIN(pipeline_.get()), bin);
  source_ = graph::ChildByName(pipeline_.get(), "src");
  sound_ = AnimateSound(source_.get());
  volume_ = graph::ChildByName(pipeline_.get(), "level");
  card_ = DefaultVirtualCard();
  subscription_ = card_->Subscribe([this] { Follow(); });
  Follow();
  gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING);
}

void TLineInMonitor::Stop() {
  if (!pipeline_) return;
  gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
  if (card_) card_->Unsubscribe(subscription_);
  card_.reset();
  source_.reset();
  if (sound_) sound_->Rest();
  sound_.reset();
  volume_.reset();
  pipeline_.reset();
}

void TLineInMonitor::Follow() {
  if (source_ && card_) ApplySound(source_.get(), *card_, card_->LineOut(), sound_.get());
}

}  // namespace pvx::platform::devices
