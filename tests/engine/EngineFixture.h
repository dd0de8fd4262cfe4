#pragma once
// A capture engine on a virtual card built for the test, with the settings objects it reads.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <QWidget>
#include <functional>
#include <memory>

#include "engine/CaptureInfo.h"
#include "platform/devices/virtual/VirtualDeviceProvider.h"
#include "settings/CountryInfo.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"
#include "support/FakeDialogService.h"
#include "support/TestEnvironment.h"

namespace pvx::test {

class EngineFixture : public ::testing::Test {
 protected:
  EngineFixture() {
    settings::MainInfo = &main_;
    settings::CountryInfo = &country_;
  }
  ~EngineFixture() override {
    engine_.reset();
    settings::MainInfo = nullptr;
    settings::CountryInfo = nullptr;
  }

  // Installs the card and creates the engine; discovery is left to the test.
  engine::TCaptureInfo& Make(const platform::devices::TVirtualCardConfig& config = {}) {
    card_ = platform::devices::InstallVirtualCard(config);
    engine_ = std::make_unique<engine::TCaptureInfo>(&owner_, test::Components());
    return *engine_;
  }
  // Installs the card, creates the engine and opens its devices.
  engine::TCaptureInfo& Open(const platform::devices::TVirtualCardConfig& config = {}) {
    Make(config);
    EXPECT_TRUE(engine_->OpenDevices());
    return *engine_;
  }

  QStringList Warnings() const {
    QStringList all;
    for (const auto& w : Dialogs().Warnings) all << w.join('\n');
    return all;
  }

  // Real time for streaming threads, bounded so a broken graph fails instead of hanging.
  static bool WaitUntil(const std::function<bool()>& done, int maxMs = 15000) {
    return test::WaitUntil(done, maxMs);
  }

  settings::TMainInfo main_;
  settings::TCountryInfo country_{1};
  QWidget owner_;
  std::shared_ptr<platform::devices::TVirtualCard> card_;
  std::unique_ptr<engine::TCaptureInfo> engine_;
};

}  // namespace pvx::test
