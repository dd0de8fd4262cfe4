#include "playback/FilePlayback.h"

#include <QFileInfo>
#include <QStringList>

#include "engine/CaptureInfo.h"
#include "playback/TransportStream.h"
#include "settings/ErrorMessages.h"

namespace pvx::playback {

TPlaybackHooks PlaybackHooks;
std::unique_ptr<TPlaybackProject> FilePlayback;

namespace {

const QStringList kAudioOnlySuffixes = {"mp3", "mpa", "wma", "wav", "wave"};

void Complete(TPlaybackProject& sender) {
  // A playback that broke off says why before the list moves on.
  if (!sender.FailureText().isEmpty()) settings::ShowErrorText(sender.FailureText());
  if (PlaybackHooks.OnComplete) PlaybackHooks.OnComplete();
}

}  // namespace

bool FilePlaybackActive() { return FilePlayback != nullptr; }

int NextFasterRate(int index) { return index >= 1 && index < 3 ? index + 1 : index == 0 ? 1 : 0; }

int NextSlowerRate(int index) { return index >= 4 && index < 6 ? index + 1 : index == 0 ? 4 : 0; }

bool StopPlayback() {
  if (!FilePlayback) return true;
  // The original waited without end here; a graph that never finishes must not freeze us.
  if (FilePlayback->Stop()) FilePlayback->WaitForCompletion(kStopWaitMs);
  FilePlayback.reset();
  return true;
}

bool PlayFile(const QString& path) {
  if (FilePlayback) {
    StopPlayback();
  } else if (PlaybackHooks.StopTimeShiftPlayback) {
    PlaybackHooks.StopTimeShiftPlayback();
  }
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == "mpv") return PlaybackHooks.PlayTimeShiftFile && PlaybackHooks.PlayTimeShiftFile(path);
  if (!PlaybackHooks.Components) return false;
  const bool pip = PlaybackHooks.PIPEnabled && PlaybackHooks.PIPEnabled();
  FilePlayback = std::make_unique<TPlaybackProject>(*PlaybackHooks.Components, PlaybackHooks.Host, pip,
                                                    kAudioOnlySuffixes.contains(suffix));
  TPlaybackProject& player = *FilePlayback;
  player.FileName = path;
  player.OnProgress = [](TPlaybackProject&, int position, int current, int total) {
    if (PlaybackHooks.OnProgress) PlaybackHooks.OnProgress(position, current, total);
  };
  player.OnComplete = Complete;
  player.OnVideoWindow = PlaybackHooks.OnVideoWindow;
  player.SetPip(pip);
  QString refusal = "Cannot support MPEG2 transport stream playback...";
  if (!IsMpeg2TransportStream(path)) {
    if (player.BuildGraph() && player.Play()) return true;
    refusal = player.FailureText();
  }
  // A player that cannot play is not kept: its empty window would cover the picture, and the
  // main window would take it for a running picture-in-picture.
  StopPlayback();
  settings::ShowErrorText(refusal);
  return false;
}

bool SnapshotPlayback() {
  if (!FilePlayback) return true;
  QImage image;
  if (!FilePlayback->GrabFrame(image)) {
    settings::ShowErrorCode(1008);
    return false;
  }
  if (PlaybackHooks.Snapshots) PlaybackHooks.Snapshots->InsertSnapshot(image);
  return true;
}

bool FasterPlayback() {
  if (FilePlayback) FilePlayback->SetRate(NextFasterRate(FilePlayback->RateIndex));
  return true;
}

bool SlowerPlayback() {
  if (FilePlayback) FilePlayback->SetRate(NextSlowerRate(FilePlayback->RateIndex));
  return true;
}

}  // namespace pvx::playback
