// The settings dialog: its pages on their own (the profile reaction, folder refusal, the level
// labels, the refused audio device, in-place editing, Cancel and the keyboard, what OK writes
// back), the capture-format profiles and texts, and the order in which OK applies the choices.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSize>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "settings/ChannelInfo.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"
#include "settings/PreviewInfo.h"
#include "support/FakeDialogService.h"
#include "support/FakeSystemServices.h"
#include "support/ModelEdits.h"
#include "support/TestEnvironment.h"
#include "ui/settings/CapturePage.h"
#include "ui/settings/CaptureProfiles.h"
#include "ui/settings/CellEditors.h"
#include "ui/settings/ConfigApply.h"
#include "ui/settings/ConfigForm.h"
#include "ui/settings/FMPage.h"
#include "ui/settings/ServingGroup.h"
#include "ui/settings/TunerPage.h"

namespace pvx::ui {
namespace {

using settings::TChannelInfo;

class ConfigForm : public ::testing::Test {
 protected:
  ConfigForm() {
    env.Main = &main, env.Channels = &channels, env.Preview = &preview, env.Recording = &recording;
    channels.SetVideoSource(TChannelInfo::kTuner), channels.SetTable(TChannelInfo::kAntenna);
    test::EditPrefs(main, [&](settings::TMainPreferences& p) { p.CaptureFolder = test::Home() + "old/"; });
  }
  TFormConfig& Open(bool fm = false) {
    env.FMMode = fm, form = std::make_unique<TFormConfig>(env, nullptr);
    return *form;
  }

