#include "app/WarningForm.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "platform/QtDialogService.h"
#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"

namespace pvx::app {
namespace {

constexpr int kClientWidth = 314;
constexpr int kClientHeight = 218;

template <typename W>
W* Place(W* widget, const char* name, int x, int y, int w, int h) {
  widget->setObjectName(QLatin1String(name));
  widget->setGeometry(x, y, w, h);
  return widget;
}

void SetPointSize(QWidget* widget, int size) {
  QFont font = widget->font();
  font.setPointSize(size);
  widget->setFont(font);
}

}  // namespace

TFormWarning::TFormWarning(const QStringList& lines, QWidget* parent) : QDialog(parent) {
  setObjectName("FormWarning");
  setWindowTitle("Warning");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                 Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setFixedSize(kClientWidth, kClientHeight);

  auto* bevel = Place(new QFrame(this), "Bevel1", 8, 8, 297, 177);
  bevel->setFrameShape(QFrame::Box);
  bevel->setFrameShadow(QFrame::Sunken);

  Image1_ = Place(new QLabel(this), "Image1", 42, 16, 55, 33);
  Image1_->setScaledContents(true);
  Image1_->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(55, 33));

  LabelWarning_ = Place(new QLabel("Warning", this), "LabelWarning", 128, 24, 170, 24);
  QFont bold = LabelWarning_->font();
  bold.setBold(true);
  bold.setPixelSize(16);
  LabelWarning_->setFont(bold);
  LabelWarning_->setStyleSheet("color: black;");

  MemoErrorDesc_ = Place(new QPlainTextEdit(this), "MemoErrorDesc", 24, 56, 265, 113);
  MemoErrorDesc_->setReadOnly(true);
  MemoErrorDesc_->setFrameShape(QFrame::NoFrame);
  MemoErrorDesc_->setStyleSheet("QPlainTextEdit { background: red; color: white; font-weight: bold; }");
  for (const QString& line : lines) MemoErrorDesc_->appendPlainText(line);

  BitBtnOK_ = Place(new QPushButton("OK", this), "BitBtnOK", 115, 188, 92, 28);
  QFont buttonFont = BitBtnOK_->font();
  buttonFont.setBold(true);
  BitBtnOK_->setFont(buttonFont);
  BitBtnOK_->setDefault(true);
  connect(BitBtnOK_, &QPushButton::clicked, this, &QDialog::accept);

  FormCreate();

  if (QScreen* screen = QApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void TFormWarning::FormCreate() {
  const settings::TMultiLangInfo* lang = settings::MultiLangInfo;
  if (!lang) return;
  SetPointSize(this, lang->FontSize);
  SetPointSize(MemoErrorDesc_, lang->FontSize);
  QString caption;
  if (lang->Lookup("Warning", &caption)) {
    setWindowTitle(caption);
    LabelWarning_->setText(caption);
    QFont font = LabelWarning_->font();
    font.setPointSize(lang->FontSize + 2);
    LabelWarning_->setFont(font);
  }
  if (lang->Lookup("OK", &caption)) {
    BitBtnOK_->setText(caption);
    QFont font = BitBtnOK_->font();
    font.setPointSize(lang->FontSize);
    BitBtnOK_->setFont(font);
  }
}

void InstallWarningForm() {
  platform::DefaultDialogs().SetWarningFactory(
      [](const QStringList& lines) -> std::unique_ptr<QDialog> {
        return std::make_unique<TFormWarning>(lines);
      });
}

}  // namespace pvx::app
