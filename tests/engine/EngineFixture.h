#pragma once
// A capture engine on a virtual card built for the test, with the settings objects it reads.

#include <gtest/gtest.h>

#include <QWidget>
#include <memory>

#include "engine/CaptureInfo.h"
#include "platform/devices/virtual/VirtualDeviceProvider.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TFilter.h"
#include "platform/graph/TFilterGraph.h"
#include "settings/CountryInfo.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"
#include "support/FakeDialogService.h"
#include "support/TestEnvironment.h"

namespace pvx::test {

namespace dev = platform::devices;

class EngineFixture : public ::testing::Test {
 protected:
  ~EngineFixture() override { engine_.reset(); }

  // Installs the card and creates the engine; discovery is left to the test. The engine reads the
  // test's settings, as the program's engine reads the program's.
  engine::TCaptureInfo& Make(const dev::TVirtualCardConfig& card = {}, engine::TEngineConfig config = {},
                             const platform::graph::TComponentRegistry& components = test::Components()) {
    card_ = dev::InstallVirtualCard(card);
    engine_.reset();
    config.Host.Widget = &owner_;
    config.Program = [this] {
      const settings::TMainPreferences& p = main_.Prefs();
      return engine::TProgramSettings{p.CaptureFolder, p.WaveFolder, p.MPEG4Codec, country_.CountryCode};
    };
    config.ColourLevels = {[this] { return main_.Prefs().ColorLevels; },
                           [this](const engine::TColourLevels& levels) { main_.SetColorLevels(levels); }};
    engine_ = std::make_unique<engine::TCaptureInfo>(components, config);
    return *engine_;
  }
  // Installs the card, creates the engine and opens its devices.
  engine::TCaptureInfo& Open(const dev::TVirtualCardConfig& card = {}) {
    Make(card);
    EXPECT_TRUE(engine_->OpenDevices());
    return *engine_;
  }
  // Opens the card and builds the preview graph without running it.
  engine::TCaptureInfo& Built(const dev::TVirtualCardConfig& card = {}) {
    Open(card);
    EXPECT_TRUE(engine_->BuildPreviewGraph());
    return *engine_;
  }
  // The recording asked for: record format, kind (1 sound only, 2 picture only), sound (1 MP3).
  void AskRecording(int format, int kind = 0, int sound = 0) {
    test::ChangeSettings(*engine_, [&](settings::TCaptureSettings& s) {
      s.RecordFormat = quint8(format), s.RecordKind = quint8(kind), s.AudioFormat = quint8(sound);
    });
  }
  platform::graph::TFilterGraph& Graph() { return *engine_->Preview().Graph(); }
  platform::graph::TMediaType CaptureFormat() {
    platform::graph::TMediaType type;
    engine_->Devices().VCapture()->As<platform::graph::IStreamConfig>()->GetFormat(type);
    return type;
  }
  QSize CaptureSize() { return {CaptureFormat().Width, CaptureFormat().Height}; }
  QStringList Warnings() const {
    QStringList all;
    for (const auto& w : Dialogs().Warnings) all << w.join('\n');
    return all;
  }

  settings::TMainInfo main_;
  settings::TCountryInfo country_{1};
  QWidget owner_;
  std::shared_ptr<dev::TVirtualCard> card_;
  std::unique_ptr<engine::TCaptureInfo> engine_;
};

}  // namespace pvx::test

using namespace pvx;
using namespace pvx::platform::graph;
namespace dev = pvx::platform::devices;
