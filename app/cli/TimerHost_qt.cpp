#include <QCoreApplication>

#include "Terminal.h"

// The player's timer belongs to an event loop's thread; a core application
// gives it one without any display.
std::shared_ptr<void> HostTimers(int& argc, char** argv) { return std::make_shared<QCoreApplication>(argc, argv); }
