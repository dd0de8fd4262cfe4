#include "platform/video/TAudioRenderer.h"

#include <gtest/gtest.h>

#include <QFile>

#include "platform/graph/TFilterGraph.h"
#include "support/TestEnvironment.h"
#include "VideoTestSupport.h"

using namespace pvx;
using platform::graph::TFilterGraph;
using platform::graph::TGraphEvent;
using platform::video::ListsSoundCard;
using platform::video::SoundOutputAvailable;
using platform::video::TAudioRenderer;

namespace {

QString PulseSocket() { return qEnvironmentVariable("XDG_RUNTIME_DIR") + "/pulse/native"; }

}  // namespace

TEST(SoundCards, ACardIsALineStartingWithADigit) {
  struct Row {
    const char* text;
    bool card;
  };
  const Row rows[] = {
      {"", false},
      {"--- no soundcards ---\n", false},
      {" 0 [PCH            ]: HDA-Intel - HDA Intel PCH\n"
       "                      HDA Intel PCH at 0xf7f10000 irq 32\n",
       true},
      {"1 [USB]: USB-Audio - Headset\n", true},
      {"\n\n   7 [Loopback]: Loopback\n", true},
      {"card 0\n", false},
      {"\t[0]\n", false},
  };
  for (const Row& row : rows) EXPECT_EQ(ListsSoundCard(row.text), row.card) << row.text;
}

TEST(SoundOutput, EnvironmentChoiceWins) {
  test::WriteFile(PulseSocket(), "");
  {
    test::TScopedEnv env("OKA_PVX_AUDIO_SINK", "null");
    EXPECT_FALSE(SoundOutputAvailable());
  }
  QFile::remove(PulseSocket());
  test::TScopedEnv env("OKA_PVX_AUDIO_SINK", "auto");
  EXPECT_TRUE(SoundOutputAvailable());
}

TEST(SoundOutput, OtherwiseASoundServerSocketOrACard) {
  test::TScopedEnv env("OKA_PVX_AUDIO_SINK", "");
  QFile cards("/proc/asound/cards");
  const bool hasCard = cards.open(QIODevice::ReadOnly) && ListsSoundCard(cards.readAll());
  EXPECT_EQ(SoundOutputAvailable(), hasCard);
  test::WriteFile(PulseSocket(), "");
  EXPECT_TRUE(SoundOutputAvailable());
}

TEST(AudioRenderer, HasTheComponentNameAndOneAudioInput) {
  test::TScopedEnv env("OKA_PVX_AUDIO_SINK", "null");
  TAudioRenderer renderer;
  EXPECT_EQ(renderer.FriendlyName(), "Audio Renderer");
  ASSERT_EQ(renderer.Pins().size(), 1u);
  auto* input = renderer.FindPin("Input");
  ASSERT_NE(input, nullptr);
  EXPECT_EQ(input->Dir(), platform::graph::PinDir::Input);
  EXPECT_EQ(input->Major(), platform::graph::MediaMajor::Audio);
  EXPECT_NE(input->Pad(), nullptr);
}

TEST(AudioRenderer, SinkFollowsTheSoundOutputChoice) {
  {
    test::TScopedEnv env("OKA_PVX_AUDIO_SINK", "null");
    EXPECT_TRUE(TAudioRenderer().UsesNullSink());
  }
  test::TScopedEnv env("OKA_PVX_AUDIO_SINK", "auto");
  EXPECT_FALSE(TAudioRenderer().UsesNullSink());
}

TEST(AudioRenderer, VolumeIsClampedAndMuteToggles) {
  test::TScopedEnv env("OKA_PVX_AUDIO_SINK", "null");
  TAudioRenderer renderer;
  EXPECT_TRUE(renderer.SetVolume(0.5));
  EXPECT_DOUBLE_EQ(renderer.Volume(), 0.5);
  EXPECT_TRUE(renderer.SetVolume(3.0));
  EXPECT_DOUBLE_EQ(renderer.Volume(), 1.0);
  EXPECT_TRUE(renderer.SetVolume(-1.0));
  EXPECT_DOUBLE_EQ(renderer.Volume(), 0.0);
  EXPECT_FALSE(renderer.IsMuted());
  EXPECT_TRUE(renderer.SetMute(true));
  EXPECT_TRUE(renderer.IsMuted());
  EXPECT_TRUE(renderer.SetMute(false));
  EXPECT_FALSE(renderer.IsMuted());
}

TEST(AudioRenderer, TestToneRendersIntoTheNullSinkInRealTime) {
  test::TScopedEnv env("OKA_PVX_AUDIO_SINK", "null");
  test::RegisterRenderers();
  TFilterGraph graph{test::Components()};
  std::vector<TGraphEvent> errors;
  graph.OnEvent = [&](const TGraphEvent& e) {
    if (e.kind == TGraphEvent::Error) errors.push_back(e);
  };
  auto source = test::MakeAudioSource();
  ASSERT_TRUE(graph.AddFilter(source, "Source"));
  ASSERT_TRUE(graph.Render(*source->FindPin("Audio")));
  auto* renderer = dynamic_cast<TAudioRenderer*>(graph.FindFilter("Audio Renderer"));
  ASSERT_NE(renderer, nullptr);
  EXPECT_TRUE(renderer->UsesNullSink());
  renderer->SetVolume(0.3);
  ASSERT_TRUE(graph.Run());
  // 0.2 s of stream time, in 100-ns units.
  qint64 position = 0;
  EXPECT_TRUE(test::WaitUntil([&] { return graph.GetCurrentPosition(position) && position > 2000000; }));
  ASSERT_TRUE(graph.Stop());
  ASSERT_TRUE(graph.Run());
  EXPECT_TRUE(test::WaitUntil([&] { return graph.GetCurrentPosition(position) && position > 2000000; }));
  graph.Stop();
  test::PumpFor(20);
  EXPECT_TRUE(errors.empty()) << errors.front().Message.toStdString();
}
