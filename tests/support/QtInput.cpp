#include "QtInput.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMouseEvent>
#include <QWidget>

void SendMouse(QWidget* widget, QEvent::Type type, int x, int y) {
  const QPointF pos(x, y);
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, pos, widget->mapToGlobal(pos), Qt::LeftButton, held, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &event);
}

void ClickAt(QWidget* widget, int x, int y) {
  SendMouse(widget, QEvent::MouseButtonPress, x, y);
  SendMouse(widget, QEvent::MouseButtonRelease, x, y);
}

bool PumpUntil(const std::function<bool()>& done, int limitMs) {
  QDeadlineTimer limit(limitMs);
  while (!done() && !limit.hasExpired())
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
  return done();
}

void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}
