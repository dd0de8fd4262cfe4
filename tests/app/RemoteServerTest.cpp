// The home server of the running program on the virtual card: every route with and without the
// token, a command that really changes the channel, a recording downloaded by ranges and probed,
// and what it refuses (paths out of its reach, oversized and malformed requests).

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QSslConfiguration>

#include "ShellFixture.h"
#include "platform/media/MediaTestSupport.h"
#include "playback/PlaybackSession.h"
#include "remote/RemoteRoutes.h"

namespace pvx::test {
namespace {

struct Reply {
  int status = 0;
  QByteArray body;
  QMap<QByteArray, QByteArray> headers;
};

class RemoteServer : public LiveTV {
 protected:
  void SetUp() override {
    qputenv("OKA_PVX_SERVE_PORT", "0");
    qputenv("OKA_PVX_RTSP_PORT", "0");
    ASSERT_TRUE(Start({"--serve"}));
    QFile token(Home() + "remote.token");
    ASSERT_TRUE(token.open(QIODevice::ReadOnly) && App().ServerPort() > 0);
    token_ = token.readAll().trimmed();
    EXPECT_EQ(token.permissions() & (QFile::ReadGroup | QFile::ReadOther), 0) << "the user's alone";
  }
  void TearDown() override {
    qunsetenv("OKA_PVX_SERVE_PORT");
    qunsetenv("OKA_PVX_RTSP_PORT");
  }
  // What ffprobe finds at `url`: its streams' codecs, or its complaint.
  QString ProbeStream(const QString& url) {
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-rtsp_transport", "tcp", "-show_entries", "stream=codec_name", "-of",
                            "csv=p=0", url});
    // The program feeds the stream from this thread's event loop while ffprobe watches.
    EXPECT_TRUE(WaitUntil([&] { return probe.state() == QProcess::NotRunning; }, 60000));
    return QString::fromUtf8(probe.readAllStandardOutput() + probe.readAllStandardError()).simplified();
  }

  // The loudest sound in two seconds of the stream at `url`, in dB; ffmpeg's report in `log`.
  double Loudest(const QString& url, QString& log) {
    QProcess listener;
    QStringList args{"-nostats"};
    if (url.startsWith("rtsp")) args << "-rtsp_transport" << "tcp";
    listener.start("ffmpeg", args + QStringList{"-i", url, "-t", "2", "-af", "volumedetect", "-f", "null", "-"});
    EXPECT_TRUE(WaitUntil([&] { return listener.state() == QProcess::NotRunning; }, 60000));
    log = QString::fromUtf8(listener.readAllStandardError());
    const QRegularExpressionMatch loudest = QRegularExpression("max_volume: (-?[0-9.]+) dB").match(log);
    return loudest.hasMatch() ? loudest.captured(1).toDouble() : -1000;
  }

  Reply Ask(const QByteArray& method, const QString& path, const QList<QPair<QByteArray, QByteArray>>& headers = {},
            const QByteArray& body = {}) {
    QNetworkRequest request(QUrl(QString("http://127.0.0.1:%1%2").arg(App().ServerPort()).arg(path)));
    for (const auto& [key, value] : headers) request.setRawHeader(key, value);
    QNetworkReply* reply = network_.sendCustomRequest(request, method, body);
    EXPECT_TRUE(WaitUntil([&] { return reply->isFinished(); }));
    Reply r{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll(), {}};
    for (const auto& [key, value] : reply->rawHeaderPairs()) r.headers[key.toLower()] = value;
    reply->deleteLater();
    return r;
  }
  Reply AskWithToken(const QByteArray& method, const QString& path, QList<QPair<QByteArray, QByteArray>> headers = {},
                     const QByteArray& body = {}) {
    headers << qMakePair(QByteArray("Authorization"), "Bearer " + token_);
    return Ask(method, path, headers, body);
  }
  int Channel() { return QJsonDocument::fromJson(AskWithToken("GET", "/api/state").body)["channel"].toInt(); }

  QByteArray token_;
  QNetworkAccessManager network_;
};

