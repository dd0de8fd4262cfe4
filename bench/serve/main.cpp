// Watching from elsewhere in the home, measured on the real program serving on the virtual card:
//  - a command to the channel change seen in /api/state, and to the new picture in the program;
//  - live latency: from the program showing a new picture to an RTSP client (ffmpeg, without its
//    buffering) and a browser's <video> (headless Chromium) showing it. The picture flips between
//    a white and a black station, so a change is plain in a picture of 8x6 pixels;
//  - the program's CPU with no viewer, one and four RTSP viewers, one and four browser viewers;
//  - four viewers (two of each) while it records DVD PAL from a heavy-motion station: the
//    recording must drop no picture.
//
//   bench-serve [seconds-per-step]   (default 10)
//   bench-serve --smoke              (one flip, two-second steps: proves it still measures)

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "common/BenchHome.h"
#include "common/ProcessCpu.h"
#include "common/Serving.h"
#include "common/StreamSpan.h"
#include "commands/CommandTable.h"
#include "formats/RecordFormats.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"
#include "settings/CaptureSettings.h"
#include "settings/MainInfo.h"
#include "settings/MainSettingsFile.h"

namespace ipc = pvx::platform::ipc;

namespace {

using pvx::bench::CpuSecondsOf;
using pvx::bench::ServedBy;
using pvx::bench::TServed;
using pvx::bench::TViewer;
using pvx::bench::Viewer;

// The tuned home's first three channels (the USA plan on the antenna).
constexpr int kHeavy = 2, kWhite = 3, kBlack = 4;
constexpr double kBright = 128;

struct Reply {
  int status = 0;
  QByteArray body;
};

class TClient {
 public:
  TClient(quint16 port, QByteArray token) : port_(port), token_(std::move(token)) {}

  Reply Ask(const QByteArray& method, const QString& path) {
    QNetworkRequest request(QUrl(QString("http://127.0.0.1:%1%2").arg(port_).arg(path)));
    request.setRawHeader("Authorization", "Bearer " + token_);
    QNetworkReply* reply = network_.sendCustomRequest(request, method);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    Reply r{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll()};
    reply->deleteLater();
    return r;
  }
  int Channel() { return QJsonDocument::fromJson(Ask("GET", "/api/state").body)["channel"].toInt(); }
  // The mean brightness of the program's picture now, -1 without one.
  double Brightness() {
    const QImage picture = QImage::fromData(Ask("GET", "/live.jpg").body);
    if (picture.isNull()) return -1;
    const QImage small = picture.scaled(8, 6).convertToFormat(QImage::Format_Grayscale8);
    double sum = 0;
    for (int y = 0; y < small.height(); ++y)
      for (int x = 0; x < small.width(); ++x) sum += small.constScanLine(y)[x];
    return sum / (small.width() * small.height());
  }