  settings::TMainInfo main;
  TChannelInfo channels;
  settings::TPreviewInfo preview{channels};
  settings::TCaptureSettings recording;
  TConfigEnvironment env;
  std::unique_ptr<TFormConfig> form;
};

// The pages follow the source; OK with nothing changed stores back what every page shows.
TEST_F(ConfigForm, OKWithNothingChangedKeepsEverySetting) {
  test::EditPrefs(main, [&](settings::TMainPreferences& p) {
    p.AlwaysOnTop = p.NoOverlay = p.PIPEnabled = true, p.MPEG4Codec = 1;
  });
  channels.SetInputStandards(3, 7);
  preview.Customize = true, preview.Dimension = 4, preview.Interval = 9;
  recording.VideoDeviceIndex = 1, recording.PixelFormatChoice = 2, recording.RecordKind = 2;
  recording.RecordFormat = 0, recording.CaptureWidth = 352, recording.CaptureHeight = 240;
  recording.VideoBitRateKbps = 1500, recording.Quality = 5, recording.FrameRateCode = 2;
  recording.AudioFormat = 1, recording.UseDateTimeName = false, recording.FilePrefix = "news";
  recording.TimeLimitOn = recording.SaveTimeShift = recording.Deinterlace = recording.DeinterlaceFast = true;
  recording.SoftwareEncoding = true;
  recording.TimeLimit = 95, recording.AudioInputIndex = 0;  // no inputs listed: -1 would be stored as 0
  const settings::TCaptureSettings stored = recording;
  int aspect = -1;
  env.Aspect = [] { return 2; }, env.SetAspect = [&](int a) { aspect = a; };
  // The composite source has no tuner or preview page: the table and the grid stay as they are.
  const QString tv = "TabSheetTVTuner TabSheetPreview ", rest = "TabSheetCapture TabSheetVideo TabSheetOther";
  const std::tuple<quint8, quint8, QString> rows[] = {
      {TChannelInfo::kTuner, TChannelInfo::kMemory, tv + rest},
      {TChannelInfo::kTuner, TChannelInfo::kCable, tv + rest},
      {TChannelInfo::kComposite, TChannelInfo::kMemory, rest}};
  for (const auto& [source, table, pages] : rows) {
    SCOPED_TRACE(source * 10 + table);
    channels.SetVideoSource(source), channels.SetTable(table);
    TFormConfig& f = Open();
    QStringList shown;
    for (int i = 0; i < f.PageControlConfig->count(); ++i)
      shown << f.PageControlConfig->widget(i)->objectName();
    EXPECT_EQ(shown.join(' '), pages);
    test::Child<QPushButton>(f, "BitBtnOK")->click();
    EXPECT_TRUE(recording == stored && main.Prefs().CaptureFolder == test::Home() + "old/");
    const settings::TMainPreferences& p = main.Prefs();
    EXPECT_EQ(QList<int>({aspect, p.AlwaysOnTop, p.NoOverlay, p.PIPEnabled, p.MPEG4Codec, channels.CurrentTable(),
                          channels.CompositeStandard(), channels.SVideoStandard(), preview.Customize,
                          preview.Dimension, preview.Interval}),
              QList<int>({2, 1, 1, 1, 1, table, 3, 7, 1, 4, 9}));
  }
  EXPECT_TRUE(test::Dialogs().Boxes.empty()) << "an unchanged folder is not checked again";
}

// VCD (PAL) fixes size, bit rate, quality and frame rate; recording sound only, OK keeps the
// stored format fields whatever the form shows.
TEST_F(ConfigForm, VCDPALFixesItsControlsAndAudioOnlyKeepsTheFormatFields) {
  recording.CaptureWidth = 160, recording.CaptureHeight = 120;
  for (int audioOnly : {1, 0}) {
    const settings::TCaptureSettings before = recording;
    TFormConfig& f = Open();
    auto* format = test::Child<QComboBox>(f, "ComboBoxCaptureFormat");
    auto* size = test::Child<QComboBox>(f, "ComboBoxCaptureSize");
    EXPECT_EQ(size->currentText(), "160x120") << "the stored size is selected on opening";
    format->setCurrentIndex(format->findText("VCD (PAL)"));
    test::Child<QComboBox>(f, "ComboBoxCaptureAudioOption")->setCurrentIndex(audioOnly);
    auto* bitRate = test::Child<QSpinBox>(f, "SpinEditBitRate");
    QComboBox *quality = test::Child<QComboBox>(f, "ComboBoxCaptureQuality"),
              *rate = test::Child<QComboBox>(f, "ComboBoxFrameRate");
    EXPECT_EQ(QStringList({size->currentText(), QString::number(bitRate->value()), quality->currentText(),
                           rate->currentText()}),
              QStringList({"352x288", "1150", "Normal", "25"}));
    for (QWidget* w : std::initializer_list<QWidget*>{size, bitRate, quality, rate})
      EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    test::Child<QPushButton>(f, "BitBtnOK")->click();
    settings::TCaptureSettings expected = before;
    expected.RecordKind = quint8(audioOnly), expected.AudioInputIndex = 0;  // a negative index is stored as 0
    if (!audioOnly) {
      expected.RecordFormat = 5, expected.FrameRateCode = 3;
      expected.CaptureWidth = 352, expected.CaptureHeight = 288;
      expected.VideoBitRateKbps = 1150, expected.Quality = kQualityNormal;
    }
    EXPECT_EQ(recording, expected);
  }
}

// A cap that may be none, the card's own rate; an older format brings its own profile back.
TEST_F(ConfigForm, ConstantQualityFormatsTakeNoBitRateCapAndTheCardsOwnFrameRate) {
  for (const int chosen : {12, 1}) {  // Matroska (HEVC), then MPEG 2 again
    const bool cap = chosen == 12;
    TFormConfig& f = Open();
    auto* bitRate = test::Child<QSpinBox>(f, "SpinEditBitRate");
    auto* rate = test::Child<QComboBox>(f, "ComboBoxFrameRate");
    EXPECT_EQ(bitRate->text(), cap ? "4000" : "No limit") << "as stored";
    test::Child<QComboBox>(f, "ComboBoxCaptureFormat")->setCurrentIndex(chosen);
    EXPECT_EQ(QStringList({bitRate->text(), rate->currentText(), QString::number(rate->count() * 10 + rate->isEnabled())}),
              cap ? QStringList({"No limit", "As received", "10"}) : QStringList({"4000", "30", "51"}));
    // A step from "No limit" goes to the lowest real cap and back; other formats stop there.
    bitRate->setValue(0), bitRate->stepUp();
    const int up = bitRate->value();
    bitRate->stepDown();
    EXPECT_EQ(QList<int>({up, bitRate->value()}), cap ? QList<int>({500, 0}) : QList<int>({550, 500}));
    test::Child<QAbstractButton>(f, "CheckBoxHardwareEncoder")->setChecked(!cap);
    test::Child<QPushButton>(f, "BitBtnOK")->click();
    EXPECT_EQ(QList<int>({recording.RecordFormat, recording.CaptureWidth, recording.VideoBitRateKbps, recording.Quality,
                          recording.FrameRateCode, recording.SoftwareEncoding}),
              cap ? QList<int>({12, 720, 0, 3, 0, 1}) : QList<int>({1, 640, 500, 0, 5, 0}));
  }
}

TEST_F(ConfigForm, AReadOnlyFolderOrABaseNameLeavingItIsRefusedWithAMessage) {
  test::System().ReadOnlyPrefixes << test::Home() + "cdrom";
  TFormConfig& f = Open();
  auto* edit = test::Child<QLineEdit>(f, "EditStoreCaptureFilePath");
  // Browsing to it: the field keeps its text.
  test::Dialogs().FolderAnswers.push_back(test::Home() + "cdrom/films");
  test::Child<QAbstractButton>(f, "SbtnCaptureLocation")->click();
  EXPECT_EQ(edit->text(), main.Prefs().CaptureFolder);
  ASSERT_EQ(test::Dialogs().Boxes.size(), 1u);
  EXPECT_TRUE(test::Dialogs().Boxes[0].text.contains("cdrom/films/")) << test::Dialogs().Boxes[0].text.toStdString();
  // Typing it: OK keeps the old folder and says so.
  edit->setText(test::Home() + "cdrom/films/");
  test::Child<QPushButton>(f, "BitBtnOK")->click();
  EXPECT_EQ(main.Prefs().CaptureFolder, test::Home() + "old/");
  ASSERT_EQ(test::Dialogs().Boxes.size(), 2u);
  EXPECT_TRUE(test::Dialogs().Boxes[1].text.contains("is kept"));
  // A usable folder is created and taken.
  test::Dialogs().FolderAnswers.push_back(test::Home() + "films");
  TFormConfig& again = Open();
  test::Child<QAbstractButton>(again, "SbtnCaptureLocation")->click();
  test::Child<QPushButton>(again, "BitBtnOK")->click();
  EXPECT_EQ(main.Prefs().CaptureFolder, test::Home() + "films/");
  // A base name is a name in that folder, never a way out of it: refused with a message.
  for (const QString& typed : QStringList{"../escape", "a/b", "..", "tab\tname", QString(241, 'n'), "news 7"}) {
    test::Dialogs().Boxes.clear();
    TFormConfig& form = Open();
    test::Child<QAbstractButton>(form, "RadioButtonUserDefineFormat")->setChecked(true);
    test::Child<QLineEdit>(form, "EditCaptureBaseName")->setText(typed);
    test::Child<QPushButton>(form, "BitBtnOK")->click();
    const bool taken = typed == "news 7";
    EXPECT_EQ(recording.FilePrefix, taken ? typed : "capture") << typed.toStdString();
    EXPECT_EQ(test::Dialogs().Boxes.size(), taken ? 0u : 1u) << typed.toStdString();
  }
}

TEST_F(ConfigForm, FMLevelLabelAndFrequencyLimits) {
  channels.SetTable(TChannelInfo::kFM);
  TFormConfig& f = Open(true);
  EXPECT_TRUE(f.PageControlConfig->count() == 1 && f.PageControlConfig->widget(0) == f.TabSheetFM);
  test::Child<QSlider>(f, "TrackBarFMRecorderVolume")->setValue(32768);
  EXPECT_EQ(test::Child<QLabel>(f, "LabelFMRecorderVolume")->text(), "50%");

  TFMPage& page = *f.TabSheetFM;
  // A frequency from outside the tuner's range (an older settings file) is limited when edited.
  channels.FMRecord(3)->Frequency = 150000000;
  page.Editors->Open(2, TFMPage::kColFrequency);
  ASSERT_EQ(page.Editors->OpenEditor(), page.SpinEditFMFrequency);
  QTest::keyClick(page.SpinEditFMFrequency, Qt::Key_Return);
  EXPECT_EQ(channels.FMRecord(3)->Frequency, 108000000u) << "limited to the tuner's FM range";
  EXPECT_EQ(page.StringGridFMMemoryChannel->item(2, TFMPage::kColFrequency)->text(), "108.00 MHz");
  // A read-only wave folder is refused with a message, a usable one taken.
  test::System().ReadOnlyPrefixes << test::Home() + "cdrom";
  const QString kept = main.Prefs().WaveFolder;
  test::Child<QLineEdit>(f, "EditWaveLocation")->setText(test::Home() + "cdrom/");
  test::Child<QPushButton>(f, "BitBtnOK")->click();
  EXPECT_TRUE(main.Prefs().WaveFolder == kept && test::Dialogs().Boxes.size() == 1u);
  TFormConfig& again = Open(true);
  test::Child<QLineEdit>(again, "EditWaveLocation")->setText(test::Home() + "radio/");
  test::Child<QPushButton>(again, "BitBtnOK")->click();
  EXPECT_EQ(main.Prefs().WaveFolder, test::Home() + "radio/");
}

TEST_F(ConfigForm, GridEditsGoStraightIntoTheRecordsAndEscapeDropsThem) {
  channels.ChannelRecord(false, 2)->Frequency = 55250000, channels.ChannelRecord(false, 3)->Frequency = 0;
  TFormConfig& f = Open();
  TTunerPage& page = *f.TabSheetTVTuner;
  QTableWidget* grid = page.StringGridChannelInfo;
  // Frequencies read in megahertz with two decimals (none when there is none); records keep hertz.
  EXPECT_EQ(grid->item(1, TTunerPage::kColFrequency)->text() + "|" + grid->item(2, TTunerPage::kColFrequency)->text(),
            "55.25 MHz|");
  // The keys move in the grid and type into the editor they open.
  grid->setCurrentCell(3, TTunerPage::kColName);
  for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Return}) QTest::keyClick(grid, key);
  auto* name = test::Child<QLineEdit>(f, "EditChannelName");
  ASSERT_EQ(page.ChannelEditors->OpenEditor(), name);
  name->clear(), QTest::keyClicks(name, "News");
  QTest::keyClick(name, Qt::Key_Return);
  EXPECT_EQ(channels.AntennaChannels()[4].Name + grid->item(4, TTunerPage::kColName)->text(), "NewsNews");
  page.ChannelEditors->Open(4, TTunerPage::kColName), name->setText("Dropped");
  QTest::keyClick(name, Qt::Key_Escape);
  EXPECT_EQ(channels.AntennaChannels()[4].Name, "News");
  // Add puts the current channel, with its name, into the first unused memory.
  channels.MemoryRecord(2)->Valid = channels.MemoryRecord(3)->Valid = false;
  test::Child<QPushButton>(f, "BitBtnAddChannel")->click();
  EXPECT_EQ(channels.MemoryChannels()[1], (settings::TMemoryChannelRecord{true, 0, 5, "News"}));
  EXPECT_EQ(page.StringGridMemoryChannel->item(1, TTunerPage::kMemNumber)->text() + " " +
                page.StringGridMemoryChannel->item(1, TTunerPage::kMemSource)->text(),
            "2 Antenna");

