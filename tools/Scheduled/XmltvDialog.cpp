#include "XmltvDialog.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "Wording.h"

namespace pvx::scheduled {

TDialogXmltvImport::TDialogXmltvImport(QList<TXmltvProgramme> programmes,
                                       QList<TProgramChannel> channels, QWidget* parent)
    : QDialog(parent), programmes_(std::move(programmes)), channels_(std::move(channels)) {
  setObjectName("DialogXmltvImport");
  setWindowTitle(Shown("SchedXmltvTitle", "Import XMLTV listing"));
  EditTitle = new QLineEdit;
  EditTitle->setObjectName("EditTitle");
  EditTitle->setPlaceholderText(Shown("SchedTitleContains", "Title contains..."));
  ListBoxProgrammes = new QListWidget;
  ListBoxProgrammes->setObjectName("ListBoxProgrammes");
  const QLocale locale = ShownLocale();
  for (int i = 0; i < programmes_.size(); ++i) {
    const TXmltvProgramme& p = programmes_[i];
    const bool mapped = [&] {
      for (const QString& name : p.ChannelNames)
        if (FindProgramChannel(channels_, name)) return true;
      return false;
    }();
    auto* item = new QListWidgetItem(QStringLiteral("%1  %2-%3  %4  %5")
                                         .arg(locale.toString(p.Start, "ddd yyyy-MM-dd HH:mm"),
                                              p.Stop.toString("HH:mm"), p.ChannelNames.value(0, p.ChannelId),
                                              p.Title, mapped ? QString() : Shown("SchedNoChannel", "(no such channel)")));
    item->setData(Qt::UserRole, i);
    item->setFlags(mapped ? item->flags() | Qt::ItemIsUserCheckable : item->flags() & ~Qt::ItemIsEnabled);
    item->setCheckState(Qt::Unchecked);
    ListBoxProgrammes->addItem(item);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("BitBtnOK");
  buttons->button(QDialogButtonBox::Ok)->setText(Shown("OK", "OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(Shown("Cancel", "Cancel"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(EditTitle);
  layout->addWidget(ListBoxProgrammes, 1);
  layout->addWidget(buttons);
  resize(560, 380);
  connect(EditTitle, &QLineEdit::textChanged, this, [this] { EditTitleChange(); });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TDialogXmltvImport::EditTitleChange() {
  for (int row = 0; row < ListBoxProgrammes->count(); ++row) {
    QListWidgetItem* item = ListBoxProgrammes->item(row);
    const TXmltvProgramme& p = programmes_[item->data(Qt::UserRole).toInt()];
    item->setHidden(!p.Title.contains(EditTitle->text(), Qt::CaseInsensitive));
  }
}

TXmltvImport TDialogXmltvImport::Chosen() const {
  QList<TXmltvProgramme> ticked;
  for (int row = 0; row < ListBoxProgrammes->count(); ++row) {
    const QListWidgetItem* item = ListBoxProgrammes->item(row);
    if (item->checkState() == Qt::Checked && !item->isHidden())
      ticked.append(programmes_[item->data(Qt::UserRole).toInt()]);
  }
  return EntriesOfProgrammes(ticked, channels_);
}

}  // namespace pvx::scheduled
