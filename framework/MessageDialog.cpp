#include "MessageDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "Application.h"

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const int64_t product = int64_t{a} * int64_t{b};
  const bool negative = (product < 0) != (c < 0);
  const int64_t magnitude = product < 0 ? -product : product;
  const int64_t divisor = c < 0 ? -int64_t{c} : int64_t{c};
  const int64_t rounded = (magnitude + divisor / 2) / divisor;
  if (rounded > std::numeric_limits<int>::max()) return -1;
  return static_cast<int>(negative ? -rounded : rounded);
}

namespace {

constexpr int kButtonCount = 11;

struct ButtonInfo {
  const char* name;
  const char* caption;
  TModalResult result;
};

// In table order, which is also the order of TMsgDlgBtn and of the row.
constexpr std::array<ButtonInfo, kButtonCount> kButtons = {{
    {"Yes", "&Oui", mrYes},
    {"No", "&Non", mrNo},
    {"OK", "OK", mrOk},
    {"Cancel", "Annuler", mrCancel},
    {"Abort", "&Abandon", mrAbort},
    {"Retry", "&Retenter", mrRetry},
    {"Ignore", "I&gnorer", mrIgnore},
    {"All", "&Tout", mrAll},
    {"NoToAll", "Non &pour tout", mrNoToAll},
    {"YesToAll", "O&ui pour tout", mrYesToAll},
    {"Help", "A&ide", mrNone},
}};

// Measured once per button for the life of the process.
std::array<int, kButtonCount> gButtonWidths{};
std::array<int, kButtonCount> gButtonMeasurements{};

const char* KindCaption(TMsgDlgType kind) {
  switch (kind) {
    case TMsgDlgType::mtWarning:
      return "Avertissement";
    case TMsgDlgType::mtError:
      return "Erreur";
    case TMsgDlgType::mtInformation:
      return "Information";
    case TMsgDlgType::mtConfirmation:
      return "Confirmation";
    case TMsgDlgType::mtCustom:
      break;
  }
  return nullptr;
}

bool KindIcon(TMsgDlgType kind, QStyle::StandardPixmap& icon) {
  switch (kind) {
    case TMsgDlgType::mtWarning:
      icon = QStyle::SP_MessageBoxWarning;
      return true;
    case TMsgDlgType::mtError:
      icon = QStyle::SP_MessageBoxCritical;
      return true;
    case TMsgDlgType::mtInformation:
      icon = QStyle::SP_MessageBoxInformation;
      return true;
    case TMsgDlgType::mtConfirmation:
      icon = QStyle::SP_MessageBoxQuestion;
      return true;
    case TMsgDlgType::mtCustom:
      break;
  }
  return false;
}

// The text is measured and drawn with the same flags, so the label shows
// exactly the rectangle the layout reserved for it.
constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs | Qt::TextShowMnemonic;

class TMessageLabel : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(rect(), kTextFlags, text());
  }
};

// A carriage return alone, a line feed alone and the pair each end a line;
// the toolkit's text layout breaks only at line feeds.
QString LinesOf(const std::string& text) {
  QString s = QString::fromStdString(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

QScreen* ActiveScreen() {
  if (QWidget* active = QApplication::activeWindow()) {
    if (QScreen* s = active->screen()) return s;
  }
  return QGuiApplication::primaryScreen();
}

int ButtonWidth(TMsgDlgBtn button, const QFontMetrics& fm) {
  const auto i = static_cast<size_t>(button);
  if (gButtonWidths[i] == 0) {
    const QRect r =
        fm.boundingRect(QRect(), Qt::TextSingleLine | Qt::TextShowMnemonic, QString::fromUtf8(kButtons[i].caption));
    gButtonWidths[i] = r.width() + 8;
    ++gButtonMeasurements[i];
  }
  return gButtonWidths[i];
}

// The letter after a single ampersand, upper-cased as key codes are; 0 when none.
int MnemonicKey(const QString& caption) {
  for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != QLatin1Char('&')) continue;
    if (caption[i + 1] == QLatin1Char('&')) {
      ++i;
      continue;
    }
    return caption[i + 1].toUpper().unicode();
  }
  return 0;
}

}  // namespace

int CachedButtonWidth(TMsgDlgBtn button) { return gButtonWidths[static_cast<size_t>(button)]; }
int ButtonWidthMeasurements(TMsgDlgBtn button) { return gButtonMeasurements[static_cast<size_t>(button)]; }

QFont MessageDialogFont() {
  // Platform themes register their message-box font under this class name;
  // without one the toolkit answers with the application's default font.
  return QApplication::font("QMessageBox");
}

