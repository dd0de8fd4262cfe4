#include "panels/FormMainPanel.h"

#include <QDateTime>
#include <QKeyEvent>

#include "commands/CommandTable.h"
#include "engine/AudioAdjustInfo.h"
#include "engine/CaptureInfo.h"
#include "platform/TTimer.h"
#include "settings/ChannelInfo.h"
#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"
#include "util/TimeFormat.h"

namespace pvx::panels {

namespace {

// The display's labels: where they sit on the skin, how they align and which face they use.
// Right-aligned texts end inside the display window, which closes at x 211.
struct TLabelDef {
  const char* Name;
  const char* DesignText;
  QRect Box;
  Qt::Alignment Align;
  bool Mono;
  int PixelSize;
  bool Bold;
  bool Visible;
};

// In the order of TFormMainPanel's label enum.
const TLabelDef kLabels[] = {
    {"LabelTime", "00:00:00", {109, 49, 62, 14}, Qt::AlignLeft, true, 12, true, true},
    {"LabelDuration", "0MB", {128, 69, 80, 13}, Qt::AlignRight, true, 10, false, true},
    {"LabelCurretPos", "0:00:00", {108, 84, 100, 13}, Qt::AlignRight, true, 10, false, true},
    {"LabelDVCRState", "Live", {58, 69, 84, 13}, Qt::AlignLeft, false, 10, true, true},
    {"LabelVideoStandard", "", {118, 69, 40, 13}, Qt::AlignLeft, false, 10, false, false},
    {"LabelTVChannelAudio", "Mono", {50, 83, 52, 13}, Qt::AlignLeft, false, 10, false, true},
    {"LabelChannel", "00", {178, 123, 42, 20}, Qt::AlignHCenter, true, 15, true, true},
    {"LabelSleep", "Sleep", {103, 83, 32, 13}, Qt::AlignLeft, false, 9, true, false},
};

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

}  // namespace

TFormMainPanel::TFormMainPanel(TSkinPanel::TPainter painter, TPanelEnvironment env, QWidget* parent)
    : TSkinPanel(std::move(painter), UIInfo->TVItems.data(), TUIInfo::kTVCount, kCommandItems,
                 TUIInfo::kTVMuteIndicator, parent),
      env_(std::move(env)),
      timerShowTime_(std::make_unique<platform::TTimer>()) {
  setObjectName(QStringLiteral("FormMainPanel"));
  // Beside the main window without a task-bar entry of its own.
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
  setFocusPolicy(Qt::StrongFocus);
  Skin()->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Skin(), &QWidget::customContextMenuRequested, this, &TFormMainPanel::ShowMainMenu);
  CreateLabels();
  CreateSourceMenu();
  timerShowTime_->SetInterval(1000);
  timerShowTime_->OnTimer = [this](platform::TTimer&) { TimerShowTimeTimer(); };
  hasTuner_ = env_.Capture && env_.Capture->HasTuner();
  ApplyPanelLanguage();
}

TFormMainPanel::~TFormMainPanel() = default;

void TFormMainPanel::CreateLabels() {
  for (int i = 0; i < kLabelCount; ++i) {
    const TLabelDef& def = kLabels[i];
    auto* label = new QLabel(QString::fromLatin1(def.DesignText), this);
    label->setObjectName(QLatin1String(def.Name));
    QFont font(def.Mono ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans"));
    font.setPixelSize(def.PixelSize);
    font.setBold(def.Bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    label->setFont(font);
    label->setGeometry(def.Box);
    label->setAlignment(def.Align | Qt::AlignVCenter);
    // Transparent on the display, and the skin under it gets the mouse.
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Art().LabelColor);
    label->setPalette(palette);
    label->setVisible(def.Visible);
    labels_[size_t(i)] = label;
  }
}

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
  const settings::TMultiLangInfo* lang = settings::MultiLangInfo;
  if (!lang) return;
  UIInfo->ApplyLanguage(*lang);
  const QList<QAction*> actions = popupSource_->actions();
  for (int i = 0; i < actions.size(); ++i) {
    QString caption;
    if (kSources[i].Key && lang->Lookup(QLatin1String(kSources[i].Key), &caption)) actions[i]->setText(caption);
  }
  QFont menuFont = popupSource_->font();
  menuFont.setPointSize(lang->FontSize);
  popupSource_->setFont(menuFont);
  // The state text takes the language's size, in the display's pixels.
  QFont stateFont = Label(lbDVCRState)->font();
  stateFont.setPixelSize(qBound(9, lang->FontSize * 4 / 3, 13));
  Label(lbDVCRState)->setFont(stateFont);
  if (settings::MainInfo->Mode == settings::amTV) Label(lbDVCRState)->setText(SourceText());
}