TEST_F(RemoteServer, EveryRouteWantsTheTokenAndACommandReallyChangesTheChannel) {
  // Without the token, or with a wrong one, every route answers the same refusal.
  const char* routes[] = {"/", "/api/state", "/api/channels", "/api/recordings", "/api/peers", "/recordings/0", "/live.jpg"};
  for (const char* route : routes) {
    SCOPED_TRACE(route);
    const Reply none = Ask("GET", route), wrong = Ask("GET", route, {{"Authorization", "Bearer " + QByteArray(32, 'x')}});
    EXPECT_EQ(std::tuple(none.status, wrong.status, none.body), std::tuple(401, 401, wrong.body));
  }
  // With it: from the header, or from the link, which leaves a cookie for the page.
  EXPECT_EQ(AskWithToken("GET", "/api/channels").status, 200);
  const Reply linked = Ask("GET", "/?token=" + token_);
  EXPECT_TRUE(linked.status == 200 && linked.body.contains("<html") && linked.headers["set-cookie"].contains(token_));
  EXPECT_TRUE(AskWithToken("GET", "/app.js").status == 200 && AskWithToken("GET", "/style.css").status == 200);
  EXPECT_EQ(Ask("GET", "/api/state", {{"Cookie", "pvx_token=" + token_}}).status, 200);
  EXPECT_EQ(Ask("GET", "/api/state", {{"Authorization", "bearer " + token_}}).status, 200) << "any case";
  EXPECT_TRUE(AskWithToken("GET", "/live.jpg").body.startsWith("\xff\xd8")) << "a JPEG picture";

  const int before = Channel();
  const Reply next = AskWithToken("POST", "/api/command/next-channel");
  EXPECT_EQ(next.status, 200) << next.body.toStdString();
  EXPECT_TRUE(WaitUntil([&] { return Channel() != before; }));
  EXPECT_EQ(Channel(), ProgramChannels().CurrentChannel());
  const int first = QJsonDocument::fromJson(AskWithToken("GET", "/api/channels").body).array().at(0).toObject()["number"].toInt();
  EXPECT_EQ(AskWithToken("POST", QString("/api/channel/%1").arg(first)).status, 200);
  EXPECT_TRUE(WaitUntil([&] { return ProgramChannels().CurrentChannel() == first; }));

  // What it refuses, and how.
  const struct { const char* method; QString path; QByteArray body; int status; } refused[] = {
      {"POST", "/api/command/no-such-command", {}, 404},
      {"GET", "/api/command/next-channel", {}, 404},
      {"DELETE", "/api/state", {}, 405},
      {"POST", "/api/channel/999", {}, 409},
      {"POST", "/api/channel/7a", {}, 400},
      {"GET", "/..%2F..%2FQDVCR.cfg", {}, 404},
      {"GET", "/%2e%2e/remote.token", {}, 404},
      {"GET", "/remote.token", {}, 404},
      {"GET", "/api/peers", {}, 200},
      {"GET", "/recordings/-1", {}, 404},
      {"GET", "/recordings/99999999999", {}, 404},
      {"GET", "/" + QString(remote::kMaxPath, QChar('a')), {}, 414},
      {"POST", "/api/command/mute", QByteArray(remote::kMaxBody + 1, 'x'), 413},
  };
  for (const auto& r : refused) {
    SCOPED_TRACE(r.path.left(60).toStdString());
    EXPECT_EQ(AskWithToken(r.method, r.path, {}, r.body).status, r.status);
  }
}

// The page in headless Chromium, driven by Selenium: its channel list shows names, a click on
// "next channel" changes the program's channel, and the live video plays.
TEST_F(RemoteServer, ThePageWorksInARealBrowser) {
  const int before = ProgramChannels().CurrentChannel();
  ProgramChannels().ChannelRecord(ProgramChannels().CurrentTable() == 1, before)->Name = "Seven Sports";
  const QString shots = qEnvironmentVariable("OKA_PVX_SHOTS", Home()) + "/web";
  QProcess check;
  check.start("/usr/bin/python3", {PVX_PAGE_CHECK, QString("http://127.0.0.1:%1/?token=%2").arg(App().ServerPort()).arg(QString(token_)), shots, "Seven Sports"});
  // The server answers from this thread's event loop while the browser works.
  ASSERT_TRUE(WaitUntil([&] { return check.state() == QProcess::NotRunning; }, 120000));
  EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardError().toStdString();
  EXPECT_NE(ProgramChannels().CurrentChannel(), before);
  EXPECT_TRUE(QFile::exists(shots + "-phone-de.png"));
}

// The live view over RTSP, one encoder for every viewer: H.264 and AAC with the token, 401 without.
TEST_F(RemoteServer, TheLiveViewStreamsOverRtspWithTheToken) {
  const QString live = QJsonDocument::fromJson(AskWithToken("GET", "/api/state").body)["rtsp"].toString();
  ASSERT_TRUE(live.startsWith("rtsp://127.0.0.1:") && live.endsWith("?token=" + token_)) << live.toStdString();
  const QString found = ProbeStream(live);
  EXPECT_EQ(found, "h264 aac") << found.toStdString();
  EXPECT_TRUE(ProbeStream(live.left(live.indexOf('?'))).contains("401")) << "without the token";
  QString log;
  EXPECT_GT(Loudest(live, log), -40.0) << "the channel's sound, not silence: " << log.toStdString();
}

