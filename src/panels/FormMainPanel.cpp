#include "panels/FormMainPanel.h"

#include <QDateTime>
#include <QKeyEvent>

#include "commands/CommandTable.h"
#include "engine/AudioAdjustInfo.h"
#include "engine/CaptureInfo.h"
#include "platform/TTimer.h"
#include "settings/ChannelInfo.h"
#include "settings/MultiLangInfo.h"

namespace pvx::panels {

namespace {

using C = commands::TCommand;
using commands::CodeOf;

// The source pop-up: component name, built-in caption, language key, command.
struct TSourceDef {
  const char* Name;
  const char* Caption;
  const char* Key;
  int Command;
};
const TSourceDef kSources[] = {
    {"itemAntenna", "Antenna", "Antenna", CodeOf(C::Antenna)},
    {"itemCable", "Cable", "Cable", CodeOf(C::Cable)},
    {"itemMemory", "Memory", "Memory", CodeOf(C::Memory)},
    {"itemComposite", "Composite", "Composite", CodeOf(C::Composite)},
    {"itemSVideo", "S-Video", "SVideo", CodeOf(C::SVideo)},
    {"itemFM", "FM", nullptr, CodeOf(C::TVOrFM)},
};
constexpr int kMenuComposite = 3, kMenuSVideo = 4, kMenuFM = 5;
// Items 0..37 are buttons (37 the mute indicator); the bar and the slider follow.
constexpr int kCommandItems = 38;

bool Playing(settings::TAppMode mode) {
  return mode == settings::amPlayback || mode == settings::amTimeShiftPlayback;
}

}  // namespace

TFormMainPanel::TFormMainPanel(TSkinPanel::TPainter painter, TPanelEnvironment env, QWidget* parent)
    : TSkinPanel(std::move(painter), env.UI->TVItems.data(), TUIInfo::kTVCount, kCommandItems,
                 TUIInfo::kTVMuteIndicator, parent),
      env_(std::move(env)),
      display_(this, Art().LabelColor),  // after the skin, so the labels sit over it
      sliders_(*this),
      timerShowTime_(std::make_unique<platform::TTimer>()) {
  setObjectName(QStringLiteral("FormMainPanel"));
  // Beside the main window without a task-bar entry of its own.
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
  setFocusPolicy(Qt::StrongFocus);
  Skin()->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Skin(), &QWidget::customContextMenuRequested, this, &TFormMainPanel::ShowMainMenu);
  CreateSourceMenu();
  timerShowTime_->SetInterval(1000);
  timerShowTime_->OnTimer = [this](platform::TTimer&) { TimerShowTimeTimer(); };
  hasTuner_ = env_.Capture && env_.Capture->HasTuner();
  ApplyPanelLanguage();
}

TFormMainPanel::~TFormMainPanel() = default;

void TFormMainPanel::CreateSourceMenu() {
  popupSource_ = new QMenu(this);
  popupSource_->setObjectName(QStringLiteral("PopupMenuInputSource"));
  for (const TSourceDef& def : kSources) {
    QAction* action = popupSource_->addAction(QString::fromLatin1(def.Caption));
    action->setObjectName(QLatin1String(def.Name));
    action->setData(def.Command);
    const int code = def.Command;
    connect(action, &QAction::triggered, this, [this, code] {
      if (env_.ExecuteCommand) env_.ExecuteCommand(code);
    });
  }
}

QString TFormMainPanel::SourceCaption(int menuIndex) const {
  return popupSource_->actions().at(menuIndex)->text();
}

void TFormMainPanel::ApplyPanelLanguage() {
  const settings::TMultiLangInfo* lang = env_.Language;
  if (!lang) return;
  env_.UI->ApplyLanguage(*lang);
  const QList<QAction*> actions = popupSource_->actions();
  for (int i = 0; i < actions.size(); ++i) {
    QString caption;
    if (kSources[i].Key && lang->Lookup(QLatin1String(kSources[i].Key), &caption)) actions[i]->setText(caption);
  }
  QFont menuFont = popupSource_->font();
  menuFont.setPointSize(lang->FontSize);
  popupSource_->setFont(menuFont);
  display_.SetStateFontSize(lang->FontSize);
  if (env_.Main->Mode() == settings::amTV) display_.ShowStateText(SourceText());
  // The sound mode's name is a text of the language too.
  if (const settings::TChannelInfo* channels = env_.Channels) {
    const QString audio = settings::TChannelInfo::AudioModeName(channels->AudioMode(), channels->Standard());
    if (!audio.isEmpty()) display_.ShowTVAudioText(audio);
  }
}

