#pragma once
// Fine tuning: shifts one channel's frequency around its table frequency in 50 kHz steps while
// the tuner follows the slider live.

#include <QDialog>

class QLabel;
class QPushButton;
class QSlider;

namespace pvx::settings {
class IChannelTuner;
}

namespace pvx::tuning {

class TDialogFineTune final : public QDialog {
  Q_OBJECT
 public:
  static constexpr qint32 kStepHz = 50000;
  static constexpr int kMaxSteps = 125;

  // `tuner` may be nullptr (nothing is tuned then).
  TDialogFineTune(settings::IChannelTuner* tuner, qint32 frequency, qint32 base, QWidget* parent = nullptr);

  // The slider position that shows `frequency` against `base`, within the slider's range.
  static int StartPosition(qint64 frequency, qint64 base);

  void TrackBarTuningChange(int position);
  void BitBtnDefaultClick();
  void BitBtnOKClick();
  // Cancel, Escape and the close box: the tuner goes back to the frequency on entry.
  void reject() override;

  qint32 Base;
  // The frequency on entry; the result once the dialog is closed with OK.
  qint32 EntryFrequency;
  // The frequency the slider chose; 0 until it moves.
  qint32 Chosen = 0;

 private:
  void Tune(qint32 hertz);
  void ShowFrequency(qint64 hertz);

  settings::IChannelTuner* tuner_;
  QLabel* LabelFrequency_;
  QLabel* LabelMHz_;
  QSlider* TrackBarTuning_;
  QPushButton* BitBtnDefault_;
};

// Shows the dialog for a channel whose table frequency is `base`, tuning through the channel
// tables' tuner; on OK the result replaces `frequency`. Nothing happens when `base` is 0.
// True when the dialog was closed with OK. With a `picture` (the live picture's frame on the
// screen), the dialog opens beside it and `owner`'s window steps aside from it meanwhile, so the
// picture being tuned shows.
bool FineTune(settings::IChannelTuner* tuner, QWidget* owner, quint32& frequency, quint32 base,
              const QRect& picture = {});

}  // namespace pvx::tuning
