#pragma once
// The Video page: the five colour levels, sent to the device as they move, the composite and
// S-Video standards, and the display options.

#include <QWidget>
#include <array>

#include "ui/settings/ConfigText.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;

namespace pvx::engine {
class IColourControls;
}

namespace pvx::ui {

struct TTVChoices;

// What the page shows besides the colour levels.
struct TVideoOptions {
  int CompositeStandard = 0, SVideoStandard = 0, Aspect = 0;
  bool AlwaysOnTop = false, NoOverlay = false;
  bool Deinterlace = false, DeinterlaceFast = false;  // the live picture
};

class TVideoPage final : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kColourCount = 5;  // brightness, contrast, hue, saturation, sharpness

  explicit TVideoPage(QWidget* parent);

  // `adjust` may be nullptr: the colour controls are then disabled.
  void Load(engine::IColourControls* adjust, const TVideoOptions& options);
  void Choose(TTVChoices& choices) const;
  // The device gets the levels back that it had when the page was loaded.
  void RestoreColours();
  TCaptionList Captions();
  void ApplyItemTexts();

  void TrackBarChange(int property, int position);
  void BitBtnDefaultColorClick();

  std::array<QSlider*, kColourCount> TrackBars{};

 private:
  QWidget* BuildColourGroup();
  QWidget* BuildOptionsGroup();

  engine::IColourControls* adjust_ = nullptr;
  std::array<int, kColourCount> started_{};
  std::array<QLabel*, kColourCount> names_{}, values_{};
  QGroupBox *groupColour_, *groupSystem_, *groupDisplay_;
  QPushButton* BitBtnDefaultColor_;
  QLabel *labelComposite_, *labelSVideo_, *labelScale_, *labelDeinterlace_;
  QComboBox *ComboBoxCompositeSource_, *ComboBoxSVideoSource_, *ComboBoxScale_, *ComboBoxDeinterlace_;
  QCheckBox *CheckBoxAlwaysOnTop_, *CheckBoxDoNotUseOverlay_;
};

}  // namespace pvx::ui
