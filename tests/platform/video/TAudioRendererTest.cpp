#include "platform/video/TAudioRenderer.h"

#include <gtest/gtest.h>

#include <QFile>

#include "platform/components/TestFilters.h"
#include "platform/graph/TFilterGraph.h"

using namespace pvx;
using platform::graph::TFilterGraph;
using platform::graph::TGraphEvent;
using platform::video::ListsSoundCard;
using platform::video::SoundOutputAvailable;
using platform::video::TAudioRenderer;

TEST(SoundCards, ACardIsALineStartingWithADigit) {
  // clang-format off
  const std::pair<const char*, bool> rows[] = {
      {"", false}, {"--- no soundcards ---\n", false}, {"card 0\n", false}, {"\t[0]\n", false},
      {" 0 [PCH            ]: HDA-Intel - HDA Intel PCH\n                      HDA Intel PCH at 0xf7f10000 irq 32\n", true},
      {"1 [USB]: USB-Audio - Headset\n", true}, {"\n\n   7 [Loopback]: Loopback\n", true}};
  // clang-format on
  for (const auto& [text, card] : rows) EXPECT_EQ(ListsSoundCard(text), card) << text;
}

// The environment's choice wins; otherwise a sound server's socket or a card means sound, and
// without sound the renderer plays into a null sink.
TEST(SoundOutput, EnvironmentThenServerSocketThenCard) {
  const QString socket = qEnvironmentVariable("XDG_RUNTIME_DIR") + "/pulse/native";
  QFile cards("/proc/asound/cards");
  const bool hasCard = cards.open(QIODevice::ReadOnly) && ListsSoundCard(cards.readAll());
  const std::tuple<const char*, bool, bool> rows[] = {
      {"", false, hasCard}, {"", true, true}, {"null", true, false}, {"auto", false, true}};
  for (const auto& [choice, server, sound] : rows) {
    qputenv("OKA_PVX_AUDIO_SINK", choice);
    server ? test::WriteFile(socket, "") : void(QFile::remove(socket));
    EXPECT_EQ(SoundOutputAvailable(), sound) << choice << server;
    EXPECT_EQ(TAudioRenderer().UsesNullSink(), !sound) << choice << server;
  }
  qunsetenv("OKA_PVX_AUDIO_SINK");
}

TEST(AudioRenderer, TestToneRendersIntoTheNullSinkInRealTimeAgainAfterAStop) {
  qputenv("OKA_PVX_AUDIO_SINK", "null");
  TFilterGraph graph{test::Components()};
  QStringList errors;
  graph.OnEvent = [&](const TGraphEvent& e) { if (e.kind == TGraphEvent::Error) errors << e.Message; };
  auto source = test::AudioSource();
  ASSERT_TRUE(graph.AddFilter(source, "Source") && graph.Render(*source->FindPin("Capture")));
  auto* renderer = dynamic_cast<TAudioRenderer*>(graph.FindFilter("Audio Renderer"));
  ASSERT_TRUE(renderer && renderer->UsesNullSink() &&
              renderer->FindPin("Input")->Major() == platform::graph::MediaMajor::Audio);
  // Volume is clamped; mute toggles.
  for (const auto& [asked, kept, mute] : {std::tuple{3.0, 1.0, true}, {-1.0, 0.0, false}, {0.5, 0.5, false}}) {
    EXPECT_TRUE(renderer->SetVolume(asked) && renderer->SetMute(mute));
    EXPECT_DOUBLE_EQ(renderer->Volume(), kept) << asked;
    EXPECT_EQ(renderer->IsMuted(), mute);
  }
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(graph.Run());
    // 0.2 s of stream time, in 100-ns units.
    qint64 position = 0;
    EXPECT_TRUE(test::WaitUntil([&] { return graph.GetCurrentPosition(position) && position > 2000000; }));
    ASSERT_TRUE(graph.Stop());
  }
  EXPECT_TRUE(errors.isEmpty()) << errors.join("; ").toStdString();
  qunsetenv("OKA_PVX_AUDIO_SINK");
}