  // The cable option shows and edits the cable table.
  page.ComboBoxCableOption->setCurrentIndex(1);
  page.ChannelEditors->Open(0, TTunerPage::kColStatus);
  EXPECT_TRUE(channels.CableChannels()[0].Valid && !channels.AntennaChannels()[0].Valid);

  // The unused memory 3 mapped to channel 7; Delete takes out the current memory (2), Delete All
  // every one.
  page.MemoryEditors->Open(2, TTunerPage::kMemChannel);
  test::Child<QSpinBox>(f, "SpinEditMemoryChannel")->setValue(7);
  page.MemoryEditors->Commit();
  EXPECT_TRUE(channels.MemoryChannels()[2].Valid && channels.MemoryChannels()[2].Channel == 7);
  const auto memories = channels.MemoryChannels();
  const auto deleteAt = [&](int row) {
    page.StringGridMemoryChannel->setCurrentCell(row, 0), test::Child<QPushButton>(f, "BitBtnDelete")->click();
  };
  deleteAt(-1);
  EXPECT_EQ(channels.MemoryChannels(), memories) << "no current memory: nothing deleted";
  deleteAt(1);
  EXPECT_TRUE(channels.MemoryChannels()[1].Valid && channels.MemoryChannels()[1].Channel == 7);
  test::Child<QPushButton>(f, "BitBtnDeleteAll")->click();
  EXPECT_FALSE(channels.MemoryChannels()[0].Valid);
}

