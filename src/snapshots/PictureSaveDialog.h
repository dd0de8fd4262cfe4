#pragma once
// The picture save dialog both snapshot windows use: JPEG or bitmap, proposing "Snapshot".

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace pvx::snapshots {

struct TPictureChoice {
  QString FileName;  // empty when cancelled
  int FilterIndex = 0;
};

// Asks for a file name among `filters`, proposing `proposed`.
using TPictureChooser =
    std::function<TPictureChoice(QWidget* parent, const QString& proposed, const QStringList& filters)>;
// Replaces the file dialog (tests answer it); an empty chooser restores the file dialog.
void SetPictureChooser(TPictureChooser chooser);

// Runs the dialog; the chosen name, given ".jpg" (JPEG filter) or ".bmp" when it has no
// extension; empty when cancelled.
QString RunPictureSaveDialog(QWidget* parent);

}  // namespace pvx::snapshots