TMessageForm::TMessageForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName("MessageForm");
  setLayoutDirection(QApplication::layoutDirection());
}

void TMessageForm::AddButton(QPushButton* button, TModalResult result) {
  buttons_.push_back(button);
  button->setAutoDefault(false);
  button->installEventFilter(this);
  connect(button, &QPushButton::clicked, this, [this, result] {
    if (result != mrNone) done(result);
  });
}

QPushButton* TMessageForm::ButtonForLetter(int key) const {
  for (QPushButton* b : buttons_) {
    const int letter = MnemonicKey(b->text());
    if (letter != 0 && letter == key) return b;
  }
  return nullptr;
}

bool TMessageForm::HandleKey(QKeyEvent* key, bool pressNow) {
  const Qt::KeyboardModifiers mods =
      key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  QPushButton* target = nullptr;
  switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (mods == Qt::NoModifier) {
        auto focused = std::find(buttons_.begin(), buttons_.end(), focusWidget());
        target = focused != buttons_.end() ? *focused : defaultButton_;
      }
      // With a modifier Enter does nothing, and neither the button nor the
      // dialog may act on it by their own rules.
      if (pressNow && target) target->click();
      return true;
    case Qt::Key_Escape:
      if (pressNow && mods == Qt::NoModifier && cancelButton_) cancelButton_->click();
      return true;
    case Qt::Key_F4:
      if (mods != Qt::AltModifier) return false;
      if (pressNow) close();
      return true;
    default:
      break;
  }
  if (mods & (Qt::ControlModifier | Qt::MetaModifier)) return false;
  target = ButtonForLetter(key->key());
  if (!target) return false;
  if (pressNow) target->click();
  return true;
}

bool TMessageForm::event(QEvent* e) {
  switch (e->type()) {
    case QEvent::ShortcutOverride:
      // Claims Alt+letter before the buttons' own mnemonic shortcuts, which
      // would press them only after an animation delay.
      if (HandleKey(static_cast<QKeyEvent*>(e), false)) {
        e->accept();
        return true;
      }
      break;
    case QEvent::KeyPress:
      if (HandleKey(static_cast<QKeyEvent*>(e), true)) return true;
      break;
    case QEvent::WindowActivate:
      if (!buttons_.empty() && std::find(buttons_.begin(), buttons_.end(), focusWidget()) == buttons_.end())
        buttons_.front()->setFocus(Qt::ActiveWindowFocusReason);
      break;
    default:
      break;
  }
  return QDialog::event(e);
}

bool TMessageForm::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride || e->type() == QEvent::KeyPress) {
    const bool pressNow = e->type() == QEvent::KeyPress;
    if (HandleKey(static_cast<QKeyEvent*>(e), pressNow)) {
      // An accepted shortcut override keeps the key from the shortcut map and
      // lets the key press itself through to us.
      e->accept();
      return true;
    }
  }
  return QDialog::eventFilter(watched, e);
}

void TMessageForm::closeEvent(QCloseEvent* e) {
  done(mrCancel);
  e->accept();
}

void TMessageForm::reject() { done(mrCancel); }

TModalResult TMessageForm::ShowModal() {
  QPointer<QWidget> previous = QApplication::activeWindow();
  const QRect screen = ActiveScreen()->geometry();
  // The outer rectangle, frame included, is what is centred; the frame is
  // known once the window exists.
  winId();
  const QSize outer = frameGeometry().size();
  move(screen.x() + std::max(0, (screen.width() - outer.width()) / 2),
       screen.y() + std::max(0, (screen.height() - outer.height()) / 2));
  setWindowModality(Qt::ApplicationModal);
  if (!buttons_.empty()) buttons_.front()->setFocus(Qt::OtherFocusReason);
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  TModalResult result = exec();
  QApplication::restoreOverrideCursor();
  if (previous) previous->activateWindow();
  // Only a button with a result or closing ends the loop; anything else
  // (the application quitting) counts as closing.
  return result == mrNone ? mrCancel : result;
}

