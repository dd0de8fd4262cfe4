#pragma once
// A window that shows the virtual card's live picture through the preview graph
// (capture -> Smart Tee -> grabber -> video window), with its sound, and tunes the stations.

#include <QLabel>
#include <QWidget>
#include <memory>
#include <vector>

#include "platform/devices/virtual/VirtualStations.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::tools {

class DemoWindow final : public QWidget {
  Q_OBJECT
 public:
  DemoWindow();
  ~DemoWindow() override;

  bool Build();
  int StationCount() const { return int(stations_.size()); }
  void Tune(int index);
  void NextInput();
  // The grabber's last frame, as a snapshot would take it.
  QImage Snapshot() const;
  QImage WindowShot() { return grab().toImage(); }
  quint64 FramesShown() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ShowStatus(const QString& text);

  platform::graph::TComponentRegistry components_;
  platform::graph::TFilterGraph graph_{components_};
  std::shared_ptr<platform::graph::TFilter> capture_, crossbar_, tuner_, tvAudio_, audio_,
      smartTee_, grabber_;
  std::vector<platform::devices::TVirtualStation> stations_;
  int station_ = -1;
  int input_ = 0;
  QWidget* video_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace pvx::tools
