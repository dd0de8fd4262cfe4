// The home server's router, fed requests as the server hands them over. The input is
//   METHOD PATH?QUERY [BODY-PAD [PATH-PAD]]
//   name: value
//   ...
//   (empty line)
//   body
// where the pads append that many bytes to the body or the path, so a small input reaches the
// size limits. Without the token nothing but a size refusal comes back; nothing is ever served
// from outside the page's four files and the one recording.

#include <QJsonDocument>
#include <QUrl>

#include "FuzzTarget.h"
#include "remote/RemoteRoutes.h"

using namespace pvx;
using namespace pvx::remote;

namespace {

const QByteArray kToken = "fuzz-token-0123456789-abcdefghijklmn";
const char* const kPages[] = {"index.html", "app.js", "i18n.js", "style.css"};
// Lies beside the page's files and above them: neither may ever come back.
const QByteArray kSecret = "not-for-the-network";

class TFakeShell final : public IRemoteShell {
 public:
  explicit TFakeShell(QString recording) : recording_(std::move(recording)) {}
  QJsonObject State() override { return {{"channel", 3}, {"muted", false}}; }
  QJsonArray Channels() override { return {QJsonObject{{"number", 3}, {"name", "Three"}}}; }
  TCommandResult Run(const QString& command) override {
    if (command == "record") return {true, false, QStringLiteral("no card")};
    return {command == "next-channel" || command == "mute", true, {}};
  }
  TCommandResult Tune(int channel) override {
    if (channel > 0 && channel < 100) return {true, true, {}};
    return {true, false, QStringLiteral("no such channel")};
  }
  QJsonArray Recordings() override { return {QJsonObject{{"id", 0}, {"name", "News"}}}; }
  QString RecordingFile(int id) override { return id == 0 ? recording_ : QString(); }
  QByteArray Picture() override { return QByteArray("\xff\xd8\xff\xd9", 4); }
  QJsonArray Schedule() override { return {QJsonObject{{"id", 1}, {"name", "News"}}}; }
  bool AddToSchedule(const QJsonObject& entry, QString& reason) override {
    if (entry.value("start").isString() && entry.value("minutes").toInt() > 0) return true;
    reason = QStringLiteral("start and minutes wanted");
    return false;
  }
  bool RemoveFromSchedule(int id) override { return id == 1; }
  QJsonArray Peers() override { return {QJsonObject{{"name", "den"}, {"url", "http://den.local:8080/"}}}; }

 private:
  QString recording_;
};

// All in the program folder, a temporary one that goes with the process.
struct TSetup {
  QString web, recording;
  QList<QByteArray> pages;
  QStringList pageFiles;