std::unique_ptr<TMessageForm> CreateMessageDialog(const std::string& text, TMsgDlgType kind, TMsgDlgButtons buttonSet) {
  auto form = std::make_unique<TMessageForm>();
  const QFont font = MessageDialogFont();
  form->setFont(font);
  const QFontMetrics fm(font);

  const QRect letters = fm.boundingRect(QRect(), Qt::TextSingleLine,
                                        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  const int cw = letters.width() / 52;
  const int ch = letters.height();
  const int horzMargin = MulDiv(8, cw, 4);
  const int vertMargin = MulDiv(8, ch, 8);
  const int horzSpacing = MulDiv(10, cw, 4);
  const int vertSpacing = MulDiv(10, ch, 8);
  const int buttonSpacing = MulDiv(4, cw, 4);
  const int buttonHeight = MulDiv(14, ch, 8);

  int buttonWidth = MulDiv(50, cw, 4);
  int buttonCount = 0;
  for (int i = 0; i < kButtonCount; ++i) {
    const auto b = static_cast<TMsgDlgBtn>(i);
    if (!buttonSet.Contains(b)) continue;
    ++buttonCount;
    buttonWidth = std::max(buttonWidth, ButtonWidth(b, fm));
  }

  const QString lines = LinesOf(text);
  const QRect textRect = fm.boundingRect(QRect(0, 0, ActiveScreen()->geometry().width() / 2, 0), kTextFlags, lines);
  const int tw = textRect.width();
  const int th = textRect.height();

  QStyle::StandardPixmap iconId{};
  const bool hasIcon = KindIcon(kind, iconId);
  int iw = tw;
  int ih = th;
  if (hasIcon) {
    iw = tw + 32 + horzSpacing;
    if (th < 32) ih = 32;
  }
  const int bw = buttonCount == 0 ? 0 : buttonCount * buttonWidth + (buttonCount - 1) * buttonSpacing;
  const int clientWidth = std::max(iw, bw) + 2 * horzMargin;
  const int clientHeight = ih + buttonHeight + vertSpacing + 2 * vertMargin;
  form->setFixedSize(clientWidth, clientHeight);

  if (const char* caption = KindCaption(kind))
    form->setWindowTitle(QString::fromUtf8(caption));
  else
    form->setWindowTitle(QString::fromStdString(Application().Title()).left(255));

  if (hasIcon) {
    auto* image = new QLabel(form.get());
    image->setObjectName("Image");
    image->setPixmap(form->style()->standardIcon(iconId, nullptr, form.get()).pixmap(32, 32));
    image->setGeometry(horzMargin, vertMargin, 32, 32);
  }

  auto* message = new TMessageLabel(form.get());
  message->setObjectName("Message");
  message->setTextFormat(Qt::PlainText);
  message->setWordWrap(true);
  message->setText(lines);
  int messageLeft = iw - tw + horzMargin;
  if (form->isRightToLeft()) messageLeft = clientWidth - messageLeft - tw;
  message->setGeometry(messageLeft, vertMargin, tw, th);

  const TMsgDlgBtn defaultId = buttonSet.Contains(TMsgDlgBtn::mbOK)    ? TMsgDlgBtn::mbOK
                               : buttonSet.Contains(TMsgDlgBtn::mbYes) ? TMsgDlgBtn::mbYes
                                                                       : TMsgDlgBtn::mbRetry;
  const TMsgDlgBtn cancelId = buttonSet.Contains(TMsgDlgBtn::mbCancel) ? TMsgDlgBtn::mbCancel
                              : buttonSet.Contains(TMsgDlgBtn::mbNo)   ? TMsgDlgBtn::mbNo
                                                                       : TMsgDlgBtn::mbOK;
  int x = (clientWidth - bw) / 2;
  const int y = ih + vertMargin + vertSpacing;
  for (int i = 0; i < kButtonCount; ++i) {
    const auto id = static_cast<TMsgDlgBtn>(i);
    if (!buttonSet.Contains(id)) continue;
    auto* button = new QPushButton(QString::fromUtf8(kButtons[i].caption), form.get());
    button->setObjectName(kButtons[i].name);
    button->setGeometry(x, y, buttonWidth, buttonHeight);
    form->AddButton(button, kButtons[i].result);
    if (id == defaultId) {
      button->setDefault(true);
      form->defaultButton_ = button;
    }
    if (id == cancelId) form->cancelButton_ = button;
    x += buttonWidth + buttonSpacing;
  }
  return form;
}

TModalResult MessageDialog(const std::string& text, TMsgDlgType kind, TMsgDlgButtons buttons, int helpContext) {
  std::unique_ptr<TMessageForm> form = CreateMessageDialog(text, kind, buttons);
  // No help file is installed; the context is kept for the form only.
  form->setProperty("HelpContext", helpContext);
  return form->ShowModal();
}

void PlainMessage(const std::string& text) { MessageDialog(text, TMsgDlgType::mtCustom, {TMsgDlgBtn::mbOK}, 0); }
