#include "Mci.h"

#include <QCoreApplication>
#include <cstring>

namespace {

class StubService : public IMciService {
 public:
  MCIERROR SendCommand(MCIDEVICEID, uint32_t, uintptr_t, void*) override { return MCIERR_UNSUPPORTED_FUNCTION; }
  bool GetErrorString(MCIERROR, char* buffer, uint32_t length) override {
    if (buffer && length) buffer[0] = '\0';
    return false;
  }
};

}  // namespace

IMciService& DefaultMciService() {
  static StubService service;
  return service;
}

MCIERROR mciSendCommand(MCIDEVICEID device, uint32_t message, uintptr_t flags, uintptr_t params) {
  return DefaultMciService().SendCommand(device, message, flags, reinterpret_cast<void*>(params));
}

bool mciGetErrorString(MCIERROR error, char* buffer, uint32_t length) {
  return DefaultMciService().GetErrorString(error, buffer, length);
}

QEvent::Type MciNotifyEventType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

void PostMciNotify(uintptr_t callback, uint32_t code, MCIDEVICEID device) {
  if (callback == 0) return;
  QCoreApplication::postEvent(reinterpret_cast<QObject*>(callback),
                              new TMciNotifyEvent(code, static_cast<intptr_t>(device)));
}