QString TFormMainPanel::SourceText() const {
  const settings::TChannelInfo* channels = env_.Channels;
  switch (channels->VideoSource()) {
    case settings::TChannelInfo::kTuner:
      return channels->CurrentTable() <= settings::TChannelInfo::kMemory
                 ? SourceCaption(channels->CurrentTable())
                 : QStringLiteral("Live");
    case settings::TChannelInfo::kComposite:
      return SourceCaption(kMenuComposite);
    case settings::TChannelInfo::kSVideo:
      return SourceCaption(kMenuSVideo);
    case settings::TChannelInfo::kCamera: {
      const QString aux = env_.Language ? env_.Language->LookupCaption("Aux") : QString();
      return aux.isEmpty() ? QStringLiteral("Camera") : aux;
    }
    default:
      return QStringLiteral("Live");
  }
}

void TFormMainPanel::UpdateFMItem() {
  popupSource_->actions().at(kMenuFM)->setVisible(env_.Main->FMEnabled() &&
                                                  env_.Main->Mode() == settings::amTV && hasTuner_);
}

void TFormMainPanel::ShowCapabilities(bool hasTuner) {
  hasTuner_ = hasTuner;
  UpdateFMItem();
}

void TFormMainPanel::showEvent(QShowEvent* event) {
  TSkinPanel::showEvent(event);
  FormShow();
  timerShowTime_->SetEnabled(true);
}

void TFormMainPanel::hideEvent(QHideEvent* event) {
  timerShowTime_->SetEnabled(false);
  TSkinPanel::hideEvent(event);
}

void TFormMainPanel::FormShow() {
  // The clock is right from the start, not a second later.
  display_.ShowClock(QDateTime::currentDateTime());
  if (HasMixer()) sliders_.SetVolume(env_.Audio->Volume(), env_.Audio->Muted());
  ShowSourceChange();
  const settings::TChannelInfo* channels = env_.Channels;
  if (TunerSource()) ShowChannel(channels->CurrentChannel());
  const QString audio = settings::TChannelInfo::AudioModeName(channels->AudioMode(), channels->Standard());
  if (!audio.isEmpty()) display_.ShowTVAudioText(audio);
  UpdateForMode(env_.Main->Mode());
}

void TFormMainPanel::TimerShowTimeTimer() {
  const bool recording = env_.Recording ? env_.Recording() : env_.Capture && env_.Capture->Recording();
  display_.Tick(QDateTime::currentDateTime(), recording, Asks(env_.SleepTimerRunning));
}

void TFormMainPanel::ShowSleepLabel(bool visible) { display_.SetSleepShown(visible); }

void TFormMainPanel::SetFloating(bool on) {
  if (on == floating_) return;
  floating_ = on;
  setWindowFlag(Qt::WindowStaysOnTopHint, on);
  if (on) {
    show();
    raise();
    activateWindow();
    setFocus();
  } else {
    hide();
  }
}

void TFormMainPanel::keyPressEvent(QKeyEvent* event) {
  if (env_.Main->Mode() != settings::amChannelPreview && env_.KeyPress && !event->text().isEmpty())
    env_.KeyPress(event->text().at(0));
}

void TFormMainPanel::keyReleaseEvent(QKeyEvent* event) {
  if (event->isAutoRepeat()) return;
  if (env_.Main->Mode() != settings::amChannelPreview && env_.KeyUp)
    env_.KeyUp(event->key(), event->modifiers());
}

void TFormMainPanel::ShowMainMenu(QPoint skinPoint) {
  if (QMenu* menu = env_.MainPopupMenu ? env_.MainPopupMenu() : nullptr)
    menu->popup(Skin()->mapToGlobal(skinPoint));
}

bool TFormMainPanel::IsSliderItem(int index) const {
  return index == TUIInfo::kTVPositionBar || index == TUIInfo::kTVVolumeSlider;
}

void TFormMainPanel::SliderInput(int index, QPoint p, bool) {
  const int value = SliderValue(Item(index), p);
  if (index == TUIInfo::kTVVolumeSlider) {
    if (HasMixer()) env_.Audio->SetVolume(value);
  } else if (env_.SeekPlayer) {
    env_.SeekPlayer(value);
  }
}

void TFormMainPanel::RunItem(int index) {
  if (index == TUIInfo::kTVSource) {
    // Below and to the right of the button's bottom-right corner.
    const TUIItemRecord& item = Item(index);
    popupSource_->popup(Skin()->mapToGlobal(QPoint(item.Right, item.Bottom)));
    return;
  }
  env_.UI->ExecuteTVItem(index);
}

bool TFormMainPanel::HasMixer() const { return env_.Audio && env_.Audio->HasMixer(); }

bool TFormMainPanel::TunerSource() const {
  return env_.Channels->VideoSource() == settings::TChannelInfo::kTuner;
}

