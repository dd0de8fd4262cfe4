#include "app/MainMenu.h"

#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"

namespace pvx::app {
namespace {

using settings::TAppMode;

enum Place { kTop, kAspectMenu, kSourceMenu, kSeparator };
constexpr int kNoCommand = 0;

struct TItemDef {
  Place place;
  const char* name;
  const char* caption;
  const char* key;  // nullptr: the caption is never translated
  int command;
  bool checkable;
};

// In menu order. Items whose command is kNoCommand act through their own handler or not at all.
constexpr TItemDef kItems[] = {
    {kTop, "itemFullScreen", "Full Screen", "FullScreen", 3, true},
    {kTop, "itemAlwaysontop", "Always on top", "AlwaysOnTop", kNoCommand, true},
    {kTop, "itemViewingOption", "Display Aspect Ration", "AspectRatio", kNoCommand, false},
    {kAspectMenu, "itemNoScale", "Free", "Free", kNoCommand, true},
    {kAspectMenu, "item4_3", "4:3", nullptr, kNoCommand, true},
    {kAspectMenu, "item16_9", "16:9", nullptr, kNoCommand, true},
    {kSeparator, nullptr, nullptr, nullptr, kNoCommand, false},
    {kTop, "itemSwitchSource", "Switch Video Source", "SwitchSource", kNoCommand, false},
    {kSourceMenu, "itemTunerAntennaMode", "TV Tuner (Antenna)", "Antenna", 201, true},
    {kSourceMenu, "itemTunerCableMode", "TV Tuner (Cable)", "Cable", 202, true},
    {kSourceMenu, "itemTunerMemoryMode", "TV Tuner (Memory)", "Memory", 203, true},
    {kSourceMenu, "itemCompositeMode", "Composite", "Composite", 204, true},
    {kSourceMenu, "itemSVideoMode", "S-Video", "SVideo", 205, true},
    {kSourceMenu, "itemAuxMode", "Camera", nullptr, kNoCommand, true},
    {kTop, "itemPreviousChannel", "Previous Channel", "PreChannel", 4002, false},
    {kTop, "itemNextChannel", "Next Channel", "NextChannel", 4001, false},
    {kTop, "itemRecallChannel", "Recall Channel", "RecallChannel", 4003, false},
    {kTop, "itemMemoChannel", "Memo Channel", "FMMemorized", 4005, false},
    {kTop, "itemChannelPreview", "Channel Preview", "ChannelPreview", 8, true},
    {kSeparator, nullptr, nullptr, nullptr, kNoCommand, false},
    {kTop, "itemCapture", "Capture", "Capture", 1001, false},
    {kTop, "itemPlay", "Play", "Play", 3000, false},
    {kTop, "itemTimeShifting", "Time Shifting", "TimeShifting", 2000, false},
    {kTop, "itemPause", "Pause", "Pause", 1003, false},
    {kTop, "itemStop", "Stop", "Stop", 1002, false},
    {kTop, "itemForward", "Forward", "Forward", 1004, false},
    {kTop, "itemBackward", "Backward", "Backward", 1005, false},
    {kTop, "itemFastSpeed", "Fast Speed", "FastSpeed", kNoCommand, false},
    {kTop, "itemSlowspeed", "Slow Speed", "SlowSpeed", kNoCommand, false},
    {kTop, "itemRealScreen", "Real Screen", "RealScreen", 2001, true},
    {kTop, "itemSnapshot", "Snapshot", "Snapshot", 1000, false},
    {kTop, "itemMute", "Mute", "Mute", 403, true},
    {kSeparator, nullptr, nullptr, nullptr, kNoCommand, false},
    {kTop, "itemConfig", "Setup", "Setup", 7, false},
    {kTop, "itemFMMode", "FM mode", "FMMode", 6000, true},
    {kTop, "itemTVSetupWizard", "Reset TV option", "ResetTV", 9, false},
    {kTop, "itemSleepingTimer", "Sleeping Timer", "SleepTimer", 12, false},
    {kTop, "itemSchedule", "Schedule", "ScheduledRecording", 10, false},
    {kTop, "itemIEPG", "iEPG", nullptr, kNoCommand, false},
    {kSeparator, nullptr, nullptr, nullptr, kNoCommand, false},
    {kTop, "itemAbout", "About", "About", 13, false},
    {kTop, "itemExit", "Exit", "Exit", 1, false},
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
    const int command = def.command;
    const bool selfChecking = name == "itemRealScreen";
    connect(action, &QAction::triggered, this, [this, action, name, command, selfChecking] {
      // Check marks follow the state the action produces, not the click.
      if (action->isCheckable()) action->setChecked(!action->isChecked());
      if (command != kNoCommand) {
        if (ExecuteCommand) ExecuteCommand(command);
        // Real Screen alone toggles its own mark after its command.
        if (selfChecking) action->setChecked(!action->isChecked());
      } else if (name == "itemAlwaysontop") {
        if (ToggleAlwaysOnTop) ToggleAlwaysOnTop();
      } else if (name == "itemNoScale" || name == "item4_3" || name == "item16_9") {
        if (SetAspect) SetAspect(name == "itemNoScale" ? 0 : name == "item4_3" ? 1 : 2);
      } else if (name == "itemAuxMode") {
        if (SelectCamera) SelectCamera();
      }
    });
  }
  Item("itemNoScale")->setChecked(true);
  Item("itemTunerAntennaMode")->setChecked(true);
  Item("itemIEPG")->setVisible(false);
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
