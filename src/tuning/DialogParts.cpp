#include "tuning/DialogParts.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"

namespace pvx::tuning {

void ApplyLanguage(QDialog& dialog, const char* titleKey,
                   const TCaptions& captions) {
  const settings::TMultiLangInfo* lang = settings::MultiLangInfo;
  if (!lang) return;
  QFont font = dialog.font();
  font.setPointSize(lang->FontSize);
  dialog.setFont(font);
  QString caption;
  if (lang->Lookup(QLatin1String(titleKey), &caption)) dialog.setWindowTitle(caption);
  for (const auto& [key, widget] : captions) {
    if (!lang->Lookup(QLatin1String(key), &caption)) continue;
    if (auto* label = qobject_cast<QLabel*>(widget)) label->setText(caption);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) button->setText(caption);
    if (auto* group = qobject_cast<QGroupBox*>(widget)) group->setTitle(caption);
  }
}

std::pair<QPushButton*, QPushButton*> AddOKCancel(QDialog& dialog, QBoxLayout& layout,
                                                  std::function<void()> ok) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  auto* okButton = Named(new QPushButton(QStringLiteral("OK"), &dialog), "BitBtnOK");
  auto* cancel = Named(new QPushButton(QStringLiteral("Cancel"), &dialog), "BitBtnCancel");
  okButton->setDefault(true);
  row->addWidget(okButton);
  row->addWidget(cancel);
  layout.addLayout(row);
  QObject::connect(okButton, &QPushButton::clicked, &dialog, std::move(ok));
  QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
  return {okButton, cancel};
}

void FixToContents(QDialog& dialog, QBoxLayout& layout) {
  dialog.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  layout.setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace pvx::tuning