// The Capture page gives back what it was loaded with; the name and the time fields follow their
// switches; the board's own sound device is refused, for a neighbour.
TEST_F(ConfigForm, TheCapturePageGivesBackItsSettingsAndRefusesTheBoardsSoundDevice) {
  settings::TCaptureSettings s;
  s.VideoDeviceIndex = 0, s.PixelFormatChoice = 0, s.AudioDeviceIndex = 1, s.AudioInputIndex = 1;
  s.AudioMediaTypeIndex = 1, s.RecordKind = 2, s.AudioFormat = 1, s.RecordFormat = 0, s.Quality = 4;
  s.CaptureWidth = 240, s.CaptureHeight = 176, s.VideoBitRateKbps = 2500, s.FrameRateCode = 4;
  s.UseDateTimeName = false, s.FilePrefix = "news", s.TimeLimitOn = s.SaveTimeShift = true, s.TimeLimit = 77;
  TCapturePage page(0, nullptr);  // loading is no choice: the stored refused device draws no warning
  page.Load(s, {{"Cam", "Cam 2"}, {"Line In", "OKA 5170 Audio", "USB Audio"}, {"Line", "Mic"}, {"A", "B"}}, 32768);
  TTVChoices c;  // the fields the page does not choose as stored, the first device not
  c.Capture.CaptureWidth = s.CaptureWidth, c.Capture.CaptureHeight = s.CaptureHeight;
  c.Capture.FrameRateCode = s.FrameRateCode, c.Capture.VideoDeviceIndex = 5;
  page.Choose(c);
  EXPECT_EQ(c.Capture, s);
  EXPECT_EQ(QStringList({c.SizeText, QString::number(c.FrameRateIndex), QString::number(c.RecordLevel)}),
            QStringList({"240x176", "3", QString::number(50 * 65536 / 99)}));
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
  QWidget* name = test::Child<QLineEdit>(page, "EditCaptureBaseName");
  QWidget* limit = test::Child<QSpinBox>(page, "SpinEditTimeValue");
  EXPECT_TRUE(name->isEnabled() && limit->isEnabled());
  test::Child<QAbstractButton>(page, "RadioButtonUseDateTimeFormat")->setChecked(true);
  test::Child<QAbstractButton>(page, "CheckBoxEnableTimeLimit")->setChecked(false);
  EXPECT_FALSE(name->isEnabled() || limit->isEnabled());

  QComboBox* device = page.ComboBoxAudioCaptureDevice;
  for (auto [refused, expected] : {std::pair{1, 2}, std::pair{2, 1}}) {
    device->setItemText(2, refused == 2 ? "oka 5170 second" : "USB Audio");
    test::Dialogs().Warnings.clear(), device->setCurrentIndex(0), device->setCurrentIndex(refused);
    ASSERT_EQ(test::Dialogs().Warnings.size(), 1u);
    EXPECT_EQ(test::Dialogs().Warnings[0].join(""),
              "This is an invalid audio capture device, please select another audio capture device.");
    EXPECT_EQ(device->currentIndex(), refused) << "moved by message 8024, later";
    QCoreApplication::processEvents();
    EXPECT_EQ(device->currentIndex(), expected);
  }
}

