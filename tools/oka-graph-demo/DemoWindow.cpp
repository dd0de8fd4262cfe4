#include "DemoWindow.h"

#include <QKeyEvent>
#include <QVBoxLayout>

#include "platform/BuiltinComponents.h"
#include "platform/components/SampleConversion.h"
#include "platform/devices/virtual/VirtualDeviceProvider.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/video/TVideoRenderer.h"
#include "platform/video/TVideoWindow.h"

namespace pvx::tools {

using namespace pvx::platform::graph;

namespace {

std::shared_ptr<TFilter> First(const TComponentRegistry& components, DeviceCategory category) {
  const auto devices = components.Enumerate(category);
  return devices.empty() ? nullptr : devices.front().Bind();
}

}  // namespace

DemoWindow::DemoWindow() {
  platform::RegisterBuiltinComponents(components_);
  setWindowTitle("OKA PVX graph demo");
  resize(660, 540);
  auto* layout = new QVBoxLayout(this);
  video_ = new QWidget(this);
  video_->setMinimumSize(320, 240);
  layout->addWidget(video_, 1);
  status_ = new QLabel(this);
  layout->addWidget(status_);
  for (const auto& s : platform::devices::DefaultVirtualCard()->Stations().All())
    if (!s.IsFM) stations_.push_back(s);
}

DemoWindow::~DemoWindow() { graph_.Stop(); }

bool DemoWindow::Build() {
  capture_ = First(components_, DeviceCategory::VideoInputDevice);
  crossbar_ = First(components_, DeviceCategory::Crossbar);
  tuner_ = First(components_, DeviceCategory::TVTuner);
  tvAudio_ = First(components_, DeviceCategory::TVAudio);
  audio_ = First(components_, DeviceCategory::AudioInputDevice);
  if (!capture_ || !crossbar_ || !tuner_ || !tvAudio_ || !audio_) return false;
  graph_.AddFilter(capture_, "VCapture");
  graph_.AddFilter(crossbar_, "Crossbar");
  graph_.AddFilter(tuner_, "TVTuner");
  graph_.AddFilter(tvAudio_, "TVAudio");
  graph_.AddFilter(audio_, "ACapture");
  if (!graph_.Render(*tuner_->FindPin("Analog Video")) ||
      !graph_.Connect(*tuner_->FindPin("Analog Audio"), *tvAudio_->FindPin("TVAudio In")) ||
      !graph_.Render(*tvAudio_->FindPin("TVAudio Out")))
    return false;

  TMediaType format;
  capture_->As<IStreamConfig>()->GetStreamCaps(0, format);  // YUY2 640x480
  capture_->As<IStreamConfig>()->SetFormat(format);
  smartTee_ = graph_.AddComponent("Smart Tee", "SmartTee");
  grabber_ = graph_.AddComponent("Sample Grabber", "Snapshot");
  if (!smartTee_ || !grabber_) return false;
  if (!graph_.Connect(*capture_->FindPin("Capture"), *smartTee_->FindPin("Input")) ||
      !graph_.Connect(*smartTee_->FindPin("Preview"), *grabber_->FindPin("Input")) ||
      !graph_.Render(*grabber_->FindPin(PinDir::Output)))
    return false;
  graph_.Render(*audio_->FindPin("Capture"));  // sound is welcome, not required

  auto* renderer = dynamic_cast<platform::video::TVideoRenderer*>(graph_.FindFilter("Video Renderer"));
  if (!renderer) return false;
  platform::video::TVideoWindow* window = renderer->Window();
  window->SetOwner(video_);
  window->SetAligned(true);
  window->show();
  if (!graph_.Run()) return false;
  Tune(0);
  return true;
}

void DemoWindow::Tune(int index) {
  if (stations_.empty()) return;
  station_ = (index % StationCount() + StationCount()) % StationCount();
  tuner_->As<ITunerPropertySet>()->SetFrequency(stations_[size_t(station_)].Frequency, kTuningExact, 0);
  if (input_ != 0) NextInput();  // back to the tuner
  ShowStatus(QStringLiteral("%1  (%2 MHz)").arg(stations_[size_t(station_)].Name)
                 .arg(stations_[size_t(station_)].Frequency / 1e6, 0, 'f', 2));
}

void DemoWindow::NextInput() {
  // Tuner, composite, S-Video, camera: the inputs of the card's crossbar.
  const int inputs[] = {0, 1, 2, 5};
  const char* names[] = {"Tuner", "Composite", "S-Video", "Camera"};
  input_ = (input_ + 1) % 4;
  crossbar_->As<ICrossbar>()->Route(0, inputs[input_]);
  ShowStatus(QStringLiteral("Input: %1").arg(names[input_]));
}

QImage DemoWindow::Snapshot() const {
  QImage image;
  if (auto* grabber = grabber_ ? grabber_->As<ISampleGrabber>() : nullptr)
    platform::components::GrabBitmap(*grabber, image);
  return image;
}

quint64 DemoWindow::FramesShown() const {
  auto* renderer = dynamic_cast<platform::video::TVideoRenderer*>(graph_.FindFilter("Video Renderer"));
  return renderer ? renderer->FramesRendered() : 0;
}

void DemoWindow::ShowStatus(const QString& text) {
  bool locked = false;
  capture_->As<IAnalogVideoDecoder>()->get_HorizontalLocked(locked);
  status_->setText(text + (locked ? "  [locked]" : "  [no signal]") +
                   "   Keys: Left/Right station, I input, Q quit");
}

void DemoWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Right: Tune(station_ + 1); break;
    case Qt::Key_Left: Tune(station_ - 1); break;
    case Qt::Key_I: NextInput(); break;
    case Qt::Key_Q: close(); break;
    default: QWidget::keyPressEvent(event);
  }
}

}  // namespace pvx::tools
