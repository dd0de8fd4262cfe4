#include "platform/DialogService.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QTimer>

#include "platform/QtDialogService.h"
#include "support/FakeDialogService.h"
#include "support/TestEnvironment.h"

using namespace pvx;

TEST(DialogService, TestsGetTheFakeAndCanRestoreQt) {
  EXPECT_EQ(&platform::Dialogs(), &test::Dialogs());
  platform::SetDialogs(nullptr);
  EXPECT_EQ(&platform::Dialogs(), &platform::DefaultDialogs());
}

TEST(QtDialogService, WarningUsesTheInstalledWindowAndCloseEndsIt) {
  platform::QtDialogService service;
  QStringList shown;
  service.SetWarningFactory([&](const QStringList& lines) {
    shown = lines;
    return std::make_unique<QDialog>();
  });
  bool wasOpen = false;
  QTimer::singleShot(0, [&] {
    wasOpen = service.OpenWarning() && service.OpenWarning()->isVisible();
    service.CloseWarning();
  });
  service.ShowWarning({"one", "two"});
  EXPECT_TRUE(wasOpen);
  EXPECT_EQ(shown, QStringList({"one", "two"}));
  EXPECT_EQ(service.OpenWarning(), nullptr);
  service.CloseWarning();  // nothing open: no effect
}
