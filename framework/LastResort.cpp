#include "LastResort.h"

#include <QMessageBox>
#include <cstdlib>

#include "Exceptions.h"

std::string LastResortText(const char* className, const std::string& module, const void* address,
                           const std::string& message) {
  const std::string period = (!message.empty() && message.back() != '.') ? "." : "";
  return Format("Exception %s dans le module %s à %p.\n%s%s", className, module.c_str(), address, message.c_str(),
                period.c_str());
}

TGuardedApplication::TGuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TGuardedApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const Exception& e) {
    LastResort(e.ClassName(), e.Message(), &e);
  } catch (const std::exception& e) {
    LastResort("Exception", e.what(), &e);
  }
}

void TGuardedApplication::LastResort(const char* className, const std::string& message, const void* address) {
  const std::string module = QApplication::applicationFilePath().section('/', -1).toStdString();
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Erreur d'application"),
                  QString::fromStdString(LastResortText(className, module, address, message)), QMessageBox::Ok);
  box.exec();
  std::exit(1);
}
