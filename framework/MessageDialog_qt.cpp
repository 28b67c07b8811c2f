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

#include "Application.h"

namespace {

// Measured once per button for the life of the process.
TButtonWidths gButtonWidths;

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

QScreen* ActiveScreen() {
  if (QWidget* active = QApplication::activeWindow()) {
    if (QScreen* s = active->screen()) return s;
  }
  return QGuiApplication::primaryScreen();
}

QRect ToQRect(const TDialogRect& r) { return QRect(r.left, r.top, r.width, r.height); }

}  // namespace

int CachedButtonWidth(TMsgDlgBtn button) { return gButtonWidths.Cached(button); }
int ButtonWidthMeasurements(TMsgDlgBtn button) { return gButtonWidths.Measurements(button); }

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

void TMessageForm::AddButton(QPushButton* button, TModalResult result, int accelerator) {
  buttons_.push_back(button);
  accelerators_.push_back(accelerator);
  button->setAutoDefault(false);
  button->installEventFilter(this);
  connect(button, &QPushButton::clicked, this, [this, result] {
    if (result != mrNone) done(result);
  });
}

QPushButton* TMessageForm::ButtonForLetter(int key) const {
  for (size_t i = 0; i < buttons_.size(); ++i)
    if (accelerators_[i] != 0 && accelerators_[i] == key) return buttons_[i];
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

  TMessageLayoutInput in;
  const QRect sample = fm.boundingRect(QRect(), Qt::TextSingleLine, QString::fromLatin1(kAverageCharSample));
  in.charWidth = AverageCharWidth(sample.width());
  in.charHeight = sample.height();
  in.screenWidth = ActiveScreen()->geometry().width();
  in.rightToLeft = form->isRightToLeft();
  in.kind = kind;
  in.buttons = buttonSet;
  in.text = text;
  in.applicationTitle = Application().Title();
  in.textExtent = [&fm](const std::string& lines, int maxWidth) {
    const QRect r = fm.boundingRect(QRect(0, 0, maxWidth, 0), kTextFlags, QString::fromStdString(lines));
    return TTextExtent{r.width(), r.height()};
  };
  in.captionWidth = [&fm](const std::string& caption) {
    return fm.boundingRect(QRect(), Qt::TextSingleLine | Qt::TextShowMnemonic, QString::fromStdString(caption)).width();
  };
  const TMessageLayout layout = LayOutMessageDialog(in, gButtonWidths);

  form->setFixedSize(layout.clientWidth, layout.clientHeight);
  form->setWindowTitle(QString::fromStdString(layout.caption));

  QStyle::StandardPixmap iconId{};
  if (layout.hasIcon && KindIcon(kind, iconId)) {
    auto* image = new QLabel(form.get());
    image->setObjectName("Image");
    image->setPixmap(form->style()->standardIcon(iconId, nullptr, form.get()).pixmap(32, 32));
    image->setGeometry(ToQRect(layout.icon));
  }

  auto* message = new TMessageLabel(form.get());
  message->setObjectName("Message");
  message->setTextFormat(Qt::PlainText);
  message->setWordWrap(true);
  message->setText(QString::fromStdString(layout.lines));
  message->setGeometry(ToQRect(layout.message));

  for (const TMessageButtonLayout& b : layout.buttons) {
    auto* button = new QPushButton(QString::fromStdString(b.caption), form.get());
    button->setObjectName(QString::fromStdString(b.name));
    button->setGeometry(ToQRect(b.rect));
    form->AddButton(button, b.result, b.accelerator);
    if (b.isDefault) {
      button->setDefault(true);
      form->defaultButton_ = button;
    }
    if (b.isCancel) form->cancelButton_ = button;
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
