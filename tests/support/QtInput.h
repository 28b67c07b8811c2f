#pragma once
// Driving real widgets from a test or a benchmark: mouse presses sent straight
// to a widget, and an event loop run until something happened.

#include <QEvent>
#include <functional>

class QWidget;

// A left-button press or release at (x, y) of `widget`.
void SendMouse(QWidget* widget, QEvent::Type type, int x, int y = 10);
// A left-button click (press, then release) at (x, y) of `widget`.
void ClickAt(QWidget* widget, int x, int y = 10);

// Runs the event loop until `done` holds; the limit only keeps a lost event
// from hanging the run. Answers whether `done` held in the end.
bool PumpUntil(const std::function<bool()>& done, int limitMs = 10000);
// Runs the event loop for `ms`, so that whatever would come in that time does.
void PumpFor(int ms);
