#include "app/AboutDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/SystemServices.h"
#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"
#include "util/OEMInfo.h"

namespace pvx::app {
namespace {

QLabel* Text(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->setAlignment(Qt::AlignCenter);
  return label;
}

}  // namespace

TDialogAbout::TDialogAbout(const util::TOEMInfo& info, QWidget* parent)
    : QDialog(parent), web_(info.WebAddress), mail_(info.MailAddress) {
  setObjectName("DialogAbout");
  setWindowTitle("About");
  setFixedSize(313, 214);
  auto* layout = new QVBoxLayout(this);
  QLabel* product = Text(this, "LabelProduct", info.ProductName);
  QFont big = product->font();
  big.setBold(true);
  big.setPointSize(big.pointSize() + 4);
  product->setFont(big);
  layout->addWidget(product);
  layout->addWidget(Text(this, "LabelMaker", info.MakerName));
  layout->addWidget(Text(this, "LabelRights", info.RightsText));
  layout->addWidget(Text(this, "LabelVersion", info.VersionText));
  // Links open through the desktop, as the other places that open addresses do.
  QLabel* www = Text(this, "LabelWWW", QStringLiteral("<a href=\"web\">%1</a>").arg(info.WebAddress.toHtmlEscaped()));
  QLabel* mail = Text(this, "LabelEmail", QStringLiteral("<a href=\"mail\">%1</a>").arg(info.MailAddress.toHtmlEscaped()));
  connect(www, &QLabel::linkActivated, this, [this] { LabelWWWClick(); });
  connect(mail, &QLabel::linkActivated, this, [this] { LabelEmailClick(); });
  layout->addWidget(www);
  layout->addWidget(mail);
  www->setHidden(info.WebAddress.isEmpty());
  mail->setHidden(info.MailAddress.isEmpty());
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("BtnOK");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(ok, 0, Qt::AlignCenter);

  if (const settings::TMultiLangInfo* lang = settings::MultiLangInfo) {
    QString caption;
    if (lang->Lookup("About", &caption)) setWindowTitle(caption);
    if (lang->Lookup("OK", &caption)) ok->setText(caption);
    QFont font = this->font();
    font.setPointSize(lang->FontSize);
    setFont(font);
  }
}

void TDialogAbout::LabelWWWClick() { platform::System().OpenUrl(web_); }

void TDialogAbout::LabelEmailClick() { platform::System().OpenUrl(mail_); }

}  // namespace pvx::app
