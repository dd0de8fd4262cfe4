// Control panels on the virtual card, in the real program:
// - from a click on a panel button until what it changes is on screen, the program's own time
//   (the tuner's prescribed waits, every platform Wait, are taken out);
// - the CPU an idle TV panel costs with its clock ticking, against an idle event loop.
// FM seek against its wait floor is bench-fm-seek.
//
//   bench-panels [clicks] [idle-seconds]    (default 20 and 20; QT_QPA_PLATFORM=offscreen headless)
//   bench-panels --smoke                    (2 clicks, 1 s idle)

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

#include "app/Application.h"
#include "common/BenchHome.h"
#include "common/CountingClock.h"
#include "app/ControlPanels.h"
#include "panels/FormFMMainPanel.h"
#include "panels/FormMainPanel.h"
#include "panels/PanelEnvironment.h"
#include "panels/SkinArt.h"
#include "panels/UIInfo.h"
#include "platform/BuiltinComponents.h"
#include "platform/Clock.h"
#include "platform/graph/TComponentRegistry.h"
#include "settings/ChannelInfo.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"

using namespace pvx;

namespace {

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

void RunEventsFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

struct TFigure {
  const char* name;
  std::vector<double> ms;
};

void Print(const TFigure& f) {
  std::vector<double> v = f.ms;
  std::sort(v.begin(), v.end());
  std::printf("%-34s median %6.2f ms   worst %6.2f ms   (%zu clicks)\n", f.name, v[v.size() / 2], v.back(), v.size());
}

}  // namespace

int main(int argc, char* argv[]) {
  const bool smoke = bench::TakeSmokeFlag(argc, argv);
  const bench::TBenchHome home;
  qputenv("OKA_PVX_AUDIO_SINK", "null");
  QApplication app(argc, argv);
  const int clicks = smoke ? 2 : argc > 1 ? std::max(1, atoi(argv[1])) : 20;
  const int idleSeconds = smoke ? 1 : argc > 2 ? std::max(1, atoi(argv[2])) : 20;
  if (!home.StoreTunedChannels()) {
    std::fprintf(stderr, "bench-panels: cannot store the tuned channels\n");
    return 1;
  }

  auto clock = std::make_unique<bench::TCountingClock>();
  platform::graph::TComponentRegistry components;
  platform::RegisterBuiltinComponents(components);
  auto shell = std::make_unique<app::TApplication>(components, QStringList{});
  bool started = false, ok = false;
  QObject::connect(shell.get(), &app::TApplication::Started, [&](bool result) { started = true, ok = result; });
  if (!shell->InitializeApplication()) return 1;
  QElapsedTimer startUp;
  startUp.start();
  while (!started && startUp.elapsed() < 30000) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  if (!started || !ok) {
    std::fprintf(stderr, "bench-panels: the program did not reach live TV within 30 s\n");
    return 1;
  }
  bool timedOut = false;

  panels::TFormMainPanel& tv = *shell->Panels()->TV();
  auto label = [](QWidget& w, const char* name) { return w.findChild<QLabel*>(name)->text(); };
  // One click: press and release in the middle of an item, until `done` holds and what was
  // drawn has been painted; the prescribed waits on the way are not the program's own time.
  auto click = [&](panels::TSkinPanel& panel, const panels::TUIItemRecord& item, const std::function<bool()>& done) {
    QApplication::processEvents();
    const qint64 waitedBefore = clock->waitedNs;
    QElapsedTimer t;
    t.start();
    QTest::mouseClick(panel.Skin(), Qt::LeftButton, {}, item.Rect().center());
    while (!done() && t.elapsed() < 10000) QApplication::processEvents();
    timedOut = timedOut || !done();
    QApplication::processEvents();  // the repaint
    return double(t.nsecsElapsed() - (clock->waitedNs - waitedBefore)) / 1e6;
  };
  const panels::TUIInfo& shellItems = shell->Panels()->UI();
  auto tvItem = [&shellItems](int i) { return shellItems.TVItems[size_t(i)]; };
  auto fmItem = [&shellItems](int i) { return shellItems.FMItems[size_t(i)]; };

  TFigure digit{"digit key -> channel display", {}};
  TFigure source{"source key -> source menu", {}};
  TFigure next{"channel up -> channel display", {}};
  TFigure toFM{"FM key -> FM panel shown", {}};
  TFigure toTV{"TV key -> TV panel shown", {}};
  for (int i = 0; i < clicks; ++i) {
    digit.ms.push_back(click(tv, tvItem(12 + i % 9), [&] { return label(tv, "LabelChannel") == QString::number(1 + i % 9); }));
    shell->ExecuteCommand(commands::TCommand::Escape);  // clears the entry
    source.ms.push_back(click(tv, tvItem(3), [&] { return tv.PopupMenuInputSource()->isVisible(); }));
    tv.PopupMenuInputSource()->hide();
    const int before = shell->Channels().CurrentChannel();
    next.ms.push_back(click(tv, tvItem(24), [&] { return shell->Channels().CurrentChannel() != before; }));
    toFM.ms.push_back(click(tv, tvItem(11), [&] {
      auto* fm = shell->Panels()->FM();
      return fm && fm->isVisible();
    }));
    if (timedOut) break;
    toTV.ms.push_back(click(*shell->Panels()->FM(), fmItem(6), [&] { return tv.isVisible(); }));
  }
  shell->RequestExit();
  QApplication::processEvents();
  shell.reset();
  clock.reset();
  if (timedOut) {
    std::fprintf(stderr, "bench-panels: a click showed no effect within 10 s\n");
    return 1;
  }
  std::printf("Click to visible effect, the program's own time (goal <= 16 ms):\n");
  for (const TFigure& f : {digit, source, next, toFM, toTV}) Print(f);

  // The idle TV panel alone, against the same event loop without it.
  const double loopStart = CpuSeconds();
  RunEventsFor(idleSeconds * 1000);
  const double loopCpu = CpuSeconds() - loopStart;
  settings::TMainInfo main;
  settings::TChannelInfo channels;
  panels::TUIInfo items;
  {
    panels::TPanelEnvironment env;
    env.UI = &items, env.Main = &main, env.Channels = &channels;
    panels::TFormMainPanel idle(panels::PaintTVSkin, env);
    idle.show();
    RunEventsFor(500);
    const double start = CpuSeconds();
    RunEventsFor(idleSeconds * 1000);
    const double panelCpu = CpuSeconds() - start;
    std::printf("Idle TV panel with its clock: %.3f %% of a core over %d s (event loop alone %.3f %%; goal <= 0.2 %%)\n",
                100.0 * (panelCpu - loopCpu) / idleSeconds, idleSeconds, 100.0 * loopCpu / idleSeconds);
  }
  return 0;
}
