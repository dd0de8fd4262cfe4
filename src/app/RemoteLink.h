#pragma once
// The running program as the home server sees it: its state, its channels and recordings, and
// commands run through the dispatcher with the same gates as the keys.

#include <QHash>
#include <QImage>
#include <functional>

#include "remote/RemoteRoutes.h"

namespace pvx::app {

struct TShell;

class TRemoteLink final : public remote::IRemoteShell {
 public:
  explicit TRemoteLink(TShell& shell) : shell_(shell) {}

  QJsonObject State() override;
  QJsonArray Channels() override;
  remote::TCommandResult Run(const QString& command) override;
  remote::TCommandResult Tune(int channel) override;
  QJsonArray Recordings() override;
  QString RecordingFile(int id) override;
  QByteArray Picture() override;
  QJsonArray Schedule() override;
  bool AddToSchedule(const QJsonObject& entry, QString& reason) override;
  bool RemoveFromSchedule(int id) override;
  QJsonArray Peers() override { return FoundPeers ? FoundPeers() : QJsonArray(); }
  QByteArray Thumbnail(int channel) override { return thumbnails_.value(channel); }

  // The channel's picture now, kept small as its thumbnail.
  void RememberPicture(int channel, const QImage& picture);

  // The other boxes, as the server's discovery found them.
  std::function<QJsonArray()> FoundPeers;
  // The live view's RTSP address with its token; empty without one.
  std::function<QString()> LiveStreamLink;

 private:
  TShell& shell_;
  QHash<int, QByteArray> thumbnails_;
};

}  // namespace pvx::app
