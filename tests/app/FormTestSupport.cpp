#include "FormTestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSlider>

#include "app/MainMenu.h"
#include "support/TestEnvironment.h"

namespace pvx::test {
namespace {

QString TextOf(const QWidget* w) {
  if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
  if (auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
  if (auto* edit = qobject_cast<const QPlainTextEdit*>(w)) return edit->toPlainText();
  if (auto* slider = qobject_cast<const QSlider*>(w))
    return QStringLiteral("%1..%2 at %3").arg(slider->minimum()).arg(slider->maximum()).arg(slider->value());
  return {};
}

void AddMenu(const QMenu& menu, const QString& indent, QString& out) {
  for (const QAction* a : menu.actions()) {
    if (a->isSeparator()) {
      out += indent + "-\n";
      continue;
    }
    const std::optional<commands::TCommand> command = app::TMainMenu::CommandOf(a);
    out += indent + QStringLiteral("%1 \"%2\" key=%3%4%5%6%7\n")
                        .arg(a->objectName(), a->text(), a->property("languageKey").toString())
                        .arg(command ? QStringLiteral(" command=%1").arg(commands::CodeOf(*command)) : QString())
                        .arg(a->isCheckable() ? (a->isChecked() ? " checked" : " unchecked") : "")
                        .arg(a->isVisible() ? "" : " hidden")
                        .arg(a->isEnabled() || !a->isVisible() ? "" : " disabled");
    if (a->menu()) AddMenu(*a->menu(), indent + "  ", out);
  }
}

}  // namespace

QString RectText(const QRect& r) {
  return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

QString Walk(const Steps& steps, const std::function<QString()>& state) {
  QString text;
  for (const auto& [what, step] : steps) {
    text += QStringLiteral("== %1\n").arg(what);
    step();
    Pump();
    text += state();
  }
  return text;
}

QString FormLayoutText(const QWidget& form) {
  QString out = QStringLiteral("%1 \"%2\" %3x%4%5%6\n")
                    .arg(form.objectName(), form.windowTitle())
                    .arg(form.width())
                    .arg(form.height())
                    .arg(form.windowFlags() & Qt::FramelessWindowHint ? " frameless" : "")
                    .arg(form.windowFlags() & Qt::WindowStaysOnTopHint ? " on-top" : "");
  for (const QWidget* child : form.findChildren<QWidget*>()) {
    // Named controls of this window; another window (the OSD) has its own layout.
    if (child->objectName().isEmpty() || child->objectName().startsWith("qt_") || child->window() != form.window())
      continue;
    out += QStringLiteral("  %1 %2 %3 \"%4\" %5pt%6%7\n")
               .arg(child->metaObject()->className(), child->objectName(), RectText(child->geometry()), TextOf(child))
               .arg(child->font().pointSize())
               .arg(child->isHidden() ? " hidden" : "")
               .arg(child->font().bold() ? " bold" : "");
  }
  return out;
}

QString MenuText(const QMenu& menu) {
  QString out = menu.objectName() + "\n";
  AddMenu(menu, "  ", out);
  return out;
}

void ExpectGolden(const QString& text, const QString& fixture) {
  const QString path = Fixture(fixture);
  if (!qEnvironmentVariableIsEmpty("OKA_PVX_WRITE_GOLDEN")) {
    WriteFile(path, text.toUtf8());
    return;
  }
  EXPECT_EQ(QString::fromUtf8(ReadFile(path)), text) << "golden file " << path.toStdString();
}

}  // namespace pvx::test
