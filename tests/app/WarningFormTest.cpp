#include "app/WarningForm.h"
#include "FormDump.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "platform/DialogService.h"
#include "platform/QtDialogService.h"
#include "settings/ErrorMessages.h"
#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using app::TFormWarning;

namespace {

template <typename T>
T* Child(QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(QLatin1String(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

// Runs `check` on the warning window once it is open, then presses OK; fails if it never opened.
class WarningProbe {
 public:
  explicit WarningProbe(std::function<void(TFormWarning&)> check) {
    QTimer::singleShot(0, [this, check] {
      auto* form = qobject_cast<TFormWarning*>(platform::DefaultDialogs().OpenWarning());
      if (!form) return;
      seen_ = true;
      check(*form);
      QTest::mouseClick(form->findChild<QPushButton*>("BitBtnOK"), Qt::LeftButton);
    });
  }
  ~WarningProbe() { EXPECT_TRUE(seen_) << "the warning window never opened"; }

 private:
  bool seen_ = false;
};

}  // namespace

TEST(WarningForm, LayoutAsDesigned) {
  TFormWarning form({"first", "second"});
  test::ExpectGolden(test::FormLayoutText(form), "app/FormWarning.txt");
  EXPECT_TRUE(form.findChild<QPlainTextEdit*>("MemoErrorDesc")->isReadOnly());
}

TEST(WarningForm, TakesTheLanguageTexts) {
  test::WriteFile(test::Home() + "Language/Lang.cfg", "X\n");
  test::WriteFile(test::Home() + "Language/X.lng",
                  "[language]=German\nWarning=Warnung\nOK=Weiter@Schließen\n");
  settings::TMultiLangInfo lang(test::Home() + "Language/Lang.cfg");
  settings::MultiLangInfo = &lang;
  TFormWarning form({"x"});
  settings::MultiLangInfo = nullptr;
  EXPECT_EQ(form.windowTitle(), "Warnung");
  auto* label = Child<QLabel>(form, "LabelWarning");
  EXPECT_EQ(label->text(), "Warnung");
  EXPECT_EQ(label->font().pointSize(), lang.FontSize + 2);
  EXPECT_EQ(Child<QPushButton>(form, "BitBtnOK")->text(), "Weiter");
}

TEST(WarningForm, ErrorCodeOpensTheWindowAndOkClosesIt) {
  platform::SetDialogs(nullptr);  // the real Qt service with the real window
  app::InstallWarningForm();
  QString shown;
  {
    WarningProbe probe([&](TFormWarning& form) {
      shown = form.findChild<QPlainTextEdit*>("MemoErrorDesc")->toPlainText();
      EXPECT_TRUE(settings::IsWarningOpen());
    });
    settings::ShowErrorCode(1024, 1025);
  }
  EXPECT_EQ(shown, "Set audio format is failed, use default.\nSet video format is failed, use default.");
  EXPECT_FALSE(settings::IsWarningOpen());
  EXPECT_EQ(platform::DefaultDialogs().OpenWarning(), nullptr);
}

TEST(WarningForm, CloseWarningEndsTheOpenWindowAndASecondIsDropped) {
  platform::SetDialogs(nullptr);
  app::InstallWarningForm();
  int windowsSeen = 0;
  QTimer::singleShot(0, [&] {
    if (platform::DefaultDialogs().OpenWarning()) ++windowsSeen;
    settings::ShowErrorCode(1002);  // dropped: one warning at a time
    settings::CloseWarning();       // as a command message would
  });
  settings::ShowErrorText("Cannot use overlay");
  EXPECT_EQ(windowsSeen, 1);
  EXPECT_FALSE(settings::IsWarningOpen());
}
