#include "EngineFixture.h"

// Every media call a step makes is refused once, each in a fresh engine: the step must report the
// failure, never carry on as if the graph, the tuner or the file were there. A step survives only
// the refusals listed (numbered in call order): a connection another route makes, an optional part;
// a tuner tunes even when the picture does not come back. Rebuild a list only after a deliberate
// change of how the graph is built.
class RefusedCalls : public test::EngineFixture {};

TEST_F(RefusedCalls, EveryStepFailsOnARefusedCallItCannotDoWithout) {
  qputenv("OKA_PVX_AUDIO_SINK", "null");
  auto live = [this](const dev::TVirtualCardConfig& card, int format, int kind, int sound) {
    return [=, this] {
      Open(card);
      AskRecording(format, kind, sound);
      engine_->StartPreview();  // a Wis card's fails here (no encoder sound pin), and records
    };
  };
  auto record = [this] { return engine_->StartRecording(); };
  // A recording first renders the preview again, without which it goes on.
  const std::string again = "SetFormat#0 AddFilter#1 Connect#2 AddFilter#3 Render#4 Connect#5 ";
  const struct {
    const char* step;
    std::function<void()> setup;
    std::function<bool()> run;
    std::string survives;
    bool runs = true;  // success means a running graph
  } rows[] = {
      {"open", [&] { Make(); }, [&] { return engine_->OpenDevices(); }, "Connect#2 AddFilter#3 AddFilter#4 AddFilter#5", false},
      {"preview", [&] { Open(); }, [&] { return engine_->StartPreview(); },
       "Render#2 Connect#3 Connect#4 Connect#5 Render#6 Connect#7 Connect#8 Connect#9 Connect#10 Connect#11 Render#12 "
       "Connect#13 Render#14 Connect#15 Connect#16 AddFilter#17 Connect#18 SetFormat#19 AddFilter#20 Connect#21 Connect#24"},
      {"channel", live({}, 1, 0, 0), [&] { return engine_->SetTVFrequency(55250000, true); }, "Run#1", false},
      {"radio", live({}, 1, 0, 0), [&] { engine_->SetRadioMode(true); return engine_->SetFMFrequency(90000000); }, "Run#0", false},
      {"record dvd", live({}, 7, 0, 0), record, again + "Connect#9 Connect#11"},
      {"record avi", live({}, 3, 0, 0), record, again + "SetFormat#10 Connect#12"},
      {"record mpeg-4 avi", live({}, 2, 0, 0), record, again + "SetFormat#11"},
      {"record mp3", live({}, 1, 1, 1), record, again + "Connect#12"},
      {"record picture only", live({}, 1, 2, 0), record, again + "Connect#9"},
      {"record wis", live({.Maker = "Wis", .Model = "GO7007"}, 2, 0, 0), record, "AddFilter#0 Connect#1 AddFilter#2 Render#3 Connect#4"},
      {"time-shift", live({}, 1, 0, 0), [&] { return engine_->StartTimeShift(); }, "SetFormat#0 AddFilter#1 Render#2 Connect#3 Connect#7 Connect#9"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.step);
    const std::string survived = test::RefusalsTakenAsSuccess(row.setup, [&] {
      const bool ok = row.run();
      EXPECT_TRUE(!ok || !row.runs || Graph().State() == GraphState::Running);
      return ok;
    });
    EXPECT_EQ(survived, row.survives);
  }
}
