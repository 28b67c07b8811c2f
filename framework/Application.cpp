#include "Application.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "Exceptions.h"

TApplication& Application() {
  static TApplication app;
  return app;
}

void TApplication::ShowException(const Exception& e) {
  // No drag or pressed button may stay active behind the box.
  if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
  if (dynamic_cast<const EAbort*>(&e) != nullptr) return;
  const std::string text = ErrorDisplayText(e.Message());
  if (errorBoxHook_) {
    errorBoxHook_(title_, text);
    return;
  }
  QPointer<QWidget> previouslyActive = QApplication::activeWindow();
  QMessageBox box(QMessageBox::Critical, QString::fromStdString(title_), QString::fromStdString(text), QMessageBox::Ok);
  box.setObjectName("ErrorBox");
  // Application-modal: every other window of the program takes no input meanwhile.
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
  if (previouslyActive) previouslyActive->activateWindow();
}

void TApplication::HandleException() {
  try {
    throw;
  } catch (const Exception& e) {
    ShowException(e);
  } catch (const std::exception& e) {
    ShowException(Exception(e.what()));
  }
}

void Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    Application().HandleException();
  }
}