std::array<bool, TUIInfo::kTVCount> TFormMainPanel::EnabledFlags(settings::TAppMode mode) const {
  using namespace settings;
  const bool t = mode == amTV, tp = t && TunerSource(), p = Playing(mode), m = HasMixer();
  const bool channelKeys = tp || Asks(env_.PIPPlaying);
  std::array<bool, TUIInfo::kTVCount> on{};
  for (int i : {0, 1, 2, 4, 36}) on[size_t(i)] = true;
  for (int i : {3, 5, 8, 11, 34, 35}) on[size_t(i)] = t;
  on[6] = tp;
  on[7] = t || p;
  on[9] = channelKeys;
  for (int i = 12; i <= 25; ++i) on[size_t(i)] = channelKeys;
  for (int i : {26, 27, 28, 39}) on[size_t(i)] = m;
  on[29] = t || (mode == amTimeShifting && Asks(env_.TimeShiftReady));
  on[30] = p;
  on[31] = mode != amTV && mode != amChannelPreview;
  for (int i : {32, 33, 38}) on[size_t(i)] = p;
  return on;  // 10 (iEPG) and 37 (the mute indicator) never
}

void TFormMainPanel::UpdateForMode(settings::TAppMode mode) {
  if (!isVisible() || mode == settings::amFMRadio) return;
  display_.ShowMode(mode, SourceText());
  // The sound mode means something only for a channel on the tuner.
  display_.SetTVAudioShown(mode == settings::amTV && TunerSource());
  const auto on = EnabledFlags(mode);
  for (int i = 0; i < TUIInfo::kTVCount; ++i) Item(i).Enabled = on[size_t(i)];
  for (int i = 0; i < TUIInfo::kTVMuteIndicator; ++i) RedrawItem(i);
  // A playback starts from an empty bar.
  if (!Playing(mode)) sliders_.SetPosition(0, 0);
  sliders_.Redraw();
  UpdateFMItem();
}

void TFormMainPanel::RedrawAll() {
  for (int i = 0; i < TUIInfo::kTVMuteIndicator; ++i) RedrawItem(i);
  sliders_.Redraw();
}

void TFormMainPanel::ShowVolume(qint32 volume, bool muted) {
  sliders_.SetVolume(volume, muted);
  if (isVisible()) sliders_.DrawVolume();
}

void TFormMainPanel::ShowPlayPosition(bool timeShift, qint64 positionSeconds, qint64 durationSeconds) {
  sliders_.SetPosition(positionSeconds, durationSeconds);
  if (!isVisible()) return;
  display_.ShowPlayTimes(timeShift, positionSeconds, durationSeconds);
  if (Item(TUIInfo::kTVPositionBar).Enabled) sliders_.DrawPosition();
}

void TFormMainPanel::ShowCaptureProgress(bool timeShift, qint64 elapsedSeconds, qint64 bytes, qint64 third) {
  if (!isVisible()) return;
  // While the buffer plays back, the display shows the played position instead.
  const bool keepPosition = env_.Main->Mode() == settings::amTimeShiftPlayback;
  display_.ShowCaptureProgress(timeShift, keepPosition, elapsedSeconds, bytes, third);
}

void TFormMainPanel::ShowEntryText(const QString& text) { display_.ShowChannelText(text); }

void TFormMainPanel::ShowChannel(int channel) { display_.ShowChannel(channel); }

void TFormMainPanel::ShowTableChange(int table) {
  if (table < settings::TChannelInfo::kAntenna || table > settings::TChannelInfo::kMemory) return;
  // Elsewhere the state text tells the mode.
  if (env_.Main->Mode() == settings::amTV) display_.ShowStateText(SourceCaption(table));
}

void TFormMainPanel::ShowSourceChange() {
  const bool tuner = TunerSource(), tv = env_.Main->Mode() == settings::amTV;
  if (tv) display_.ShowStateText(SourceText());
  display_.SetChannelShown(tuner);
  display_.SetTVAudioShown(tuner && tv);
  // The channel keys follow the source; the mode's rule also keeps them for a picture-in-picture.
  const auto on = EnabledFlags(env_.Main->Mode());
  for (int i : {6, 9}) Item(i).Enabled = on[size_t(i)];
  for (int i = 12; i <= 25; ++i) Item(i).Enabled = on[size_t(i)];
  for (int i = 6; i <= 35; ++i) RedrawItem(i);
}

void TFormMainPanel::ShowTVAudioText(const QString& text) { display_.ShowTVAudioText(text); }

void TFormMainPanel::ShowVideoStandardText(const QString& text) { display_.ShowVideoStandardText(text); }

void TFormMainPanel::SetTimeShiftReady(bool ready) {
  if (!isVisible()) return;
  Item(TUIInfo::kTVPlay).Enabled = ready;
  RedrawItem(TUIInfo::kTVPlay);
}

void TFormMainPanel::SetRunning(bool running) {
  Item(TUIInfo::kTVPlay).Enabled = !running;
  Item(TUIInfo::kTVPause).Enabled = running;
  RedrawItem(TUIInfo::kTVPlay);
  RedrawItem(TUIInfo::kTVPause);
}

}  // namespace pvx::panels
