// The error display: the period rule, the box it shows, the guard around
// handlers and the last-resort display.
#include "Application.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "Exceptions.h"
#include "LastResort.h"

namespace {

struct DisplayCase {
  const char* message;
  const char* shown;
};

class ErrorDisplayTextTest : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(ErrorDisplayTextTest, AddsAPeriodOnlyAfterCharactersAboveThePeriod) {
  EXPECT_EQ(ErrorDisplayText(GetParam().message), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ErrorDisplayTextTest,
    ::testing::Values(DisplayCase{"Fichier introuvable", "Fichier introuvable."},
                      DisplayCase{"Erreur E/S 32", "Erreur E/S 32."}, DisplayCase{"Continue?", "Continue?."},
                      DisplayCase{"Label:", "Label:."}, DisplayCase{"Done.", "Done."}, DisplayCase{"Stop!", "Stop!"},
                      DisplayCase{"(see above)", "(see above)"}, DisplayCase{"trailing ", "trailing "},
                      DisplayCase{"quoted \"", "quoted \""}, DisplayCase{"", ""},
                      DisplayCase{"Impossible d'écrire dans /tmp/é", "Impossible d'écrire dans /tmp/é."}));

// Waits in the event loop for the error box, records what it shows, then
// presses Enter on it. Fails the test if no box appears in time.
struct BoxSeen {
  bool shown = false;
  QString caption, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int buttons = 0;
};

void AnswerNextBox(BoxSeen* seen) {
  auto* timer = new QTimer;
  auto* clock = new QElapsedTimer;
  clock->start();
  QObject::connect(timer, &QTimer::timeout, [timer, clock, seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || box->focusWidget() == nullptr) {
      if (clock->elapsed() > 5000) {
        timer->stop();
        timer->deleteLater();
        delete clock;
      }
      return;
    }
    timer->stop();
    seen->shown = true;
    seen->caption = box->windowTitle();
    seen->text = box->text();
    seen->icon = box->icon();
    seen->buttons = static_cast<int>(box->buttons().size());
    QTest::keyClick(box, Qt::Key_Return);
    timer->deleteLater();
    delete clock;
  });
  timer->start(20);
}

TEST(ErrorDisplay, ShowsTheMessageInABoxCaptionedWithTheApplicationTitle) {
  Application().SetTitle("Korlit");
  QWidget window;
  window.setWindowTitle("Vantrel  V2.0");
  window.show();
  window.activateWindow();
  BoxSeen seen;
  AnswerNextBox(&seen);
  Application().ShowException(EInOutError("Fichier introuvable", 2));
  ASSERT_TRUE(seen.shown);
  EXPECT_EQ(seen.caption, "Korlit");
  EXPECT_EQ(seen.text, "Fichier introuvable.");
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
  EXPECT_EQ(seen.buttons, 1);
  // The window takes input again afterwards.
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(window.isEnabled());
}

TEST(ErrorDisplay, EmptyMessageGivesAnEmptyBox) {
  BoxSeen seen;
  AnswerNextBox(&seen);
  Application().ShowException(Exception(""));
  ASSERT_TRUE(seen.shown);
  EXPECT_EQ(seen.text, "");
}

TEST(ErrorDisplay, AbortShowsNothing) {
  int boxes = 0;
  Application().SetErrorBoxHook([&boxes](const std::string&, const std::string&) { ++boxes; });
  Application().ShowException(EAbort("silent"));
  Application().ShowException(Exception("loud"));
  Application().SetErrorBoxHook(nullptr);
  EXPECT_EQ(boxes, 1);
}

TEST(Guard, ExceptionsLeavingAHandlerGoToTheDisplayAndStopThere) {
  Application().SetTitle("Korlit");
  std::string caption, text;
  Application().SetErrorBoxHook([&](const std::string& c, const std::string& t) {
    caption = c;
    text = t;
  });
  QPushButton button("Convert");
  bool afterRaise = false;
  QObject::connect(&button, &QPushButton::clicked, [&] {
    Guarded([&] {
      throw EInOutError("Erreur E/S 32", 32);
      afterRaise = true;
    });
  });
  button.show();
  QTest::mouseClick(&button, Qt::LeftButton);
  Application().SetErrorBoxHook(nullptr);
  EXPECT_EQ(caption, "Korlit");
  EXPECT_EQ(text, "Erreur E/S 32.");
  EXPECT_FALSE(afterRaise);
}

TEST(Guard, StandardExceptionsAreShownToo) {
  std::string text;
  Application().SetErrorBoxHook([&](const std::string&, const std::string& t) { text = t; });
  Guarded([] { throw std::runtime_error("bad allocation"); });
  Application().SetErrorBoxHook(nullptr);
  EXPECT_EQ(text, "bad allocation.");
}

TEST(LastResort, TextNamesClassModuleAddressAndMessage) {
  const void* address = reinterpret_cast<const void*>(0x1234);
  EXPECT_EQ(LastResortText("EInOutError", "vantrel", address, "Disque plein"),
            "Exception EInOutError dans le module vantrel à 0x1234.\nDisque plein.");
  EXPECT_EQ(LastResortText("Exception", "vantrel", address, "Done."),
            "Exception Exception dans le module vantrel à 0x1234.\nDone.");
  EXPECT_EQ(LastResortText("Exception", "vantrel", address, ""),
            "Exception Exception dans le module vantrel à 0x1234.\n");
}

TEST(LastResortDeathTest, AnExceptionNoHandlerCaughtEndsTheProgramWithCodeOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        // Close the box as soon as it is up, then the program must end with 1.
        QTimer::singleShot(200, [] {
          if (QWidget* box = QApplication::activeModalWidget()) QTest::keyClick(box, Qt::Key_Return);
        });
        TGuardedApplication::LastResort("Exception", "escaped", nullptr);
      },
      ::testing::ExitedWithCode(1), "");
}

}  // namespace