// The live view for a browser's <video>: fragmented MP4 (H.264 and AAC) carrying the program's
// own sound, for as long as the viewer stays; a second viewer joins the same stream.
TEST_F(RemoteServer, TheLiveViewStreamsAsMp4WithTheProgramsSound) {
  EXPECT_EQ(Ask("GET", "/live").status, 401);
  const QString url = QString("http://127.0.0.1:%1/live?token=%2").arg(App().ServerPort()).arg(QString(token_));
  QProcess viewers[2];
  for (QProcess& viewer : viewers)
    viewer.start("ffmpeg", {"-nostats", "-i", url, "-t", "3", "-af", "volumedetect", "-f", "null", "-"});
  // The program feeds the stream from this thread's event loop while both watch.
  for (QProcess& viewer : viewers) {
    ASSERT_TRUE(WaitUntil([&] { return viewer.state() == QProcess::NotRunning; }, 60000));
    const QString log = QString::fromUtf8(viewer.readAllStandardError());
    EXPECT_EQ(viewer.exitCode(), 0) << log.toStdString();
    EXPECT_TRUE(log.contains(QRegularExpression("Input #0, mov,mp4.*Video: h264.*\\d+x\\d+.*Audio: aac",
                                                QRegularExpression::DotMatchesEverythingOption)))
        << log.toStdString();
    const QRegularExpressionMatch loudest = QRegularExpression("max_volume: (-?[0-9.]+) dB").match(log);
    EXPECT_GT(loudest.captured(1).toDouble(), -40.0) << "the channel's sound, not silence: " << log.toStdString();
  }
  // By now the channel has shown long enough for its thumbnail.
  const int channel = ProgramChannels().CurrentChannel();
  const Reply thumbnail = AskWithToken("GET", QString("/thumbnails/%1").arg(channel));
  EXPECT_TRUE(thumbnail.status == 200 && thumbnail.body.startsWith("\xff\xd8"));
  EXPECT_EQ(AskWithToken("GET", "/thumbnails/x").status, 404);

  // FM: the station's sound, under a picture of its frequency.
  EXPECT_EQ(AskWithToken("POST", "/api/command/tv-or-fm").status, 200);
  ASSERT_TRUE(WaitUntil([&] { return QJsonDocument::fromJson(AskWithToken("GET", "/api/state").body)["mode"] == "fm"; }));
  QString log;
  EXPECT_GT(Loudest(url, log), -40.0) << log.toStdString();
}

// The scheduler's timetable from the page: added, listed, refused with a reason, removed.
TEST_F(RemoteServer, TheTimetableTakesEntriesAndSaysWhyItRefusesOne) {
  qputenv("OKA_PVX_SYSTEMD_DIR", QFile::encodeName(Home() + "units"));
  qputenv("OKA_PVX_SYSTEMCTL", "");  // no timers here
  const QByteArray tomorrow = QDateTime::currentDateTime().addDays(1).toString("yyyy-MM-ddTHH:mm").toUtf8();
  const QByteArray entry = R"({"start":")" + tomorrow + R"(","minutes":30,"channel":2,"name":"../News"})";
  EXPECT_EQ(AskWithToken("POST", "/api/schedule", {}, entry).status, 201);
  const QJsonArray list = QJsonDocument::fromJson(AskWithToken("GET", "/api/schedule").body).array();
  ASSERT_EQ(list.size(), 1);
  EXPECT_EQ(list.at(0).toObject()["name"].toString(), "_News") << "never a folder";
  const struct { QByteArray body; const char* reason; } refused[] = {
      {entry, "overlaps"},
      {"{not json", "not a JSON object"},
      {R"({"start":"2001-01-01T10:00","minutes":30,"channel":2})", "too early"},
      {R"({"start":"tomorrow","minutes":30,"channel":2})", "a start, minutes"},
  };
  for (const auto& r : refused) {
    const Reply got = AskWithToken("POST", "/api/schedule", {}, r.body);
    EXPECT_EQ(got.status, 400) << r.body.toStdString();
    EXPECT_TRUE(got.body.contains(r.reason)) << got.body.toStdString();
  }
  const QString removal = "/api/schedule/" + QString::number(list.at(0).toObject()["id"].toInt());
  EXPECT_EQ(AskWithToken("DELETE", removal).status, 204);
  EXPECT_EQ(AskWithToken("DELETE", removal).status, 404) << "gone";
  qunsetenv("OKA_PVX_SYSTEMD_DIR");
  qunsetenv("OKA_PVX_SYSTEMCTL");
}

