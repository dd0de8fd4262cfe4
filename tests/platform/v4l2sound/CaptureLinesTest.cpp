// A card's capture lines read from its mixer controls, and choosing the line that is recorded.

#include <gtest/gtest.h>

#include "FakeCaptureElements.h"

using namespace pvx;
using pvx::platform::devices::v4l2::TCaptureElement;
using pvx::platform::devices::v4l2::TCaptureLines;

namespace {

TCaptureElement Switch(const char* name, unsigned index = 0) { return {name, index, true, {}}; }
TCaptureElement Volume(const char* name) { return {name, 0, false, {}}; }
TCaptureElement Source(QStringList items) { return {"Capture Source", 0, false, std::move(items)}; }

struct LinesRow {
  const char* name;
  std::vector<TCaptureElement> elements;
  QStringList lines;
  std::vector<int> choices;  // lines chosen in turn; all but the last must work
  bool lastWorks;
  const char* state;  // the controls afterwards
  int selected;       // the line recorded afterwards
  int refusing = -1;
};

}  // namespace

TEST(CaptureLines, LinesAndTheirSelection) {
  const LinesRow rows[] = {
      {"bt87x: an enumerated source, the mute switch left alone",
       {Volume("Capture"), Switch("Capture Boost"), Source({"TV Tuner", "FM", "Mic/Line"})},
       {"TV Tuner", "FM", "Mic/Line"}, {2}, true, "-02", 2},
      {"saa7134: one switch per input, the one chosen before turned off",
       {Switch("Line"), Switch("Line", 1), Switch("Video")}, {"Line", "Line 1", "Video"}, {0, 2},
       true, "001", 2},
      {"the master capture switch comes on with the line",
       {Switch("Capture"), Volume("Master"), Switch("Mic")}, {"Mic"}, {0}, true, "1-1", 0},
      {"a USB grabber with only a capture switch", {Switch("Capture")}, {"Capture"}, {0}, true, "1", 0},
      {"no capture controls", {Volume("Master")}, {}, {0}, false, "-", -1},
      {"a line out of range", {Switch("Line"), Switch("Video")}, {"Line", "Video"}, {2}, false, "00", -1},
      {"a source that refuses", {Source({"TV Tuner", "FM"})}, {"TV Tuner", "FM"}, {1}, false, "0", 0, 0},
      {"a master switch that refuses", {Switch("Capture"), Switch("Line")}, {"Line"}, {0}, false, "00", -1, 0},
  };
  for (const LinesRow& row : rows) {
    SCOPED_TRACE(row.name);
    test::TFakeCaptureElements mixer(row.elements);
    mixer.refusing = row.refusing;
    TCaptureLines lines(mixer);
    EXPECT_EQ(lines.Names(), row.lines);
    for (size_t i = 0; i < row.choices.size(); ++i)
      EXPECT_EQ(lines.Select(row.choices[i]), i + 1 < row.choices.size() || row.lastWorks);
    EXPECT_EQ(mixer.State(), row.state);
    EXPECT_EQ(lines.Selected(), row.selected);
  }
}