 private:
  quint16 port_;
  QByteArray token_;
  QNetworkAccessManager network_;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? -1 : v[v.size() / 2];
}

// Waits while the event loop runs, so the clients' sockets are served.
void Pause(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// An RTSP client that shows each picture, as 8x6 grey, the moment it is decoded.
class TRtspWatcher {
 public:
  explicit TRtspWatcher(const QString& url) {
    ffmpeg_.start("ffmpeg", {"-v", "error", "-rtsp_transport", "tcp", "-fflags", "nobuffer", "-flags", "low_delay",
                             "-i", url, "-vf", "scale=8:6,format=gray", "-f", "rawvideo", "-flush_packets", "1", "-"});
  }
  ~TRtspWatcher() {
    ffmpeg_.kill();
    ffmpeg_.waitForFinished();
  }
  // The brightness of the newest picture, reading what has come; -1 before the first.
  double Latest() {
    buffer_ += ffmpeg_.readAllStandardOutput();
    constexpr int kFrame = 48;
    while (buffer_.size() >= kFrame) {
      double sum = 0;
      for (int i = 0; i < kFrame; ++i) sum += quint8(buffer_[i]);
      latest_ = sum / kFrame;
      buffer_.remove(0, kFrame);
    }
    return latest_;
  }

 private:
  QProcess ffmpeg_;
  QByteArray buffer_;
  double latest_ = -1;
};

// Tunes to `channel` and returns once the program's own picture is bright or dark as expected;
// the milliseconds that took, -1 when it never did.
double TuneAndSee(TClient& client, int channel, bool bright, QElapsedTimer& clock, qint64& seenAt) {
  const qint64 from = clock.elapsed();
  client.Ask("POST", QString("/api/channel/%1").arg(channel));
  while (clock.elapsed() - from < 10000) {
    const double b = client.Brightness();
    if (b >= 0 && (b > kBright) == bright) {
      seenAt = clock.elapsed();
      return double(seenAt - from);
    }
  }
  return -1;
}

}  // namespace

int main(int argc, char* argv[]) {
  const bool smoke = pvx::bench::TakeSmokeFlag(argc, argv);
  QCoreApplication app(argc, argv);
  const int step = smoke ? 2 : argc > 1 ? qMax(2, QString(argv[1]).toInt()) : 10;
  const int flips = smoke ? 1 : 6;
  const pvx::bench::TBenchHome bench;
  QTemporaryDir dir;
  const QString home = bench.Home(), folder = dir.filePath("rec");
  QDir().mkpath(folder);
  if (!bench.StoreTunedChannels()) return 1;

  pvx::settings::TMainInfo main;
  pvx::settings::TMainPreferences prefs = main.Prefs();
  prefs.CaptureFolder = folder + "/";
  prefs.Serve = true;
  main.SetPrefs(prefs);
  pvx::settings::TCaptureSettings capture;
  capture.RecordFormat = quint8(pvx::formats::RecordFormat::DvdPal);
  capture.CaptureWidth = 720, capture.CaptureHeight = 576;
  capture.VideoBitRateKbps = 3950, capture.UseDateTimeName = false, capture.FrameRateCode = 5;
  pvx::settings::TMainSettingsPeers peers;
  peers.Capture = &capture;
  if (!main.SaveMainSettings(home + "QDVCR.cfg", peers)) return 1;
  QFile stations(home + "stations.ini");
  if (!stations.open(QIODevice::WriteOnly) ||
      stations.write("[tv1]\nfrequency=55250000\nname=Heavy\nstandard=PAL B\ntone=440\npattern=zone-plate\nmotion=heavy\n"
                     "[tv2]\nfrequency=61250000\nname=White\nstandard=PAL B\ntone=660\npattern=white\n"
                     "[tv3]\nfrequency=67250000\nname=Black\nstandard=PAL B\ntone=880\npattern=black\n") <= 0)
    return 1;
  stations.close();

  QProcessEnvironment env = bench.ProgramEnvironment();
  env.insert("OKA_PVX_SERVE_PORT", "0");
  env.insert("OKA_PVX_RTSP_PORT", "0");
  env.insert("QT_LOGGING_RULES", "pvx.media.info=true");
  QProcess program;
  const QString log = dir.filePath("program.log");
  if (!pvx::bench::StartProgram(program, qEnvironmentVariable("BENCH_PROGRAM", PVX_PROGRAM), env, log)) return 1;
  const qint64 pid = program.processId();
  // The server starts just after the window shows.
  TServed ports = ServedBy(log, home);
  QElapsedTimer waited;
  waited.start();
  while (!ports.Ready() && waited.elapsed() < 10000) {
    QThread::msleep(20);
    ports = ServedBy(log, home);
  }
  if (!ports.Ready()) {
    std::fprintf(stderr, "bench-serve: the program does not serve (see its log)\n");
    return 1;
  }
  const QByteArray token = ports.token.toLatin1();
  const QString rtspUrl = ports.RtspLive(), mp4Url = ports.BrowserLive();
  TClient client(ports.http, token);
  QElapsedTimer clock;
  clock.start();
  int failures = 0;

  // 1. A command to its effect in /api/state: mute, which has no waits of its own, and a channel,
  // which waits for the tuner, and then to the program's own new picture.
  std::vector<double> toMute;
  for (int i = 0; i < flips * 4; ++i) {
    const bool muted = QJsonDocument::fromJson(client.Ask("GET", "/api/state").body)["muted"].toBool();
    const qint64 from = clock.elapsed();
    client.Ask("POST", "/api/command/mute");
    while (QJsonDocument::fromJson(client.Ask("GET", "/api/state").body)["muted"].toBool() == muted &&
           clock.elapsed() - from < 10000) {}
    toMute.push_back(double(clock.elapsed() - from));
  }
  std::vector<double> toState, toPicture;
  for (int i = 0; i < flips * 2; ++i) {
    const int channel = i % 2 ? kBlack : kWhite;
    const qint64 from = clock.elapsed();
    client.Ask("POST", QString("/api/channel/%1").arg(channel));
    while (client.Channel() != channel && clock.elapsed() - from < 10000) {}
    toState.push_back(double(clock.elapsed() - from));
    while (clock.elapsed() - from < 10000) {
      const double b = client.Brightness();
      if (b >= 0 && (b > kBright) == (channel == kWhite)) break;
    }
    toPicture.push_back(double(clock.elapsed() - from));
  }
  std::printf("mute to /api/state:         median %.0f ms, worst %.0f ms (goal <= 150)\n", Median(toMute),
              *std::max_element(toMute.begin(), toMute.end()));
  std::printf("channel to /api/state:      median %.0f ms, worst %.0f ms; to its new picture %.0f ms (the tuner's "
              "waits)\n", Median(toState), *std::max_element(toState.begin(), toState.end()), Median(toPicture));

  // 2. RTSP: from the program's new picture to the client's.
  {
    TRtspWatcher watcher(rtspUrl);
    qint64 shownAt = 0;
    TuneAndSee(client, kWhite, true, clock, shownAt);
    const qint64 waitFrom = clock.elapsed();
    while (watcher.Latest() <= kBright && clock.elapsed() - waitFrom < 20000) Pause(10);
    std::vector<double> latency;
    for (int i = 0; i < flips; ++i) {
      const bool bright = i % 2 == 1;
      qint64 shown = 0;
      if (TuneAndSee(client, bright ? kWhite : kBlack, bright, clock, shown) < 0) break;
      while ((watcher.Latest() > kBright) != bright && clock.elapsed() - shown < 10000) Pause(2);
      if ((watcher.Latest() > kBright) == bright) latency.push_back(double(clock.elapsed() - shown));
    }
    if (int(latency.size()) < flips) {
      std::fprintf(stderr, "bench-serve: the RTSP client missed %d of %d picture changes\n", flips - int(latency.size()), flips);
      ++failures;
    } else {
      std::printf("RTSP live latency:          median %.0f ms, worst %.0f ms over %d changes (goal <= 1500)\n",
                  Median(latency), *std::max_element(latency.begin(), latency.end()), flips);
    }
  }

  // 3. The browser: the page's own <video>, measured inside Chromium on its clock.
  {
    QProcess browser;
    browser.start("/usr/bin/python3", {PVX_BROWSER_LATENCY, QString("http://127.0.0.1:%1/?token=%2").arg(ports.http).arg(ports.token),
                                       QString::number(flips), QString::number(kWhite), QString::number(kBlack)});
    QElapsedTimer waited;
    waited.start();
    while (browser.state() != QProcess::NotRunning && waited.elapsed() < 180000) Pause(50);
    const QString out = QString::fromUtf8(browser.readAllStandardOutput());
    std::vector<double> latency;
    for (const QString& line : out.split('\n'))
      if (line.startsWith("latency ")) latency.push_back(line.mid(8).toDouble());
    if (int(latency.size()) < flips) {
      std::fprintf(stderr, "bench-serve: the browser measured %d of %d changes: %s%s\n", int(latency.size()), flips,
                   qPrintable(out), browser.readAllStandardError().constData());
      ++failures;
    } else {
      std::printf("browser live latency:       median %.0f ms, worst %.0f ms over %d changes (goal <= 4000)\n",
                  Median(latency), *std::max_element(latency.begin(), latency.end()), flips);
    }
  }

  // 4. CPU with the picture moving, by viewers.
  qint64 heavyAt = 0;
  TuneAndSee(client, kHeavy, false, clock, heavyAt);
  const auto cpuWith = [&](const QString& url, int viewers) {
    std::vector<TViewer> watching;
    for (int i = 0; i < viewers; ++i) watching.push_back(Viewer(url));
    Pause(2000);
    const double before = CpuSecondsOf(pid);
    Pause(step * 1000);
    return (CpuSecondsOf(pid) - before) / step;
  };
  const double idle = cpuWith({}, 0);
  const double rtsp1 = cpuWith(rtspUrl, 1), rtsp4 = cpuWith(rtspUrl, 4);
  const double mp41 = cpuWith(mp4Url, 1), mp44 = cpuWith(mp4Url, 4);
  std::printf("program CPU per second:     no viewer %.3f; RTSP 1 viewer %.3f, 4 viewers %.3f; browser stream 1 viewer "
              "%.3f, 4 viewers %.3f\n", idle, rtsp1, rtsp4, mp41, mp44);

  // 5. Four viewers while recording DVD PAL from the heavy-motion station.
  {
    std::vector<TViewer> watching;
    for (int i = 0; i < 4; ++i) watching.push_back(Viewer(i % 2 ? mp4Url : rtspUrl));
    Pause(2000);
    const int seconds = smoke ? 3 : step * 3;
    client.Ask("POST", "/api/command/capture");
    Pause(seconds * 1000);
    client.Ask("POST", "/api/command/stop");
    Pause(1500);
  }
  ipc::PostMessage(ipc::kMainWindowClass, ipc::kMsgCommand, pvx::commands::CodeOf(pvx::commands::TCommand::Exit), 0);
  if (!program.waitForFinished(30000)) program.kill();
  const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files);
  QFile logFile(log);
  logFile.open(QIODevice::ReadOnly);
  const auto counts = QRegularExpression("recorded .*: (\\d+) pictures \\((\\d+) repeated over gaps\\), (\\d+) pictures and (\\d+) sound")
                          .match(QString::fromUtf8(logFile.readAll()));
  if (files.isEmpty() || !counts.hasMatch()) {
    std::fprintf(stderr, "bench-serve: the recording under four viewers did not happen\n");
    return 1;
  }
  const double span = pvx::bench::StreamSpan(files.first().filePath(), "V:0");
  std::printf("DVD under 4 viewers:        %s pictures in %.2f s; the recorder dropped %s pictures and %s sound buffers, "
              "repeated %s (goal 0 dropped)\n", qPrintable(counts.captured(1)), span, qPrintable(counts.captured(3)),
              qPrintable(counts.captured(4)), qPrintable(counts.captured(2)));
  return failures == 0 ? 0 : 1;
}
