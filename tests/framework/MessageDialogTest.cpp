// The message dialog and the plain message, shown modally and answered with
// real key presses, clicks and close requests.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <cmath>

#include "Application.h"
#include "DialogDriver.h"
#include "MessageDialog.h"

namespace {

const std::string kLine1 = "Working with frequency different from 22050Hz or 44100Hz";
const std::string kLine2 = "               can make some strange sound!";
const std::string kLine3 = "                        Continue?";
const std::string kConfirmText = kLine1 + "\r" + kLine2 + "\r" + kLine3;

// The layout's numbers, worked out here from the font metrics alone.
struct Metrics {
  explicit Metrics(const QFont& font) : fm(font), fmf(font) {
    const int cw = Width("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52;
    const int ch = fm.height();
    auto mul = [](int a, int b, int c) { return (a * b + c / 2) / c; };
    horzMargin = mul(8, cw, 4);
    vertMargin = mul(8, ch, 8);
    horzSpacing = mul(10, cw, 4);
    vertSpacing = mul(10, ch, 8);
    minButtonWidth = mul(50, cw, 4);
    buttonHeight = mul(14, ch, 8);
    buttonSpacing = mul(4, cw, 4);
  }
  int ButtonWidth(std::initializer_list<const char*> shownCaptions) const {
    int w = minButtonWidth;
    for (const char* c : shownCaptions) w = std::max(w, Width(QString::fromUtf8(c)) + 8);
    return w;
  }
  // Whole pixels covering the text's advance.
  int Width(const QString& text) const { return static_cast<int>(std::ceil(fmf.horizontalAdvance(text))); }
  QFontMetrics fm;
  QFontMetricsF fmf;
  int horzMargin, vertMargin, horzSpacing, vertSpacing, minButtonWidth, buttonHeight, buttonSpacing;
};

int HalfScreen() { return QGuiApplication::primaryScreen()->geometry().width() / 2; }

template <typename T>
T* Child(QWidget* w, const char* name) {
  return w->findChild<T*>(QString::fromUtf8(name));
}

void ExpectConfirmationLayout(QWidget* dialog) {
  auto* form = qobject_cast<TMessageForm*>(dialog);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->windowTitle(), "Confirmation");
  EXPECT_EQ(QApplication::activeModalWidget(), form);

  const Metrics m(MessageDialogFont());
  EXPECT_EQ(form->font(), MessageDialogFont());
  const int tw = std::max({m.Width(QString::fromStdString(kLine1)), m.Width(QString::fromStdString(kLine2)),
                           m.Width(QString::fromStdString(kLine3))});
  ASSERT_LE(tw, HalfScreen()) << "the three lines must fit without wrapping for this check";
  const int th = 3 * m.fm.height();
  const int iw = tw + 32 + m.horzSpacing;
  const int ih = std::max(th, 32);
  const int buttonWidth = m.ButtonWidth({"Oui", "Non"});
  const int bw = 2 * buttonWidth + m.buttonSpacing;
  const int clientWidth = std::max(iw, bw) + 2 * m.horzMargin;
  const int clientHeight = ih + m.buttonHeight + m.vertSpacing + 2 * m.vertMargin;
  EXPECT_EQ(form->size(), QSize(clientWidth, clientHeight));

