#include "app/MainMenu.h"

#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"

namespace pvx::app {
namespace {

using settings::TAppMode;

enum Place { kTop, kAspectMenu, kSourceMenu, kSeparator };

// Items that act on the window themselves instead of sending a command.
enum class TOwnAction { None, AlwaysOnTop, AspectFree, Aspect4To3, Aspect16To9, Camera };

struct TItemDef {
  Place place;
  const char* name;
  const char* caption;
  const char* key;  // nullptr: the caption is never translated
  TOwnAction own;
  bool checkable;
};

// In menu order. The command an item sends is the one whose table entry names the item.
constexpr TItemDef kItems[] = {
    {kTop, "itemFullScreen", "Full Screen", "FullScreen", TOwnAction::None, true},
    {kTop, "itemAlwaysontop", "Always on top", "AlwaysOnTop", TOwnAction::AlwaysOnTop, true},
    {kTop, "itemViewingOption", "Display Aspect Ration", "AspectRatio", TOwnAction::None, false},
    {kAspectMenu, "itemNoScale", "Free", "Free", TOwnAction::AspectFree, true},
    {kAspectMenu, "item4_3", "4:3", nullptr, TOwnAction::Aspect4To3, true},
    {kAspectMenu, "item16_9", "16:9", nullptr, TOwnAction::Aspect16To9, true},
    {kSeparator, nullptr, nullptr, nullptr, TOwnAction::None, false},
    {kTop, "itemSwitchSource", "Switch Video Source", "SwitchSource", TOwnAction::None, false},
    {kSourceMenu, "itemTunerAntennaMode", "TV Tuner (Antenna)", "Antenna", TOwnAction::None, true},
    {kSourceMenu, "itemTunerCableMode", "TV Tuner (Cable)", "Cable", TOwnAction::None, true},
    {kSourceMenu, "itemTunerMemoryMode", "TV Tuner (Memory)", "Memory", TOwnAction::None, true},
    {kSourceMenu, "itemCompositeMode", "Composite", "Composite", TOwnAction::None, true},
    {kSourceMenu, "itemSVideoMode", "S-Video", "SVideo", TOwnAction::None, true},
    {kSourceMenu, "itemAuxMode", "Camera", "Camera", TOwnAction::Camera, true},
    {kTop, "itemPreviousChannel", "Previous Channel", "PreChannel", TOwnAction::None, false},
    {kTop, "itemNextChannel", "Next Channel", "NextChannel", TOwnAction::None, false},
    {kTop, "itemRecallChannel", "Recall Channel", "RecallChannel", TOwnAction::None, false},
    {kTop, "itemMemoChannel", "Memo Channel", "FMMemorized", TOwnAction::None, false},
    {kTop, "itemChannelPreview", "Channel Preview", "ChannelPreview", TOwnAction::None, true},
    {kSeparator, nullptr, nullptr, nullptr, TOwnAction::None, false},
    {kTop, "itemCapture", "Capture", "Capture", TOwnAction::None, false},
    {kTop, "itemPlay", "Play", "Play", TOwnAction::None, false},
    {kTop, "itemTimeShifting", "Time Shifting", "TimeShifting", TOwnAction::None, false},
    {kTop, "itemPause", "Pause", "Pause", TOwnAction::None, false},
    {kTop, "itemStop", "Stop", "Stop", TOwnAction::None, false},
    {kTop, "itemForward", "Forward", "Forward", TOwnAction::None, false},
    {kTop, "itemBackward", "Backward", "Backward", TOwnAction::None, false},
    {kTop, "itemFastSpeed", "Fast Speed", "FastSpeed", TOwnAction::None, false},
    {kTop, "itemSlowspeed", "Slow Speed", "SlowSpeed", TOwnAction::None, false},
    {kTop, "itemRealScreen", "Real Screen", "RealScreen", TOwnAction::None, true},
    {kTop, "itemSnapshot", "Snapshot", "Snapshot", TOwnAction::None, false},
    {kTop, "itemMute", "Mute", "Mute", TOwnAction::None, true},
    {kSeparator, nullptr, nullptr, nullptr, TOwnAction::None, false},
    {kTop, "itemConfig", "Setup", "Setup", TOwnAction::None, false},
    {kTop, "itemFMMode", "FM mode", "FMMode", TOwnAction::None, true},
    {kTop, "itemTVSetupWizard", "Reset TV option", "ResetTV", TOwnAction::None, false},
    {kTop, "itemSleepingTimer", "Sleeping Timer", "SleepTimer", TOwnAction::None, false},
    {kTop, "itemSchedule", "Schedule", "ScheduledRecording", TOwnAction::None, false},
    {kTop, "itemIEPG", "iEPG", nullptr, TOwnAction::None, false},
    {kSeparator, nullptr, nullptr, nullptr, TOwnAction::None, false},
    {kTop, "itemAbout", "About", "About", TOwnAction::None, false},
    {kTop, "itemExit", "Exit", "Exit", TOwnAction::None, false},
};

bool IsPlaying(TAppMode mode) {
  return mode == settings::amPlayback || mode == settings::amTimeShiftPlayback;
}

}  // namespace

TMainMenu::TMainMenu(QWidget* parent) : QMenu(parent) {
  setObjectName("PopupMainMenu");
  Build();
}

void TMainMenu::Build() {
  QMenu* submenu = nullptr;
  for (const TItemDef& def : kItems) {
    if (def.place == kSeparator) {
      addSeparator();
      continue;
    }
    const QString name = QLatin1String(def.name);
    if (name == "itemViewingOption" || name == "itemSwitchSource") {
      submenu = addMenu(QString::fromUtf8(def.caption));
      submenu->setObjectName(name + "Menu");
      submenu->menuAction()->setObjectName(name);
      submenu->menuAction()->setProperty("languageKey", QLatin1String(def.key));
      continue;
    }
    QMenu* owner = def.place == kTop ? this : submenu;
    QAction* action = owner->addAction(QString::fromUtf8(def.caption));
    action->setObjectName(name);
    action->setCheckable(def.checkable);
    if (def.key) action->setProperty("languageKey", QLatin1String(def.key));
    const commands::TCommandDef* command = commands::FindMenuCommand(def.name);
    if (command) action->setData(command->Code());
    const TOwnAction own = def.own;
    action->setProperty("ownAction", own != TOwnAction::None);
    // An item that neither sends a command nor acts by itself does nothing: show it disabled.
    if (!command && own == TOwnAction::None) action->setEnabled(false);
    connect(action, &QAction::triggered, this, [this, action, command, own] {
      // Check marks follow the state the action produces, not the click.
      if (action->isCheckable()) action->setChecked(!action->isChecked());
      if (command) {
        if (ExecuteCommand) ExecuteCommand(command->code);
        // Real Screen alone toggles its own mark after its command.
        if (command->code == commands::TCommand::RealScreen) action->setChecked(!action->isChecked());
        return;
      }
      switch (own) {
        case TOwnAction::AlwaysOnTop:
          if (ToggleAlwaysOnTop) ToggleAlwaysOnTop();
          break;
        case TOwnAction::AspectFree:
        case TOwnAction::Aspect4To3:
        case TOwnAction::Aspect16To9:
          if (SetAspect) SetAspect(int(own) - int(TOwnAction::AspectFree));
          break;
        case TOwnAction::Camera:
          if (SelectCamera) SelectCamera();
          break;
        case TOwnAction::None:
          break;
      }
    });
  }
  Item("itemNoScale")->setChecked(true);
  Item("itemTunerAntennaMode")->setChecked(true);
  Item("itemIEPG")->setVisible(false);
}

std::optional<commands::TCommand> TMainMenu::CommandOf(const QAction* action) {
  const commands::TCommandDef* def = action ? commands::FindCommand(action->data().toInt()) : nullptr;
  return def ? std::optional<commands::TCommand>(def->code) : std::nullopt;
}

bool TMainMenu::HasOwnAction(const QAction* action) { return action && action->property("ownAction").toBool(); }

void TMainMenu::BindHandlers(const TCommandDispatcher& dispatcher) {
  for (QAction* action : findChildren<QAction*>()) {
    const std::optional<commands::TCommand> command = CommandOf(action);
    if (!command || dispatcher.Has(*command)) continue;
    // Until its dialog or player exists the item says why it does nothing.
    QString reason = dispatcher.UnavailableReason(*command);
    if (reason.isEmpty()) reason = QStringLiteral("Not available in this version");
    action->setEnabled(false);
    action->setToolTip(reason);
    action->setStatusTip(reason);
  }
  setToolTipsVisible(true);
}

QAction* TMainMenu::Item(const QString& name) const { return findChild<QAction*>(name); }

QString TMainMenu::Caption(const char* name) const {
  QAction* action = Item(QLatin1String(name));
  return action ? action->text() : QString();
}

void TMainMenu::Show(const char* name, bool visible) {
  if (QAction* action = Item(QLatin1String(name))) action->setVisible(visible);
}

void TMainMenu::ApplyLanguage() {
  const settings::TMultiLangInfo* lang = settings::MultiLangInfo;
  if (!lang) return;
  for (QAction* action : findChildren<QAction*>()) {
    const QString key = action->property("languageKey").toString();
    QString caption;
    if (!key.isEmpty() && lang->Lookup(key, &caption)) action->setText(caption);
  }
  QFont font = this->font();
  font.setPointSize(lang->FontSize);
  setFont(font);
}

void TMainMenu::Update(const TMenuState& state) {
  if (state.Mode != settings::amFMRadio && state.Mode < settings::amClosed) UpdateModeItems(state);
  UpdateSourceItems(state);
  UpdateDisplayItems(state);
}

void TMainMenu::UpdateModeItems(const TMenuState& s) {
  using namespace settings;
  const bool tv = s.Mode == amTV;
  const bool preview = s.Mode == amChannelPreview;
  const bool playing = IsPlaying(s.Mode);
  const bool tuner = s.HasTuner && s.VideoSource == 0;
  const bool channels = tuner && (tv || s.PIPPlaying);
  Show("itemFullScreen", !(preview && s.PIPPlaying));
  for (const char* name : {"itemPreviousChannel", "itemNextChannel", "itemRecallChannel"})
    Show(name, channels);
  Show("itemMemoChannel", channels && (s.TunerMode == 0 || s.TunerMode == 1));
  Show("itemChannelPreview", tuner && (tv || preview));
  Show("itemSnapshot", tv || playing);
  for (const char* name : {"itemCapture", "itemTimeShifting", "itemConfig", "itemSleepingTimer"})
    Show(name, tv);
  Show("itemPlay", tv || (s.Mode == amTimeShifting && s.TimeShiftReady) || (playing && s.PlayerPaused));
  Show("itemPause", playing && !s.PlayerPaused);
  Show("itemForward", playing);
  Show("itemBackward", playing);
  Show("itemStop", !tv && !preview);
  Show("itemTVSetupWizard", tuner && tv);
  Show("itemFMMode", s.FMEnabled && tv);
  Show("itemSlowspeed", s.Mode == amPlayback);
  Show("itemFastSpeed", s.Mode == amPlayback);
  Show("itemRealScreen", s.Mode == amTimeShiftPlayback);
  Item("itemSwitchSource")->setEnabled(tv || s.PIPPlaying);
}

void TMainMenu::UpdateSourceItems(const TMenuState& s) {
  const bool tuner = s.VideoSource == 0;
  Item("itemTunerAntennaMode")->setChecked(tuner && s.TunerMode == 0);
  Item("itemTunerCableMode")->setChecked(tuner && s.TunerMode == 1);
  Item("itemTunerMemoryMode")->setChecked(tuner && s.TunerMode == 2);
  Item("itemCompositeMode")->setChecked(s.VideoSource == 1);
  Item("itemSVideoMode")->setChecked(s.VideoSource == 2);
  Item("itemAuxMode")->setChecked(s.VideoSource == 3);
  for (const char* name : {"itemTunerAntennaMode", "itemTunerCableMode", "itemTunerMemoryMode"})
    Show(name, s.HasTuner);
  Show("itemAuxMode", s.HasCamera);
  Show("itemMute", s.HasMixer);
  Item("itemMute")->setChecked(s.HasMixer && s.Muted);
}

void TMainMenu::UpdateDisplayItems(const TMenuState& s) {
  const bool normal = s.DisplayMode == 0;
  Show("itemViewingOption", s.Mode != settings::amChannelPreview && !s.ChannelPreview && normal);
  QAction* onTop = Item("itemAlwaysontop");
  onTop->setVisible(s.DisplayMode != 1);
  onTop->setEnabled(normal && !s.ChannelPreview);
  onTop->setChecked(s.AlwaysOnTop);
  Item("itemFullScreen")->setChecked(s.DisplayMode == 1);
  Item("itemNoScale")->setChecked(s.Aspect == 0);
  Item("item4_3")->setChecked(s.Aspect == 1);
  Item("item16_9")->setChecked(s.Aspect == 2);
  Item("itemChannelPreview")->setChecked(s.ChannelPreview);
}

QString TMainMenu::ModeText(TAppMode mode) const {
  using namespace settings;
  switch (mode) {
    case amTV:
      return "Live";
    case amChannelPreview:
      return Caption("itemChannelPreview");
    case amCapture:
      return Caption("itemCapture");
    case amScheduledCapture:
      return Caption("itemSchedule") + " " + Caption("itemCapture");
    case amPlayback:
      return Caption("itemPlay");
    case amTimeShifting:
      return Caption("itemTimeShifting");
    case amTimeShiftPlayback:
      return Caption("itemTimeShifting") + " " + Caption("itemPlay");
    default:
      return {};
  }
}

QString TMainMenu::SourceWord(int source, int tunerMode) const {
  switch (source) {
    case 0: {
      static const char* const kKeys[] = {"Antenna", "Cable", "Memory"};
      const char* key = kKeys[tunerMode >= 0 && tunerMode <= 2 ? tunerMode : 0];
      QString word;
      if (settings::MultiLangInfo && settings::MultiLangInfo->Lookup(key, &word)) return word;
      return QLatin1String(key);
    }
    case 1:
      return Caption("itemCompositeMode");
    case 2:
      return Caption("itemSVideoMode");
    default:
      return Caption("itemAuxMode");
  }
}

}  // namespace pvx::app