TEST_F(RemoteServer, ARecordingDownloadsByRangesAndProbesAsTheFileItIs) {
  const qint64 from = FramesShown();
  EXPECT_EQ(AskWithToken("POST", "/api/command/capture").status, 200);
  ASSERT_TRUE(WaitUntil([&] { return FramesShown() >= from + 45; }));
  EXPECT_EQ(AskWithToken("POST", "/api/command/stop").status, 200);
  const QJsonArray list = QJsonDocument::fromJson(AskWithToken("GET", "/api/recordings").body).array();
  ASSERT_EQ(list.size(), 1);
  QFile original(App().Playback().Lists.Items.front()->FilePath);
  ASSERT_TRUE(original.open(QIODevice::ReadOnly));
  const QByteArray bytes = original.readAll();
  const QString url = "/recordings/" + QString::number(list.at(0).toObject()["id"].toInt());
  // The range, the Content-Range it must carry, the status, and the bytes.
  const qint64 size = bytes.size();
  const struct { QByteArray range; int status; qint64 at, length; } rows[] = {
      {"", 200, 0, size},
      {"bytes=0-", 206, 0, size},
      {"bytes=10-19", 206, 10, 10},
      {"bytes=-100", 206, size - 100, 100},
      {"bytes=0-99999999999999999999", 206, 0, size},
      {"bytes=" + QByteArray::number(size), 416, 0, 0},
      {"bytes=5-2", 416, 0, 0},
      {"chunks=0-1", 416, 0, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.range.toStdString());
    const Reply got = AskWithToken("GET", url, r.range.isEmpty() ? QList<QPair<QByteArray, QByteArray>>{}
                                                                 : QList{qMakePair(QByteArray("Range"), r.range)});
    EXPECT_EQ(got.status, r.status);
    EXPECT_TRUE(r.status == 416 || got.body == bytes.mid(r.at, r.length)) << got.body.size();
  }
  // For the browser's own player: inline, typed, by ranges.
  const Reply played = AskWithToken("GET", url + "?play", {{"Range", "bytes=0-99"}});
  EXPECT_EQ(std::tuple(played.status, played.headers["content-type"], played.headers["content-disposition"].left(6)),
            std::tuple(206, QByteArray("video/mpeg"), QByteArray("inline")));
  EXPECT_EQ(list.at(0).toObject()["type"].toString(), "video/mpeg");
  // Read back in two ranges, the file probes as the recording does.
  const QByteArray joined = AskWithToken("GET", url, {{"Range", "bytes=0-99999"}}).body +
                            AskWithToken("GET", url, {{"Range", "bytes=100000-"}}).body;
  QFile copy(Home() + "downloaded.mpg");
  ASSERT_TRUE(copy.open(QIODevice::WriteOnly) && copy.write(joined) == size);
  copy.close();
  const TProbe probe = Probe(copy.fileName());
  EXPECT_TRUE(probe.ok && probe.duration > 1.0 && probe.picture == Probe(original.fileName()).picture);
}

// HTTPS with the user's certificate and key in the program folder, alone on the port; a missing
// key, or another certificate's, serves nothing and the log names the key.
class RemoteServerTls : public RemoteServer {};
QStringList gLog;  // this thread's lines alone: the program serves, and says so, on it
void KeepLog(QtMsgType, const QMessageLogContext&, const QString& text) {
  if (QThread::currentThread() == qApp->thread()) gLog << text;
}

TEST_F(RemoteServerTls, TheUsersCertificateServesHttpsAloneAndABrokenPairNothing) {
  ASSERT_TRUE(QFile::copy(Fixture("tls/server.crt"), Home() + "server.crt"));
  QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
  tls.setCaCertificates(QSslCertificate::fromPath(Fixture("tls/server.crt")));  // trusted: that certificate alone
  const QtMessageHandler old = qInstallMessageHandler(KeepLog);
  const struct { QString key; const char* logged; } rows[] = {
      {"server.key", "serving on https://"}, {"", "server.key is missing"}, {"other.key", "server.key is not the key"}};
  for (const auto& r : rows) {
    App().StopServing(), QFile::remove(Home() + "server.key"), gLog.clear();
    EXPECT_TRUE(r.key.isEmpty() || QFile::copy(Fixture("tls/" + r.key), Home() + "server.key"));
    EXPECT_EQ(App().Serve(false) > 0, r.key == "server.key") << r.logged;
    EXPECT_EQ(gLog.filter(r.logged).size(), 1) << gLog.join('\n').toStdString();
    if (App().ServerPort() == 0) continue;
    QNetworkRequest request(QUrl(App().ServingLink().replace("/?", "/api/state?")));
    request.setSslConfiguration(tls);
    std::unique_ptr<QNetworkReply> reply(network_.get(request));
    EXPECT_TRUE(WaitUntil([&] { return reply->isFinished(); }));
    EXPECT_EQ(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200) << "HTTPS, by the link";
    EXPECT_EQ(Ask("GET", "/api/state").status, 0) << "plain HTTP on the same port";
  }
  qInstallMessageHandler(old);
}

}  // namespace
}  // namespace pvx::test
