#pragma once
// Media the playback tests make with ffmpeg, and a snapshot store that keeps the last picture.

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>

#include "engine/CaptureInfo.h"
#include "support/TestEnvironment.h"

namespace pvx::test {

// A file in the program folder made by ffmpeg from `inputs` (lavfi sources) with the output
// options given; its full path.
inline QString Made(const QString& name, const QStringList& inputs, const QStringList& options) {
  QStringList args{"-v", "error", "-y"};
  for (const QString& input : inputs) args << "-f" << "lavfi" << "-i" << input;
  QProcess make;
  make.start("ffmpeg", args + options + QStringList{Home() + name});
  EXPECT_TRUE(make.waitForFinished(60000) && make.exitCode() == 0)
      << make.readAllStandardError().toStdString();
  return Home() + name;
}

struct TSnapshotStore : engine::ISnapshotSink {
  void InsertSnapshot(const QImage& image) override { last = image; }
  QImage last;
};

}  // namespace pvx::test
