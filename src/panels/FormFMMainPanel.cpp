#include "panels/FormFMMainPanel.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>

#include "commands/CommandTable.h"
#include "engine/AudioAdjustInfo.h"
#include "engine/CaptureInfo.h"
#include "panels/FMPanelRules.h"
#include "settings/ChannelInfo.h"
#include "settings/MultiLangInfo.h"
#include "util/FrequencyFormat.h"
#include "util/TimeFormat.h"

namespace pvx::panels {

using settings::TAppMode;

namespace {

constexpr int kCommandItems = 34;
constexpr int kLastButton = 32;
// The band the tuner reports when no engine is there to ask.
constexpr qint32 kDefaultFMMin = 76000000, kDefaultFMMax = 108000000;
// The position bar is drawn this much taller than its hit area, above and below.
constexpr int kPositionBarMargin = 6;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QPoint at, Qt::Alignment align,
                  int width, int pixelSize, bool mono) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  QFont font(mono ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixelSize);
  font.setBold(!mono);
  label->setFont(font);
  label->setAlignment(align | Qt::AlignVCenter);
  // The place is where the text is anchored: its left end, right end or middle.
  int left = at.x();
  if (align & Qt::AlignRight) left -= width;
  if (align & Qt::AlignHCenter) left -= width / 2;
  label->setGeometry(left, at.y(), width, pixelSize + 4);
  return label;
}

}  // namespace

TFormFMMainPanel::TFormFMMainPanel(TSkinPanel::TPainter painter, TPanelEnvironment env, QWidget* parent)
    : TSkinPanel(std::move(painter), env.UI->FMItems.data(), TUIInfo::kFMCount, kCommandItems,
                 TUIInfo::kFMMuteIndicator, parent),
      env_(std::move(env)) {
  setObjectName(QStringLiteral("FormFMMainPanel"));
  // The only window while the radio plays: it carries the program's task-bar entry.
  setWindowTitle(QStringLiteral("OKA PVX"));
  setFocusPolicy(Qt::StrongFocus);
  underLayer_ = new TShapeImage(this);
  underLayer_->setObjectName(QStringLiteral("ShapeImage1"));
  underLayer_->Moveable = false;
  underLayer_->setAttribute(Qt::WA_TransparentForMouseEvents);
  underLayer_->lower();
  // The skin may leave see-through pixels for the under-layer.
  Skin()->setAttribute(Qt::WA_OpaquePaintEvent, false);
  Skin()->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Skin(), &QWidget::customContextMenuRequested, this,
          [this](QPoint at) { menu_->popup(Skin()->mapToGlobal(at)); });
  BuildLabels();
  BuildMenu();
  TimerShowTime.OnTimer = [this](platform::TTimer&) { TimerShowTimeTimer(); };
  RedrawAll();
  ApplyPanelLanguage();
}

void TFormFMMainPanel::BuildLabels() {
  LabelTime = MakeLabel(this, "LabelTime", QStringLiteral("0:00:00"), {88, 32}, Qt::AlignLeft, 70, 12, true);
  // Room for "Seeking…" beside a frequency of five digits ("108.00 MHz").
  LabelDVCRState = MakeLabel(this, "LabelDVCRState", QStringLiteral("FM"), {89, 56}, Qt::AlignLeft, 63, 11, false);
  LabelCurretPos = MakeLabel(this, "LabelCurretPos", QString(), {224, 56}, Qt::AlignRight, 72, 12, true);
  LabelChannel = MakeLabel(this, "LabelChannel", QString(), {245, 31}, Qt::AlignHCenter, 34, 14, true);
}

void TFormFMMainPanel::BuildMenu() {
  menu_ = new QMenu(this);
  menu_->setObjectName(QStringLiteral("PopupFMMainMenu"));
  for (const TFMMenuDef& def : FMMenuTable()) {
    QAction* action = def.Caption ? menu_->addAction(QString::fromLatin1(def.Caption)) : menu_->addSeparator();
    action->setObjectName(QLatin1String(def.Name));
    action->setVisible(def.Show != TFMMenuShow::Never);
    if (!def.Caption) continue;
    action->setData(def.Command);
    action->setProperty("languageKey", QLatin1String(def.Key));
    if (def.Command == commands::CodeOf(commands::TCommand::Mute)) action->setCheckable(true);
    const int code = def.Command;
    connect(action, &QAction::triggered, this, [this, action, code] {
      // The mark follows the mixer's answer (ShowVolume), not the click.
      if (action->isCheckable()) action->setChecked(!action->isChecked());
      if (env_.ExecuteCommand) env_.ExecuteCommand(code);
    });
  }
}

QAction* TFormFMMainPanel::MenuItem(const QString& name) const {
  return menu_->findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
}

TAppMode TFormFMMainPanel::CurrentMode() const {
  return env_.Main ? env_.Main->Mode() : settings::amClosed;
}

bool TFormFMMainPanel::HasMixer() const { return env_.Audio && env_.Audio->HasMixer(); }

quint32 TFormFMMainPanel::CurrentFrequency() const {
  return env_.Capture ? env_.Capture->Tuner().FMFrequency() : dialHertz_;
}

