#pragma once
// Golden text of a form's layout: the form, then one line per named child or menu item, so a
// layout test compares one fixture instead of restating each constructor's literals.

#include <QString>

class QMenu;
class QWidget;

namespace pvx::test {

QString FormLayoutText(const QWidget& form);
QString MenuText(const QMenu& menu);
// Compares with tests/fixtures/<fixture>; with OKA_PVX_WRITE_GOLDEN set, writes it instead.
void ExpectGolden(const QString& text, const QString& fixture);

}  // namespace pvx::test
