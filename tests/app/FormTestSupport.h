#pragma once
// Helpers of the form tests: the golden text of a form's layout (the form, then one line per named
// child or menu item), synthetic mouse events, and a main window with its settings object.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QMouseEvent>
#include <vector>

#include "app/MainForm.h"
#include "settings/Globals.h"
#include "support/TestEnvironment.h"
#include "support/TunedChannels.h"

class QMenu;

namespace pvx::test {

QString RectText(const QRect& r);
QString FormLayoutText(const QWidget& form);
QString MenuText(const QMenu& menu);
// Compares with tests/fixtures/<fixture>; with OKA_PVX_WRITE_GOLDEN set, writes it instead.
void ExpectGolden(const QString& text, const QString& fixture);

inline void SendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QMouseEvent event(type, QPointF(pos), QPointF(widget->mapToGlobal(pos)), button, buttons, modifiers);
  QCoreApplication::sendEvent(widget, &event);
}

// Runs `answer` on the modal window of type T once it is open; fails if none opened.
template <typename T>
class ModalAnswer {
 public:
  // Answers the first such window that opens while this object lives.
  explicit ModalAnswer(std::function<void(T&)> answer) {
    QObject::connect(&poll_, &QTimer::timeout, [this, answer] {
      if (T* window = qobject_cast<T*>(QApplication::activeModalWidget())) poll_.stop(), seen_ = true, answer(*window);
    });
    poll_.start(0);
  }
  ~ModalAnswer() { EXPECT_TRUE(seen_) << "the window never opened"; }

 private:
  QTimer poll_;
  bool seen_ = false;
};

// Runs `open`, answering the modal window of type T that it opens; fails if none opened.
template <typename T>
void Answer(const std::function<void()>& open, std::function<void(T&)> answer) {
  ModalAnswer<T> modal(std::move(answer));
  open();
}

inline void Pump() { QCoreApplication::processEvents(); }

// A walk through named steps: after each step (and the events it posted) its name and what
// `state` then says, so one golden text follows a whole sequence.
using Steps = std::vector<std::pair<const char*, std::function<void()>>>;
QString Walk(const Steps& steps, const std::function<QString()>& state);

// A main window in live TV on a screen of a chosen size, with its own main model; the window
// goes before the model.
class WindowTest : public ::testing::Test {
 protected:
  WindowTest() {
    info.SetMode(settings::amTV);
    form = std::make_unique<app::TFormMainWindow>(&info);
    form->SetScreenSize([this] { return screen; });
  }

  settings::TMainInfo info;
  QSize screen{1024, 768};
  std::unique_ptr<app::TFormMainWindow> form;
};

}  // namespace pvx::test