// --- receivers -------------------------------------------------------------------------------------

void TFormFMMainPanel::UpdateForMode(TAppMode mode) {
  if (!isVisible() || !IsFMPanelMode(mode)) return;
  LabelDVCRState->setText(FMStateText(mode));
  LabelDVCRState->setVisible(true);
  if (mode == settings::amFMRadio && env_.Audio) env_.Audio->SetLineMute(false);
  const bool mixer = HasMixer();
  for (int i = 0; i < TUIInfo::kFMDialKnob; ++i) Item(i).Enabled = FMItemEnabled(i, mode, mixer);
  for (int i = 0; i <= kLastButton; ++i) RedrawItem(i);
  for (int i : {int(TUIInfo::kFMMuteIndicator), int(TUIInfo::kFMVolumeSlider)})
    if (!Item(i).Enabled) DrawItem(i, lkDisabled);
  if (!Item(TUIInfo::kFMPositionBar).Enabled) DrawPositionBar(0, 0);
  if (Item(TUIInfo::kFMDial).Enabled)
    DrawDial(CurrentFrequency());
  else
    ClearDial();
  for (const TFMMenuDef& def : FMMenuTable())
    if (def.Show != TFMMenuShow::Never) MenuItem(QLatin1String(def.Name))->setVisible(FMMenuVisible(def.Show, mode));
}

void TFormFMMainPanel::ShowVolume(qint32 volume, bool muted) {
  if (isVisible()) DrawVolume(volume, muted);
}

void TFormFMMainPanel::ShowEntryText(const QString& text) { LabelChannel->setText(text); }

void TFormFMMainPanel::ShowChannel(int channel) {
  LabelChannel->setText(QString::number(channel));
  ShowFrequencyText(CurrentFrequency());
}

void TFormFMMainPanel::ShowFMTuned(quint32 hertz, bool /*locked*/) { DrawDial(hertz); }

void TFormFMMainPanel::ShowSeeking(bool seeking) {
  QString text = seeking && env_.Language ? env_.Language->LookupCaption(QStringLiteral("FMSeeking")) : QString();
  if (seeking && text.isEmpty()) text = QStringLiteral("Seeking…");
  LabelDVCRState->setText(seeking ? text : FMStateText(CurrentMode()));
  LabelDVCRState->setVisible(true);
}

void TFormFMMainPanel::ShowCaptureProgress(qint64 elapsedSeconds) {
  if (isVisible()) LabelCurretPos->setText(util::FormatSeconds(elapsedSeconds));
}

void TFormFMMainPanel::ShowPlayPosition(qint64 positionSeconds, qint64 durationSeconds) {
  if (!isVisible()) return;
  LabelCurretPos->setText(util::FormatSeconds(positionSeconds));
  DrawPositionBar(positionSeconds, durationSeconds);
}

void TFormFMMainPanel::SetRunning(bool running) {
  Item(TUIInfo::kFMPlay).Enabled = !running;
  Item(TUIInfo::kFMPause).Enabled = running;
  RedrawItem(TUIInfo::kFMPlay);
  RedrawItem(TUIInfo::kFMPause);
}

void TFormFMMainPanel::ApplyPanelLanguage() {
  const settings::TMultiLangInfo* lang = env_.Language;
  if (!lang) return;
  env_.UI->ApplyLanguage(*lang);
  for (QAction* action : menu_->actions()) {
    QString caption;
    const QString key = action->property("languageKey").toString();
    if (!key.isEmpty() && lang->Lookup(key, &caption)) action->setText(caption);
  }
}

void TFormFMMainPanel::TimerShowTimeTimer() {
  LabelTime->setText(util::FormatClock(QDateTime::currentDateTime()));
  const TAppMode mode = CurrentMode();
  const bool recording = mode == settings::amCapture || mode == settings::amScheduledCapture;
  LabelDVCRState->setVisible(recording ? !LabelDVCRState->isVisible() : true);
}

// --- drawing ---------------------------------------------------------------------------------------

void TFormFMMainPanel::ShowFrequencyText(quint32 hertz) {
  LabelCurretPos->setText(util::MHzText(hertz));
}

void TFormFMMainPanel::DrawAroundIndicator(const QRect& from, const QRect& to, TLook look) {
  const QRegion rest = QRegion(to) - QRegion(Item(TUIInfo::kFMMuteIndicator).Rect());
  const QPoint shift = from.topLeft() - to.topLeft();
  for (const QRect& part : rest) DrawLookAt(part.translated(shift), part, look);
}

void TFormFMMainPanel::ClearDial() {
  const QRect dial = Item(TUIInfo::kFMDial).Rect();
  const QRect knob = Item(TUIInfo::kFMDialKnob).Rect();
  const QRect band =
      QRect(dial.left() - knob.width(), knob.top(), dial.width() + 2 * knob.width(), knob.height()) | dial;
  DrawAroundIndicator(band, band, lkDisabled);
}