QString TFormMainPanel::SourceText() const {
  const settings::TChannelInfo* channels = settings::ChannelInfo;
  switch (channels->VideoSource) {
    case settings::TChannelInfo::kTuner:
      return channels->CurrentTable <= settings::TChannelInfo::kMemory ? SourceCaption(channels->CurrentTable)
                                                                       : QStringLiteral("Live");
    case settings::TChannelInfo::kComposite:
      return SourceCaption(kMenuComposite);
    case settings::TChannelInfo::kSVideo:
      return SourceCaption(kMenuSVideo);
    case settings::TChannelInfo::kCamera: {
      const QString aux = settings::MultiLangInfo ? settings::MultiLangInfo->LookupCaption("Aux") : QString();
      return aux.isEmpty() ? QStringLiteral("Camera") : aux;
    }
    default:
      return QStringLiteral("Live");
  }
}

void TFormMainPanel::UpdateFMItem() {
  popupSource_->actions().at(kMenuFM)->setVisible(settings::MainInfo->FMEnabled &&
                                                  settings::MainInfo->Mode == settings::amTV && hasTuner_);
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
  Label(lbTime)->setText(util::FormatClock(QDateTime::currentDateTime()));
  if (HasMixer()) {
    volume_ = env_.Audio->Volume();
    muted_ = env_.Audio->Muted();
  }
  ShowSourceChange();
  const settings::TChannelInfo* channels = settings::ChannelInfo;
  if (TunerSource()) ShowChannel(channels->CurrentChannel());
  const QString audio = settings::TChannelInfo::AudioModeName(channels->AudioMode, channels->Standard);
  if (!audio.isEmpty()) Label(lbTVChannelAudio)->setText(audio);
  UpdateForMode(settings::MainInfo->Mode);
}

void TFormMainPanel::TimerShowTimeTimer() {
  Label(lbTime)->setText(util::FormatClock(QDateTime::currentDateTime()));
  QLabel* state = Label(lbDVCRState);
  const bool recording = env_.Recording ? env_.Recording() : env_.Capture && env_.Capture->Recording();
  state->setVisible(recording ? !state->isVisible() : true);
  QLabel* sleep = Label(lbSleep);
  sleep->setVisible(Asks(env_.SleepTimerRunning) && !sleep->isVisible());
}

void TFormMainPanel::ShowSleepLabel(bool visible) { Label(lbSleep)->setVisible(visible); }

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
  if (settings::MainInfo->Mode != settings::amChannelPreview && env_.KeyPress && !event->text().isEmpty())
    env_.KeyPress(event->text().at(0));
}

void TFormMainPanel::keyReleaseEvent(QKeyEvent* event) {
  if (event->isAutoRepeat()) return;
  if (settings::MainInfo->Mode != settings::amChannelPreview && env_.KeyUp)
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
  UIInfo->ExecuteTVItem(index);
}

bool TFormMainPanel::HasMixer() const { return env_.Audio && env_.Audio->HasMixer(); }

bool TFormMainPanel::TunerSource() const {
  return settings::ChannelInfo->VideoSource == settings::TChannelInfo::kTuner;
}

}  // namespace pvx::panels