  TSetup() : web(fuzz::Home() + "web") {
    recording = QFileInfo(fuzz::Put("Recordings/News.ts", "0123456789abcdef")).absoluteFilePath();
    for (const char* page : kPages) {
      pages << "page " + QByteArray(page);
      pageFiles << QFileInfo(fuzz::Put("web/" + QString::fromLatin1(page), pages.last())).absoluteFilePath();
    }
    fuzz::Put("web/notes.txt", kSecret);
    fuzz::Put("secret.txt", kSecret);
  }
};

const TSetup& Setup() {
  static const TSetup setup;
  return setup;
}

qsizetype PadOf(const QList<QByteArray>& words, qsizetype at, qsizetype limit) {
  bool ok = false;
  const qsizetype pad = words.value(at).toLongLong(&ok);
  return ok ? qBound<qsizetype>(0, pad, 2 * limit) : 0;
}

// The method names the server passes on; any other is "OTHER".
QByteArray MethodOf(const QByteArray& word) {
  for (const char* known : {"GET", "HEAD", "POST", "PUT", "DELETE"})
    if (word == known) return known;
  return "OTHER";
}

TRemoteRequest RequestOf(const QByteArray& bytes) {
  qsizetype at = bytes.indexOf('\n');
  const QList<QByteArray> words = bytes.left(at < 0 ? bytes.size() : at).trimmed().split(' ');
  TRemoteRequest r;
  r.method = MethodOf(words.value(0));
  const QByteArray target = words.value(1);
  const qsizetype question = target.indexOf('?');
  // As the server does: QUrl reads the target, the router gets its encoded path.
  QUrl url;
  url.setScheme("http");
  url.setHost("box");
  url.setPath(QString::fromUtf8(target.left(question < 0 ? target.size() : question) +
                                QByteArray(PadOf(words, 3, kMaxPath), 'a')),
              QUrl::TolerantMode);
  if (question >= 0) url.setQuery(QString::fromUtf8(target.mid(question + 1)), QUrl::TolerantMode);
  r.path = url.path(QUrl::FullyEncoded).toUtf8();
  r.query = QUrlQuery(url);
  while (at >= 0) {
    const qsizetype end = bytes.indexOf('\n', at + 1);
    const QByteArray line = bytes.mid(at + 1, end < 0 ? -1 : end - at - 1).trimmed();
    at = end;
    if (line.isEmpty()) break;
    const qsizetype colon = line.indexOf(':');
    if (colon > 0) r.headers.push_back({line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed()});
  }
  if (at >= 0) r.body = bytes.mid(at + 1);
  r.body += QByteArray(PadOf(words, 2, kMaxBody), 'x');
  return r;
}

// Generous on purpose: a request that may carry the token anywhere counts as carrying it.
bool QueryMayCarryToken(const TRemoteRequest& r) {
  for (const auto& item : r.query.queryItems(QUrl::FullyDecoded))
    if (item.second.toUtf8().contains(kToken)) return true;
  return false;
}

bool MayCarryToken(const TRemoteRequest& r) {
  for (const auto& header : r.headers)
    if (header.second.contains(kToken)) return true;
  return QueryMayCarryToken(r);
}

bool CarriesBearer(const TRemoteRequest& r) {
  for (const auto& [name, value] : r.headers)
    if (name == "authorization") return value == "Bearer " + kToken;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const TSetup& setup = Setup();
  static TFakeShell shell(setup.recording);
  static TRemoteRoutes routes(shell, kToken, setup.web);
  const TRemoteRequest request = RequestOf(fuzz::Bytes(data, size));
  const TRemoteResponse response = routes.Handle(request);

  fuzz::Expect(response.status >= 100 && response.status <= 599);
  fuzz::Expect(response.slow == (response.status == 401));
  if (request.path.size() > kMaxPath) {
    fuzz::Expect(response.status == 414);
    return 0;
  }
  if (request.body.size() > kMaxBody) {
    fuzz::Expect(response.status == 413);
    return 0;
  }
  fuzz::Expect(response.status != 413 && response.status != 414);
  if (!MayCarryToken(request)) fuzz::Expect(response.status == 401);
  if (CarriesBearer(request)) fuzz::Expect(response.status != 401);
  // The cookie is handed out only for a token that came in the link.
  for (const auto& header : response.headers)
    if (header.first == "Set-Cookie") fuzz::Expect(QueryMayCarryToken(request));

  fuzz::Expect(!response.body.contains(kSecret));
  if (response.contentType == "application/json") fuzz::Expect(!QJsonDocument::fromJson(response.body).isNull());
  if (response.contentType.startsWith("text/")) fuzz::Expect(setup.pages.contains(response.body));
  if (response.file.isEmpty()) {
    fuzz::Expect(response.status != 206);
    return 0;
  }
  // A file only ever for the recording the shell named or a page file, and only within it.
  const QString file = QFileInfo(response.file).absoluteFilePath();
  fuzz::Expect(file == setup.recording || setup.pageFiles.contains(file));
  fuzz::Expect(response.status == 200 || response.status == 206);
  const qint64 fileSize = QFileInfo(response.file).size();
  fuzz::Expect(response.from >= 0 && response.length > 0 && response.from + response.length <= fileSize);
  return 0;
}