void TFormFMMainPanel::DrawDial(quint32 hertz) {
  dialHertz_ = hertz;
  const qint32 low = env_.Capture ? env_.Capture->Tuner().FMMin() : kDefaultFMMin;
  const qint32 high = env_.Capture ? env_.Capture->Tuner().FMMax() : kDefaultFMMax;
  const TUIItemRecord& dial = Item(TUIInfo::kFMDial);
  const QRect knob = Item(TUIInfo::kFMDialKnob).Rect();
  ClearDial();
  // The knob keeps its own size and height; only its middle follows the frequency.
  const int middle = dial.Left + DialKnobOffset(hertz, dial, low, high);
  DrawAroundIndicator(knob, QRect(middle - knob.width() / 2, knob.top(), knob.width(), knob.height()), lkEnabled);
  ShowFrequencyText(hertz);
}

void TFormFMMainPanel::DrawVolume(qint32 volume, bool muted) {
  DrawItem(TUIInfo::kFMMuteIndicator, muted ? lkEnabled : lkDisabled);
  const QRect slider = Item(TUIInfo::kFMVolumeSlider).Rect();
  DrawLook(slider, lkDisabled);
  DrawLook(QRect(slider.left(), slider.top(), SliderFill(volume, slider.width()), slider.height()), lkEnabled);
  if (QAction* mute = MenuItem(QStringLiteral("itemMute"))) mute->setChecked(muted);
}

void TFormFMMainPanel::DrawPositionBar(qint64 positionSeconds, qint64 durationSeconds) {
  const QRect bar =
      Item(TUIInfo::kFMPositionBar).Rect().adjusted(0, -kPositionBarMargin, 0, kPositionBarMargin);
  if (!Item(TUIInfo::kFMPositionBar).Enabled) {
    DrawLook(bar, lkDisabled);
    return;
  }
  DrawLook(bar, lkEnabled);
  const int played = PositionFill(positionSeconds, durationSeconds, bar.width());
  DrawLook(QRect(bar.left(), bar.top(), played, bar.height()), lkHover);
}

void TFormFMMainPanel::RedrawAll() {
  const QString ink = QStringLiteral("color: %1; background: transparent;").arg(Art().LabelColor.name());
  for (QLabel* label : {LabelTime, LabelDVCRState, LabelCurretPos, LabelChannel}) label->setStyleSheet(ink);
  underLayer_->SetPicture(Art().UnderLayer);
  underLayer_->setVisible(!Art().UnderLayer.isNull());
  for (int i = 0; i <= kLastButton; ++i) RedrawItem(i);
  if (HasMixer() && Item(TUIInfo::kFMVolumeSlider).Enabled) DrawVolume(env_.Audio->Volume(), env_.Audio->Muted());
  DrawPositionBar(0, 0);
  if (Item(TUIInfo::kFMDial).Enabled || isVisible()) DrawDial(CurrentFrequency());
}

// --- the skin and the window ------------------------------------------------------------------------

bool TFormFMMainPanel::IsSliderItem(int index) const {
  return index == TUIInfo::kFMPositionBar || index == TUIInfo::kFMVolumeSlider || index == TUIInfo::kFMDial;
}

void TFormFMMainPanel::SliderInput(int index, QPoint p, bool released) {
  if (index == TUIInfo::kFMVolumeSlider) {
    if (env_.Audio) env_.Audio->SetVolume(SliderValue(Item(index), p));
  } else if (index == TUIInfo::kFMPositionBar) {
    if (env_.SeekPlayer) env_.SeekPlayer(SliderValue(Item(index), p));
  } else if (env_.Capture) {
    const auto& tuner = env_.Capture->Tuner();
    const quint32 hertz = DialFrequency(p.x(), Item(index), tuner.FMMin(), tuner.FMMax());
    // Each tuning waits for the tuner to settle: ask again only when the mouse asks for more.
    if (hertz != tuner.FMFrequency() || !dialAsked_) env_.Capture->SetFMFrequency(hertz);
    dialAsked_ = !released;
  }
}

void TFormFMMainPanel::RunItem(int index) { env_.UI->ExecuteFMItem(index); }

void TFormFMMainPanel::showEvent(QShowEvent* event) {
  TSkinPanel::showEvent(event);
  if (event->spontaneous()) return;  // back from the task bar: nothing changed here
  TimerShowTime.SetEnabled(true);
  TimerShowTimeTimer();
  if (HasMixer()) DrawVolume(env_.Audio->Volume(), env_.Audio->Muted());
  UpdateForMode(CurrentMode());
  DrawDial(CurrentFrequency());
  if (env_.Channels) LabelChannel->setText(QString::number(env_.Channels->CurFM()));
}

void TFormFMMainPanel::hideEvent(QHideEvent* event) {
  if (!event->spontaneous()) TimerShowTime.SetEnabled(false);
  TSkinPanel::hideEvent(event);
}

void TFormFMMainPanel::keyPressEvent(QKeyEvent* event) {
  event->accept();
  if (!env_.KeyPress) return;
  for (QChar c : event->text()) env_.KeyPress(c);
}

void TFormFMMainPanel::keyReleaseEvent(QKeyEvent* event) {
  event->accept();
  if (event->isAutoRepeat() || !env_.KeyUp) return;
  env_.KeyUp(event->key(), event->modifiers());
}

}  // namespace pvx::panels