TEST_F(ConfigForm, CancelPutsThePreviewGridBackAndEscapeCancels) {
  preview.CustomGrid[0][0] = {1, 5};
  TFormConfig& f = Open();
  preview.CustomGrid[0][0] = {3, 0};  // as the source dialog would have changed it
  test::Child<QComboBox>(f, "ComboBoxPreviewDimension")->setCurrentIndex(3);
  f.show(), QTest::keyClick(&f, Qt::Key_Escape);
  EXPECT_EQ(f.result(), QDialog::Rejected);
  EXPECT_TRUE(preview.CustomGrid[0][0] == (settings::TSourceMapCell{1, 5}) && preview.Dimension == 3);

  TFormConfig& g = Open();
  g.show(), QTest::keyClick(test::Child<QComboBox>(g, "ComboBoxMPEG4Codec"), Qt::Key_Return);
  EXPECT_EQ(g.result(), QDialog::Accepted) << "Enter is OK";
}

// The home network choice is stored; the server is asked to follow a changed one on OK, and any
// one on the group's Apply, which shows its answer or says that it could not start.
TEST_F(ConfigForm, TheHomeNetworkChoiceIsStoredAndTheServerFollowsIt) {
  const QString link = "http://127.0.0.1:8765/?token=t";
  const struct {
    const char* name;
    bool stored, on, apply;
    QString answer, calls, shown, placeholder;
    size_t boxes;
  } rows[] = {
      {"checked, OK", false, true, false, link, "1 0", link, "", 0},
      {"cleared, OK", true, false, false, "", "0 1", "", "", 0},
      {"unchanged, OK: a running server is left alone", true, true, false, link, "", "", "Shown after Apply", 0},
      {"unchanged, Apply: asked again", true, true, true, link, "1 1", link, "", 0},
      {"the port is taken", false, true, true, "", "1 0", "", "", 1}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    QString calls;
    env.ApplyServing = [&](bool on, bool others) { return calls = QString("%1 %2").arg(on).arg(others), r.answer; };
    test::EditPrefs(main, [&](settings::TMainPreferences& p) { p.Serve = r.stored, p.ServeOtherDevices = r.stored; });
    test::Dialogs().Boxes.clear();
    TFormConfig& f = Open();
    auto* serve = test::Child<QAbstractButton>(f, "CheckBoxServe");
    auto* address = test::Child<QLineEdit>(f, "EditServingAddress");
    serve->setChecked(r.on);
    EXPECT_EQ(test::Child<QAbstractButton>(f, "CheckBoxServeOtherDevices")->isEnabled(), r.on);
    test::Child<QPushButton>(f, r.apply ? "BitBtnApplyServing" : "BitBtnOK")->click();
    EXPECT_EQ(QStringList({calls, address->text(), address->placeholderText()}),
              QStringList({r.calls, r.shown, r.placeholder}));
    EXPECT_EQ(QList<int>({main.Prefs().Serve, f.result() == QDialog::Accepted}), QList<int>({r.on, !r.apply}))
        << "Apply leaves the dialog open";
    EXPECT_EQ(test::Dialogs().Boxes.size(), r.boxes);
    for (const auto& box : test::Dialogs().Boxes)
      EXPECT_EQ(box.text, "The home server could not start: port 8765 is in use, or the certificate in server.crt and server.key "
                          "cannot be used (the log says which).");
    auto* copy = test::Child<QPushButton>(f, "BitBtnCopyAddress");
    QGuiApplication::clipboard()->clear(), copy->click();
    EXPECT_EQ(copy->isEnabled() ? QGuiApplication::clipboard()->text() : "", r.shown) << "copies what is shown";
    auto* code = test::Child<QLabel>(f, "LabelServingCode");  // the address's QR code, gone with it
    EXPECT_EQ(!code->isHidden() && !code->pixmap().isNull(), !r.shown.isEmpty());
    f.findChild<TServingGroup*>()->ShowAddress({});
    EXPECT_TRUE(code->isHidden() && code->pixmap().isNull());
  }
}