  auto* image = Child<QLabel>(form, "Image");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->geometry(), QRect(m.horzMargin, m.vertMargin, 32, 32));
  const QImage question = form->style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32).toImage();
  EXPECT_EQ(image->pixmap().toImage(), question);

  auto* message = Child<QLabel>(form, "Message");
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(message->text().split('\n'), QStringList({QString::fromStdString(kLine1), QString::fromStdString(kLine2),
                                                      QString::fromStdString(kLine3)}));
  EXPECT_EQ(message->geometry(), QRect(iw - tw + m.horzMargin, m.vertMargin, tw, th));

  auto* yes = Child<QPushButton>(form, "Yes");
  auto* no = Child<QPushButton>(form, "No");
  ASSERT_NE(yes, nullptr);
  ASSERT_NE(no, nullptr);
  EXPECT_EQ(form->findChildren<QPushButton*>().size(), 2);
  EXPECT_EQ(yes->text(), "&Oui");
  EXPECT_EQ(no->text(), "&Non");
  const int top = ih + m.vertMargin + m.vertSpacing;
  const int left = (clientWidth - bw) / 2;
  EXPECT_EQ(yes->geometry(), QRect(left, top, buttonWidth, m.buttonHeight));
  EXPECT_EQ(no->geometry(), QRect(left + buttonWidth + m.buttonSpacing, top, buttonWidth, m.buttonHeight));
  EXPECT_TRUE(yes->isDefault());
  EXPECT_FALSE(no->isDefault());
  EXPECT_EQ(form->DefaultButton(), yes);
  EXPECT_EQ(form->CancelButton(), no);
  EXPECT_EQ(QApplication::focusWidget(), yes);

  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(form->frameGeometry().topLeft(), QPoint((screen.width() - form->frameGeometry().width()) / 2,
                                                    (screen.height() - form->frameGeometry().height()) / 2));
}

}  // namespace

