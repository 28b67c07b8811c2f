#pragma once
// The toolkit's application with the last net under every event: an exception
// that no handler's guard caught ends the program with the last-resort box.

#include <QApplication>
#include <string>

class Exception;

// "Exception %s dans le module %s à %p.\n%s%s" filled for this exception.
std::string LastResortText(const char* className, const std::string& module, const void* address,
                           const std::string& message);

class TGuardedApplication : public QApplication {
 public:
  TGuardedApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // Shows the last-resort box ("Erreur d'application") and ends the program with exit code 1.
  [[noreturn]] static void LastResort(const char* className, const std::string& message, const void* address);
};