TEST(CaptureProfiles, EachFormatSetsItsControlsAndTheSizeAndLevelTexts) {
  // The choices' values; `free` tells which of size, bit rate, quality and rate the user may change.
  const struct { int format; const char* size; int sizes, bitRate, quality, rate; const char* free; } rows[] {
      {2, "352x240", 8, 2000, kQualityFastest, kRate30, "1001"},
      {6, "720x480", 1, 3950, kQualityFastest, kRate2997, "0110"},
      {42, "640x240", 8, 4000, kQualityFastest, kRate30, "1111"},  // unknown: MPEG 2, the format 1
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.format);
    const TCaptureProfile p = CaptureProfile(r.format, 0);
    EXPECT_EQ(std::tuple(p.Size, p.Sizes.size(), p.BitRate, p.Quality, p.FrameRate),
              std::tuple(QString(r.size), qsizetype(r.sizes), r.bitRate, r.quality, r.rate));
    EXPECT_EQ(QString("%1%2%3%4").arg(p.SizeEnabled).arg(p.BitRateEnabled).arg(p.QualityEnabled)
                  .arg(p.FrameRateEnabled), r.free);
    EXPECT_TRUE(p.Sizes.contains(p.Size));
  }
  EXPECT_EQ(CaptureProfile(3, 3).Sizes.value(4), "640x576") << "the Empia 2800 offers 640x576 instead";
  EXPECT_EQ(CaptureProfile(3, 1).Sizes.value(4), "640x240");

  // Size and level texts.
  EXPECT_EQ(SizeText(80, 60), " 80x 60");  // the form shows the others
  int w = 0, h = 0;
  EXPECT_TRUE(ParseSizeText(" 80x 60", &w, &h) && QSize(w, h) == QSize(80, 60));
  for (const char* bad : {"", "abcxdef", "352x"}) EXPECT_FALSE(ParseSizeText(bad, &w, &h)) << bad;
  EXPECT_EQ(QSize(w, h), QSize(80, 60)) << "a failed parse leaves the numbers";

  EXPECT_EQ(QStringList({LevelText(32768, 65536), LevelText(99, 99), LevelText(5, 0)}),
            QStringList({"50%", "100%", "0%"}));
  // A level rounds to the nearest position; no scale gives no level.
  EXPECT_EQ(QList<int>({LevelFromPosition(99, 99), LevelFromPosition(5, 0), PositionFromLevel(32768, 99),
                        PositionFromLevel(32767, 99)}),
            QList<int>({65536, 0, 50, 49}));
  EXPECT_EQ(AudioFormatText("Major Type: Audio - Sub Type: PCM Format: 48000 Hz, 16 bit") + "|" +
                AudioFormatText("AAC 44100"),
            "48000 Hz, 16 bit|AAC 44100");
}

