// Shared main of the test executables: a QApplication on the offscreen platform and a fresh
// environment for every test.

#include <gtest/gtest.h>

#include <QApplication>

namespace pvx::test {
::testing::TestEventListener* NewTestEnvironmentListener();
}

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(pvx::test::NewTestEnvironmentListener());
  return RUN_ALL_TESTS();
}