TEST(MulDiv, RoundsToNearestWithHalvesAwayFromZero) {
  struct Case {
    int a, b, c, expected;
  };
  const Case cases[] = {
      {8, 7, 4, 14},  {10, 13, 8, 16}, {14, 13, 8, 23}, {1, 1, 2, 1},  {3, 1, 2, 2},
      {-1, 1, 2, -1}, {-3, 1, 2, -2},  {5, -7, 3, -12}, {7, 5, 0, -1}, {0x7fffffff, 4, 2, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(MessageDialog, ConfirmationShowsTheLaidOutQuestionAndEnterAnswersYes) {
  DialogDriver driver([](QWidget* dialog) {
    ExpectConfirmationLayout(dialog);
    Key(dialog, Qt::Key_Return);
  });
  const TModalResult result =
      MessageDialog(kConfirmText, TMsgDlgType::mtConfirmation, {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}, 0);
  EXPECT_TRUE(driver.Ran());
  EXPECT_EQ(result, mrYes);
}

TEST(MessageDialog, LeadingBlanksOfALineAreDrawn) {
  DialogDriver driver([](QWidget* dialog) {
    auto* message = Child<QLabel>(dialog, "Message");
    ASSERT_NE(message, nullptr);
    const QImage picture = message->grab().toImage();
    const QFontMetrics fm(message->font());
    const QRgb background = picture.pixel(picture.width() - 1, picture.height() - 1);
    // The leftmost ink of each line lies right of its run of blanks.
    const int blanks[] = {0, 15, 24};
    for (int line = 0; line < 3; ++line) {
      int leftmost = picture.width();
      for (int y = line * fm.height(); y < (line + 1) * fm.height() && y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
          if (picture.pixel(x, y) != background) leftmost = std::min(leftmost, x);
      EXPECT_GE(leftmost, fm.horizontalAdvance(QString(blanks[line], ' '))) << "line " << line;
      EXPECT_LT(leftmost, fm.horizontalAdvance(QString(blanks[line], ' ')) + fm.horizontalAdvance("WC"))
          << "line " << line;
    }
    Key(dialog, Qt::Key_Escape);
  });
  MessageDialog(kConfirmText, TMsgDlgType::mtConfirmation, {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}, 0);
  EXPECT_TRUE(driver.Ran());
}

struct AnswerCase {
  const char* name;
  std::function<void(QWidget*)> answer;
  TModalResult expected;
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class ConfirmationAnswer : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(ConfirmationAnswer, GivesTheResultOfTheButtonPressed) {
  DialogDriver driver([](QWidget* dialog) { GetParam().answer(dialog); });
  const TModalResult result =
      MessageDialog(kConfirmText, TMsgDlgType::mtConfirmation, {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}, 0);
  EXPECT_TRUE(driver.Ran());
  EXPECT_EQ(result, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ConfirmationAnswer,
    ::testing::Values(AnswerCase{"Enter", [](QWidget* d) { Key(d, Qt::Key_Return); }, mrYes},
                      AnswerCase{"KeypadEnter", [](QWidget* d) { Key(d, Qt::Key_Enter, Qt::KeypadModifier); }, mrYes},
                      AnswerCase{"Escape", [](QWidget* d) { Key(d, Qt::Key_Escape); }, mrNo},
                      AnswerCase{"LetterN", [](QWidget* d) { Key(d, Qt::Key_N); }, mrNo},
                      AnswerCase{"LetterO", [](QWidget* d) { Key(d, Qt::Key_O); }, mrYes},
                      AnswerCase{"AltN", [](QWidget* d) { Key(d, Qt::Key_N, Qt::AltModifier); }, mrNo},
                      AnswerCase{"AltO", [](QWidget* d) { Key(d, Qt::Key_O, Qt::AltModifier); }, mrYes},
                      AnswerCase{"TabThenEnter",
                                 [](QWidget* d) {
                                   Key(d, Qt::Key_Tab);
                                   Key(d, Qt::Key_Return);
                                 },
                                 mrNo},
                      AnswerCase{"ShiftEnterDoesNothing",
                                 [](QWidget* d) {
                                   Key(d, Qt::Key_Return, Qt::ShiftModifier);
                                   Key(d, Qt::Key_Escape);
                                 },
                                 mrNo},
                      AnswerCase{"CtrlEscapeDoesNothing",
                                 [](QWidget* d) {
                                   Key(d, Qt::Key_Escape, Qt::ControlModifier);
                                   Key(d, Qt::Key_Return);
                                 },
                                 mrYes},
                      AnswerCase{"CtrlOIsNoAccelerator",
                                 [](QWidget* d) {
                                   Key(d, Qt::Key_O, Qt::ControlModifier);
                                   Key(d, Qt::Key_Escape);
                                 },
                                 mrNo},
                      AnswerCase{"ClickOnNon",
                                 [](QWidget* d) { QTest::mouseClick(Child<QPushButton>(d, "No"), Qt::LeftButton); },
                                 mrNo},
                      AnswerCase{"AltF4", [](QWidget* d) { Key(d, Qt::Key_F4, Qt::AltModifier); }, mrCancel},
                      AnswerCase{"CloseBox", [](QWidget* d) { CloseBox(d); }, mrCancel}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

class PlainMessageClose : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(PlainMessageClose, ShowsTheTitleAndOneOkButton) {
  Application().SetTitle("Korlit");
  DialogDriver driver([](QWidget* dialog) {
    auto* form = qobject_cast<TMessageForm*>(dialog);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), "Korlit");
    EXPECT_EQ(Child<QLabel>(form, "Image"), nullptr);
    const QList<QPushButton*> buttons = form->findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->objectName(), "OK");
    EXPECT_EQ(buttons[0]->text(), "OK");
    EXPECT_EQ(form->DefaultButton(), buttons[0]);
    EXPECT_EQ(form->CancelButton(), buttons[0]);
    EXPECT_EQ(Child<QLabel>(form, "Message")->x(), Metrics(MessageDialogFont()).horzMargin);
    GetParam().answer(dialog);
  });
  PlainMessage("MpegDll Not Found !!");
  EXPECT_TRUE(driver.Ran());
  // The same dialog through MessageDialog gives the result of the way it was closed.
  DialogDriver again([](QWidget* dialog) { GetParam().answer(dialog); });
  EXPECT_EQ(MessageDialog("MpegDll Not Found !!", TMsgDlgType::mtCustom, {TMsgDlgBtn::mbOK}, 0), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Ways, PlainMessageClose,
                         ::testing::Values(AnswerCase{"Enter", [](QWidget* d) { Key(d, Qt::Key_Return); }, mrOk},
                                           AnswerCase{"Escape", [](QWidget* d) { Key(d, Qt::Key_Escape); }, mrOk},
                                           AnswerCase{"CloseBox", [](QWidget* d) { CloseBox(d); }, mrCancel}),
                         [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

TEST(MessageDialog, AcceleratorsAreTheMarkedLettersAndHelpDoesNotClose) {
  const TMsgDlgButtons set{TMsgDlgBtn::mbOK, TMsgDlgBtn::mbIgnore, TMsgDlgBtn::mbHelp};
  // "I" is the letter of "A&ide", not the first letter of "I&gnorer".
  DialogDriver help([](QWidget* d) {
    Key(d, Qt::Key_I);
    Key(d, Qt::Key_Escape);
  });
  EXPECT_EQ(MessageDialog("Retry later?", TMsgDlgType::mtWarning, set, 0), mrOk);
  EXPECT_TRUE(help.Ran());
  DialogDriver ignore([](QWidget* d) { Key(d, Qt::Key_G); });
  EXPECT_EQ(MessageDialog("Retry later?", TMsgDlgType::mtWarning, set, 0), mrIgnore);
  EXPECT_TRUE(ignore.Ran());
}

TEST(MessageDialog, OtherWindowsTakeNoInputAndThePreviousWindowIsActiveAfter) {
  QWidget main;
  main.setWindowTitle("Vantrel  V2.0");
  auto* button = new QPushButton("Play", &main);
  button->setGeometry(10, 10, 80, 30);
  int clicks = 0;
  QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
  main.resize(300, 200);
  main.show();
  main.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main));

  DialogDriver driver([&](QWidget* dialog) {
    QTest::mouseClick(main.windowHandle(), Qt::LeftButton, {}, button->geometry().center());
    EXPECT_EQ(clicks, 0);
    Key(dialog, Qt::Key_Escape);
  });
  EXPECT_EQ(MessageDialog("Something goes wrong when resampling wav\rNothing changed!", TMsgDlgType::mtCustom,
                          {TMsgDlgBtn::mbOK}, 0),
            mrOk);
  EXPECT_TRUE(driver.Ran());
  EXPECT_TRUE(QTest::qWaitForWindowActive(&main));
  // The same click counts once the dialog is gone.
  QTest::mouseClick(main.windowHandle(), Qt::LeftButton, {}, button->geometry().center());
  EXPECT_EQ(clicks, 1);
}

TEST(MessageDialogLayout, AWideButtonRowSetsTheWidthAndTheTextStaysLeft) {
  const TMsgDlgButtons all{TMsgDlgBtn::mbYes,     TMsgDlgBtn::mbNo,       TMsgDlgBtn::mbOK,     TMsgDlgBtn::mbCancel,
                           TMsgDlgBtn::mbAbort,   TMsgDlgBtn::mbRetry,    TMsgDlgBtn::mbIgnore, TMsgDlgBtn::mbAll,
                           TMsgDlgBtn::mbNoToAll, TMsgDlgBtn::mbYesToAll, TMsgDlgBtn::mbHelp};
  const Metrics m(MessageDialogFont());
  const int buttonWidth = m.ButtonWidth({"Oui", "Non", "OK", "Annuler", "Abandon", "Retenter", "Ignorer", "Tout",
                                         "Non pour tout", "Oui pour tout", "Aide"});
  const int bw = 11 * buttonWidth + 10 * m.buttonSpacing;
  struct Case {
    TMsgDlgType kind;
    int textLeft;
  };
  for (const Case& c :
       {Case{TMsgDlgType::mtCustom, m.horzMargin}, Case{TMsgDlgType::mtWarning, m.horzMargin + 32 + m.horzSpacing}}) {
    auto form = CreateMessageDialog("Hi", c.kind, all);
    EXPECT_EQ(form->width(), bw + 2 * m.horzMargin);
    EXPECT_EQ(form->findChild<QLabel*>("Message")->x(), c.textLeft);
    const std::vector<QPushButton*>& buttons = form->Buttons();
    ASSERT_EQ(buttons.size(), 11u);
    EXPECT_EQ(buttons.front()->x(), m.horzMargin);
    EXPECT_EQ(buttons.back()->geometry().right() + 1, bw + m.horzMargin);
    const char* names[] = {"Yes",    "No",  "OK",      "Cancel",   "Abort", "Retry",
                           "Ignore", "All", "NoToAll", "YesToAll", "Help"};
    for (size_t i = 0; i < buttons.size(); ++i) EXPECT_EQ(buttons[i]->objectName(), names[i]);
    // OK is the default, Cancel the cancel button when the set holds them.
    EXPECT_EQ(form->DefaultButton()->objectName(), "OK");
    EXPECT_EQ(form->CancelButton()->objectName(), "Cancel");
  }
}

TEST(MessageDialogLayout, ALineWiderThanHalfTheScreenWrapsAtWords) {
  QStringList words;
  for (int i = 0; i < 40; ++i) words << QStringLiteral("word%1").arg(i);
  const Metrics m(MessageDialogFont());
  const int limit = HalfScreen();
  ASSERT_GT(m.Width(words.join(' ')), limit);
  // Fill each line with whole words while they fit.
  int lines = 1;
  int widest = 0;
  QString line;
  for (const QString& w : words) {
    const QString longer = line.isEmpty() ? w : line + ' ' + w;
    if (!line.isEmpty() && m.Width(longer) > limit) {
      widest = std::max(widest, m.Width(line));
      ++lines;
      line = w;
    } else {
      line = longer;
    }
  }
  widest = std::max(widest, m.Width(line));

  auto form = CreateMessageDialog(words.join(' ').toStdString(), TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK});
  const QRect message = form->findChild<QLabel*>("Message")->geometry();
  EXPECT_GT(lines, 1);
  EXPECT_EQ(message.width(), widest);
  EXPECT_EQ(message.height(), lines * m.fm.height());
}

TEST(MessageDialogLayout, AnAmpersandMarksALetterAndTwoShowOne) {
  const Metrics m(MessageDialogFont());
  auto form = CreateMessageDialog("Fish && &Chips", TMsgDlgType::mtCustom, {TMsgDlgBtn::mbOK});
  EXPECT_EQ(form->findChild<QLabel*>("Message")->width(), m.Width("Fish & Chips"));
}

TEST(MessageDialogLayout, KindsGiveTheirCaptionsAndTheCustomTitleIsCut) {
  const std::pair<TMsgDlgType, const char*> kinds[] = {{TMsgDlgType::mtWarning, "Avertissement"},
                                                       {TMsgDlgType::mtError, "Erreur"},
                                                       {TMsgDlgType::mtInformation, "Information"},
                                                       {TMsgDlgType::mtConfirmation, "Confirmation"}};
  for (const auto& [kind, caption] : kinds) {
    auto form = CreateMessageDialog("x", kind, {TMsgDlgBtn::mbOK});
    EXPECT_EQ(form->windowTitle(), caption);
    EXPECT_NE(form->findChild<QLabel*>("Image"), nullptr) << caption;
  }
  Application().SetTitle(std::string(300, 'k'));
  EXPECT_EQ(CreateMessageDialog("x", TMsgDlgType::mtCustom, {})->windowTitle(), QString(255, 'k'));
  Application().SetTitle("Korlit");
}

TEST(MessageDialogLayout, EachButtonCaptionIsMeasuredOncePerProcess) {
  for (int i = 0; i < 3; ++i)
    CreateMessageDialog("x", TMsgDlgType::mtConfirmation, {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo});
  CreateMessageDialog("y", TMsgDlgType::mtCustom, {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbRetry});
  const Metrics m(MessageDialogFont());
  EXPECT_EQ(ButtonWidthMeasurements(TMsgDlgBtn::mbYes), 1);
  EXPECT_EQ(ButtonWidthMeasurements(TMsgDlgBtn::mbNo), 1);
  EXPECT_EQ(ButtonWidthMeasurements(TMsgDlgBtn::mbRetry), 1);
  EXPECT_EQ(CachedButtonWidth(TMsgDlgBtn::mbYes), m.Width("Oui") + 8);
  EXPECT_EQ(CachedButtonWidth(TMsgDlgBtn::mbRetry), m.Width("Retenter") + 8);
}

// The widgets stand where the shared rules put them, measured here in the
// dialog's font, for each kind, several button sets and a short and a long text.
TEST(MessageDialogLayout, TheWidgetsStandWhereTheSharedRulesPutThem) {
  const QFontMetrics fm(MessageDialogFont());
  const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs | Qt::TextShowMnemonic;
  QStringList words;
  for (int i = 0; i < 60; ++i) words << QStringLiteral("mot%1").arg(i);
  const std::string texts[] = {"Hi", kConfirmText, words.join(' ').toStdString()};
  const TMsgDlgType kinds[] = {TMsgDlgType::mtWarning, TMsgDlgType::mtError, TMsgDlgType::mtInformation,
                               TMsgDlgType::mtConfirmation, TMsgDlgType::mtCustom};
  const TMsgDlgButtons sets[] = {{TMsgDlgBtn::mbOK},
                                 {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbCancel},
                                 {TMsgDlgBtn::mbAbort, TMsgDlgBtn::mbRetry, TMsgDlgBtn::mbIgnore},
                                 {TMsgDlgBtn::mbNoToAll, TMsgDlgBtn::mbYesToAll, TMsgDlgBtn::mbHelp}};
  const auto qrect = [](const TDialogRect& r) { return QRect(r.left, r.top, r.width, r.height); };
  for (const TMsgDlgType kind : kinds) {
    for (const TMsgDlgButtons& set : sets) {
      for (const std::string& text : texts) {
        SCOPED_TRACE(text.substr(0, 20) + " kind " + std::to_string(static_cast<int>(kind)));
        TMessageLayoutInput in;
        in.charWidth = AverageCharWidth(fm.boundingRect(QRect(), Qt::TextSingleLine, kAverageCharSample).width());
        in.charHeight = fm.height();
        in.screenWidth = QGuiApplication::primaryScreen()->geometry().width();
        in.kind = kind;
        in.buttons = set;
        in.text = text;
        in.applicationTitle = Application().Title();
        in.textExtent = [&](const std::string& lines, int maxWidth) {
          const QRect r = fm.boundingRect(QRect(0, 0, maxWidth, 0), flags, QString::fromStdString(lines));
          return TTextExtent{r.width(), r.height()};
        };
        in.captionWidth = [&](const std::string& caption) { return Metrics(MessageDialogFont()).Width(
                                                                    QString::fromStdString(caption).remove('&')); };
        TButtonWidths widths;
        const TMessageLayout l = LayOutMessageDialog(in, widths);

        auto form = CreateMessageDialog(text, kind, set);
        EXPECT_EQ(form->size(), QSize(l.clientWidth, l.clientHeight));
        EXPECT_EQ(form->windowTitle().toStdString(), l.caption);
        auto* image = form->findChild<QLabel*>("Image");
        ASSERT_EQ(image != nullptr, l.hasIcon);
        if (image) {
          EXPECT_EQ(image->geometry(), qrect(l.icon));
        }
        auto* message = form->findChild<QLabel*>("Message");
        EXPECT_EQ(message->geometry(), qrect(l.message));
        EXPECT_EQ(message->text().toStdString(), l.lines);
        const std::vector<QPushButton*>& buttons = form->Buttons();
        ASSERT_EQ(buttons.size(), l.buttons.size());
        for (size_t i = 0; i < buttons.size(); ++i) {
          EXPECT_EQ(buttons[i]->objectName().toStdString(), l.buttons[i].name);
          EXPECT_EQ(buttons[i]->text().toStdString(), l.buttons[i].caption);
          EXPECT_EQ(buttons[i]->geometry(), qrect(l.buttons[i].rect)) << l.buttons[i].name;
          EXPECT_EQ(form->DefaultButton() == buttons[i], l.buttons[i].isDefault) << l.buttons[i].name;
          EXPECT_EQ(form->CancelButton() == buttons[i], l.buttons[i].isCancel) << l.buttons[i].name;
        }
      }
    }
  }
}
