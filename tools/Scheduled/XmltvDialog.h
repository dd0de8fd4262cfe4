#pragma once
// Picking programmes of an XMLTV listing by title and time; each becomes a timetable entry on
// the program's channel of the same name.

#include <QDialog>
#include <QList>

#include "XmltvImport.h"

class QLineEdit;
class QListWidget;

namespace pvx::scheduled {

class TDialogXmltvImport : public QDialog {
  Q_OBJECT
 public:
  TDialogXmltvImport(QList<TXmltvProgramme> programmes, QList<TProgramChannel> channels,
                     QWidget* parent = nullptr);
  // Entries of the ticked programmes.
  TXmltvImport Chosen() const;

 private:
  void EditTitleChange();

  QList<TXmltvProgramme> programmes_;
  QList<TProgramChannel> channels_;
  QLineEdit* EditTitle;
  QListWidget* ListBoxProgrammes;
};

}  // namespace pvx::scheduled