// The settings and a log of every operation OK runs.
struct Scenario {
  Scenario() {
    channels.SetTable(TChannelInfo::kAntenna), channels.SetVideoSource(TChannelInfo::kTuner);
    test::EditPrefs(main, [&](settings::TMainPreferences& p) { p.CaptureFolder = "/old/"; });
    target.EnsureFolder = [](const QString& f) { return !f.startsWith("/cdrom"); };
    target.SetAspect = [this](int a) { Log("aspect", a); };
    target.SetRecordLevel = [this](int l) { Log("level", l); };
    target.SelectTVChannel = [this] { Log("select-tv"); }, target.SelectFMChannel = [this] { Log("select-fm"); };
    target.ApplyInputStandard = [this](int s) { Log("input-standard", s); };
    target.ApplyCapture = [this](const auto& s) { return applied = s, Log("apply"), applyResult; };
    target.SwitchSource = [this](int s) { Log("switch", s); };
    target.SetVendorStandard = [this](int c) { Log("vendor", c); };
    target.OverlayFullScreen = [this] { return overlay; };
    target.SetOverlayFullScreen = [this](bool on) { Log("overlay", on); };
    target.SetDeinterlace = [this](bool on, bool fast) { Log(fast ? "deinterlace-fast" : "deinterlace", on); };
    target.ApplyServing = [this](bool on, bool others) { Log("serve", on * 10 + others); };
    choices.Capture = capture, choices.SizeText = "352x288", choices.FrameRateIndex = kRate25;
    choices.CaptureFolder = "/new/", choices.RecordLevel = 100;
  }
  void Log(const char* what, int value = -1) {
    log << (value < 0 ? QString(what) : QString("%1 %2").arg(what).arg(value));
  }

  settings::TMainInfo main;
  settings::TCaptureSettings capture;
  TChannelInfo channels;
  settings::TPreviewInfo preview{channels};
  TApplyTarget target{main, capture, channels, preview};
  TTVChoices choices;
  QStringList log;
  bool overlay = false, applyResult = true;
  settings::TCaptureSettings applied;
};

class ApplyOrder : public ::testing::Test, public Scenario {};

