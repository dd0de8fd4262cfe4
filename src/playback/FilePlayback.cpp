#include "playback/FilePlayback.h"

#include <QFileInfo>
#include <QStringList>

#include "engine/CaptureInfo.h"
#include "playback/PlaybackSession.h"
#include "playback/TransportStream.h"
#include "settings/ErrorMessages.h"

namespace pvx::playback {

namespace {

const QStringList kAudioOnlySuffixes = {"mp3", "mpa", "wma", "wav", "wave"};

void Complete(const TPlaybackHooks& hooks, TPlaybackProject& sender) {
  // A playback that broke off says why before the list moves on.
  if (!sender.FailureText().isEmpty()) settings::ShowErrorText(sender.FailureText());
  if (hooks.OnComplete) hooks.OnComplete();
}

}  // namespace

bool FilePlaybackActive(TPlaybackSession& session) { return session.File != nullptr; }

int NextFasterRate(int index) { return index >= 1 && index < 3 ? index + 1 : index == 0 ? 1 : 0; }

int NextSlowerRate(int index) { return index >= 4 && index < 6 ? index + 1 : index == 0 ? 4 : 0; }

bool StopPlayback(TPlaybackSession& session) {
  if (!session.File) return true;
  // A graph that never finishes must not freeze us.
  if (session.File->Stop()) session.File->WaitForCompletion(kStopWaitMs);
  session.File.reset();
  return true;
}

bool PlayFile(TPlaybackSession& session, const QString& path) {
  const TPlaybackHooks& hooks = session.FileHooks;
  if (session.File) {
    StopPlayback(session);
  } else if (hooks.StopTimeShiftPlayback) {
    hooks.StopTimeShiftPlayback();
  }
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == "mpv") return hooks.PlayTimeShiftFile && hooks.PlayTimeShiftFile(path);
  if (!hooks.Components) return false;
  const bool pip = hooks.PIPEnabled && hooks.PIPEnabled();
  session.File = std::make_unique<TPlaybackProject>(*hooks.Components, hooks.Host, pip,
                                                    kAudioOnlySuffixes.contains(suffix));
  TPlaybackProject& player = *session.File;
  player.FileName = path;
  player.OnProgress = [&hooks](TPlaybackProject&, int position, int current, int total) {
    if (hooks.OnProgress) hooks.OnProgress(position, current, total);
  };
  player.OnComplete = [&hooks](TPlaybackProject& sender) { Complete(hooks, sender); };
  player.OnVideoWindow = hooks.OnVideoWindow;
  player.SetPip(pip);
  QString refusal = "Cannot support MPEG2 transport stream playback...";
  if (!IsMpeg2TransportStream(path)) {
    if (player.BuildGraph() && player.Play()) return true;
    refusal = player.FailureText();
  }
  // A player that cannot play is not kept: its empty window would cover the picture, and the
  // main window would take it for a running picture-in-picture.
  StopPlayback(session);
  settings::ShowErrorText(refusal);
  return false;
}

bool SnapshotPlayback(TPlaybackSession& session) {
  if (!session.File) return true;
  QImage image;
  if (!session.File->GrabFrame(image)) {
    settings::ShowErrorCode(1008);
    return false;
  }
  if (session.FileHooks.Snapshots) session.FileHooks.Snapshots->InsertSnapshot(image);
  return true;
}

bool FasterPlayback(TPlaybackSession& session) {
  if (session.File) session.File->SetRate(NextFasterRate(session.File->RateIndex));
  return true;
}

bool SlowerPlayback(TPlaybackSession& session) {
  if (session.File) session.File->SetRate(NextSlowerRate(session.File->RateIndex));
  return true;
}

}  // namespace pvx::playback
