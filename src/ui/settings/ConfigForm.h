#pragma once
// The settings dialog: one set of pages in TV mode, the FM page in FM mode. Colour levels and
// the capture-format profile take effect at once; OK applies everything else in its fixed
// order; Cancel puts back what took effect at once.

#include <QDialog>
#include <array>

#include "settings/CaptureSettings.h"
#include "settings/PreviewInfo.h"
#include "ui/settings/ConfigEnvironment.h"

class QPushButton;
class QTabWidget;

namespace pvx::ui {

class TCapturePage;
class TFMPage;
class TOtherPage;
class TPreviewPage;
class TTunerPage;
class TVideoPage;
struct TApplyTarget;

class TFormConfig final : public QDialog {
  Q_OBJECT
 public:
  explicit TFormConfig(TConfigEnvironment environment, QWidget* parent = nullptr);
  ~TFormConfig() override;

  // Captions, hints and list items from the current language.
  void ApplyLanguage();

  void BitBtnOKClick();
  void BitBtnHelpClick();
  // Cancel, Escape and the close box.
  void reject() override;

  QTabWidget* PageControlConfig;
  TTunerPage* TabSheetTVTuner = nullptr;
  TPreviewPage* TabSheetPreview = nullptr;
  TCapturePage* TabSheetCapture = nullptr;
  TVideoPage* TabSheetVideo = nullptr;
  TFMPage* TabSheetFM = nullptr;
  TOtherPage* TabSheetOther = nullptr;

 private:
  // The edited capture settings to where they live: the engine takes them whole.
  bool StoreCapture(const settings::TCaptureSettings& next);
  void CreatePages();
  void LoadPages();
  void OKInTV(TApplyTarget& target);
  void OKInFM(TApplyTarget& target);
  void LanguageChosen(const QString& name);
  // The home network choice taken at once by the Other page's Apply; Cancel keeps it.
  void ApplyServingNow();
  // Asks the server to follow the stored choice and shows its answer.
  void ServingChosen(bool on, bool otherDevices);

  TConfigEnvironment env_;
  QPushButton *BitBtnOK_, *BitBtnCancel_, *BitBtnHelp_;
  // What Cancel puts back.
  settings::TCaptureSettings savedCapture_;
  // Stand in when the program runs without an engine (never stored anywhere).
  settings::TCaptureSettings spareCapture_;
  bool savedCustomize_ = false;
  qint32 savedDimension_ = 0, savedInterval_ = 0;
  settings::TPreviewInfo::TGrid<settings::TSourceMapCell> savedCustomGrid_{};
};

// Shows the dialog modally over `owner`; true when it was closed with OK.
bool ShowConfigForm(const TConfigEnvironment& environment, QWidget* owner);

}  // namespace pvx::ui