TEST_F(ApplyOrder, TVRunsItsStepsInOrder) {
  const struct { const char* name; std::function<void(Scenario&)> setup; QStringList expected; } rows[] = {
      {"nothing structural", [](Scenario&) {}, {"aspect 0", "select-tv", "level 100", "apply"}},
      {"other video device: the engine opens it, then the source is chosen again",
       [](Scenario& t) { t.choices.Capture.VideoDeviceIndex = 1; },
       {"aspect 0", "select-tv", "level 100", "apply", "switch 0"}},
      {"reopen fails: the source is still switched back",
       [](Scenario& t) { t.choices.Capture.AudioDeviceIndex = 2, t.applyResult = false; },
       {"aspect 0", "select-tv", "level 100", "apply", "switch 0"}},
      {"Empia with a tuner gets its standard code",
       [](Scenario& t) {
         t.main.SetChip({.Family = 3}), t.channels.SetStandard(1), t.choices.Capture.VideoDeviceIndex = 1;
       },
       {"aspect 0", "select-tv", "level 100", "apply", "switch 0", "vendor 2"}},
      {"camera source without a camera comes back as composite",
       [](Scenario& t) { t.channels.SetVideoSource(TChannelInfo::kCamera), t.choices.Capture.VideoDeviceIndex = 1; },
       {"aspect 0", "level 100", "apply", "switch 1"}},
      {"overlay change in overlay full screen rebuilds the preview",
       [](Scenario& t) { t.choices.NoOverlay = true, t.overlay = true, t.choices.Aspect = 2; },
       {"aspect 2", "select-tv", "level 100", "overlay 0", "apply", "deinterlace 0", "overlay 1"}},
      {"an overlay change with a new deinterlacing method: the engine rebuilds the preview itself",
       [](Scenario& t) {
         t.capture.Deinterlace = t.choices.Capture.Deinterlace = t.choices.Capture.DeinterlaceFast = t.choices.NoOverlay = true;
       },
       {"aspect 0", "select-tv", "level 100", "apply"}},
      {"an overlay change keeps the method",
       [](Scenario& t) { t.capture.Deinterlace = t.capture.DeinterlaceFast = t.choices.NoOverlay = true, t.choices.Capture = t.capture; },
       {"aspect 0", "select-tv", "level 100", "apply", "deinterlace-fast 1"}},
      {"S-Video input takes its standard",
       [](Scenario& t) { t.channels.SetVideoSource(TChannelInfo::kSVideo); },
       {"aspect 0", "input-standard 2", "level 100", "apply"}},
      {"serving the home network: stored, then the server follows",
       [](Scenario& t) { t.choices.Serve = t.choices.ServeOtherDevices = true; },
       {"aspect 0", "select-tv", "level 100", "apply", "serve 11"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Scenario fresh;
    row.setup(fresh);
    ApplyTV(fresh.choices, fresh.target);
    EXPECT_EQ(fresh.log, row.expected);
    EXPECT_EQ(fresh.applied, fresh.capture) << "the engine gets the settings stored";
    EXPECT_EQ(fresh.main.Prefs().ServeOtherDevices, fresh.choices.ServeOtherDevices);
  }
}

TEST_F(ApplyOrder, Empia720x480BecomesNarrowOutsideNTSC) {
  const struct { int chip; bool tuner; int standard, composite, svideo, width; } rows[] = {
      {3, true, 2, 0, 0, 640},  {3, true, 0, 2, 2, 720},  {3, true, 1, 0, 0, 720},
      {3, false, 0, 0, 4, 640}, {3, false, 2, 1, 0, 720}, {1, true, 2, 0, 0, 720}};
  for (const auto& r : rows) {
    Scenario t;
    t.main.SetChip({.Family = quint8(r.chip)}), t.target.HasTuner = r.tuner, t.choices.SizeText = "720x480";
    t.channels.SetStandard(quint8(r.standard)), t.channels.SetInputStandards(r.composite, r.svideo);
    ApplyTV(t.choices, t.target);
    EXPECT_EQ(QSize(t.capture.CaptureWidth, t.capture.CaptureHeight), QSize(r.width, 480))
        << "chip " << r.chip << " tuner " << r.tuner << " standard " << r.standard;
  }
}

TEST_F(ApplyOrder, FMStoresItsFieldsThenTunesAndSetsTheLevel) {
  test::EditPrefs(main, [&](settings::TMainPreferences& p) { p.WaveFolder = "/old-fm/"; });
  TFMChoices fm{"/cdrom/fm/", 2, -1, 1, 32768};
  ApplyFM(fm, target);
  EXPECT_EQ(main.Prefs().WaveFolder, "/old-fm/");
  EXPECT_EQ(QList<int>({capture.AudioInputIndex, capture.AudioMediaTypeIndex, capture.AudioFormat}),
            QList<int>({2, 0, 1}));
  EXPECT_TRUE(log == QStringList({"apply", "select-fm", "level 32768"}) && applied == capture);
  fm.WaveFolder = "/fm/";
  ApplyFM(fm, target);
  EXPECT_EQ(main.Prefs().WaveFolder, "/fm/");
}

}  // namespace
}  // namespace pvx::ui
