#include "Mci.h"

#include <QCoreApplication>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "WaveDevice.h"

namespace {

struct ErrorText {
  MCIERROR code;
  const char* text;
};

const ErrorText kErrorTexts[] = {
    {0, "The specified command was carried out."},
    {MCIERR_INVALID_DEVICE_ID, "Invalid MCI device ID. Use the ID returned when opening the MCI device."},
    {MCIERR_UNRECOGNIZED_KEYWORD, "The driver cannot recognize the specified command parameter."},
    {MCIERR_UNRECOGNIZED_COMMAND, "The driver cannot recognize the specified command."},
    {MCIERR_HARDWARE, "There is a problem with your media device. Make sure it is working correctly."},
    {MCIERR_INVALID_DEVICE_NAME, "The specified device is not open or is not recognized by MCI."},
    {MCIERR_OUT_OF_MEMORY, "There is not enough memory available for this task."},
    {MCIERR_DEVICE_OPEN, "The device name is already being used as an alias by this application. Use a unique alias."},
    {MCIERR_CANNOT_LOAD_DRIVER, "There is an undetectable problem in loading the specified device driver."},
    {MCIERR_DRIVER_INTERNAL, "There is a problem with the device driver."},
    {MCIERR_MISSING_PARAMETER, "The specified command requires a parameter. Please supply one."},
    {MCIERR_UNSUPPORTED_FUNCTION, "The MCI device you are using does not support the specified command."},
    {MCIERR_FILE_NOT_FOUND, "Cannot find the specified file. Make sure the path and filename are correct."},
    {MCIERR_DEVICE_NOT_READY, "The device driver is not ready."},
    {MCIERR_INTERNAL, "A problem occurred in initializing MCI."},
    {MCIERR_DRIVER, "There is a problem with the device driver. The driver has closed."},
    {MCIERR_CANNOT_USE_ALL, "Cannot use 'all' as the device name with the specified command."},
    {MCIERR_MULTIPLE, "Errors occurred in more than one device."},
    {MCIERR_EXTENSION_NOT_FOUND, "Cannot determine the device type from the given filename extension."},
    {MCIERR_OUTOFRANGE, "The specified parameter is out of range for the specified command."},
    {MCIERR_FLAGS_NOT_COMPATIBLE, "The specified parameters cannot be used together."},
    {MCIERR_FILE_NOT_SAVED, "Cannot save the specified file. Make sure you have enough disk space."},
    {MCIERR_DEVICE_TYPE_REQUIRED,
     "Cannot find the specified device. Make sure it is installed or that the device name is spelled correctly."},
    {MCIERR_DEVICE_LOCKED, "The specified device is now being closed. Wait a few seconds, and then try again."},
    {MCIERR_DUPLICATE_ALIAS, "The specified alias is already being used in this application. Use a unique alias."},
    {MCIERR_BAD_CONSTANT, "The specified parameter is invalid for this command."},
    {MCIERR_MUST_USE_SHAREABLE, "The device driver is already in use. To share it, open it as shareable."},
    {MCIERR_MISSING_DEVICE_NAME,
     "The specified command requires an alias, file, driver, or device name. Please supply one."},
    {MCIERR_BAD_TIME_FORMAT, "The specified value for the time format is invalid."},
    {MCIERR_INVALID_FILE,
     "The specified file cannot be played on the specified MCI device. The file may be corrupt, or not in the correct "
     "format."},
    {MCIERR_NULL_PARAMETER_BLOCK, "A null parameter block was passed to MCI."},
    {MCIERR_NONAPPLICABLE_FUNCTION, "The specified MCI command sequence is invalid."},
    {MCIERR_FILENAME_REQUIRED, "A valid filename must be used with this MCI command."},
    {MCIERR_DEVICE_NOT_INSTALLED, "The specified device is not installed on the system."},
    {MCIERR_WAVE_OUTPUTSINUSE,
     "All wave devices that can play files in the current format are in use. Wait until a wave device is free, and "
     "then try again."},
    {MCIERR_WAVE_SETOUTPUTINUSE,
     "The wave device set for playback is in use. Wait until this device is free, and then try again."},
    {MCIERR_WAVE_INPUTSINUSE,
     "All wave devices that can record files in the current format are in use. Wait until a wave device is free, and "
     "then try again."},
    {MCIERR_WAVE_SETINPUTINUSE,
     "The wave device set for recording is in use. Wait until this device is free, and then try again."},
    {MCIERR_WAVE_OUTPUTUNSPECIFIED, "Any compatible waveform playback device may be used."},
    {MCIERR_WAVE_INPUTUNSPECIFIED, "Any compatible waveform recording device may be used."},
    {MCIERR_WAVE_OUTPUTSUNSUITABLE, "No wave device that can play files in the current format is installed."},
    {MCIERR_WAVE_SETOUTPUTUNSUITABLE, "The device you are trying to play to cannot recognize the current file format."},
    {MCIERR_WAVE_INPUTSUNSUITABLE, "No wave device that can record files in the current format is installed."},
    {MCIERR_WAVE_SETINPUTUNSUITABLE,
     "The device you are trying to record from cannot recognize the current file format."},
    {MCIERR_NO_WINDOW, "There is no display window."},
    {MCIERR_CREATEWINDOW, "Could not create or use window."},
    {MCIERR_FILE_READ,
     "Cannot read the specified file. Make sure the file is still present, or check your disk or network connection."},
    {MCIERR_FILE_WRITE, "Cannot write to the specified file. Make sure you have enough disk space."},
};

bool EqualsNoCase(const std::string& a, const char* b) {
  const size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

// The extension of the path's last component, without the dot ("" if none).
std::string Extension(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
  return path.substr(dot + 1);
}

bool IsDeviceCommand(uint32_t message) {
  switch (message) {
    case MCI_OPEN:
    case MCI_CLOSE:
    case MCI_ESCAPE:
    case MCI_PLAY:
    case MCI_SEEK:
    case MCI_STOP:
    case MCI_PAUSE:
    case MCI_INFO:
    case MCI_GETDEVCAPS:
    case MCI_SPIN:
    case MCI_SET:
    case MCI_STEP:
    case MCI_RECORD:
    case MCI_SYSINFO:
    case MCI_BREAK:
    case MCI_SAVE:
    case MCI_STATUS:
    case MCI_CUE:
    case MCI_REALIZE:
    case MCI_WINDOW:
    case MCI_PUT:
    case MCI_WHERE:
    case MCI_FREEZE:
    case MCI_UNFREEZE:
    case MCI_LOAD:
    case MCI_CUT:
    case MCI_COPY:
    case MCI_PASTE:
    case MCI_UPDATE:
    case MCI_RESUME:
    case MCI_DELETE:
      return true;
    default:
      return false;
  }
}

class MciService : public IMciService {
 public:
  ~MciService() override {
    // The program is ending: its windows are gone, so nothing is posted.
    std::map<MCIDEVICEID, std::shared_ptr<WaveDevice>> devices;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      devices.swap(devices_);
    }
    for (auto& entry : devices) entry.second->Close(false);
  }

  MCIERROR SendCommand(MCIDEVICEID device, uint32_t message, uintptr_t flags, void* params) override {
    if (!IsDeviceCommand(message)) return MCIERR_UNRECOGNIZED_COMMAND;
    if (message == MCI_OPEN) return Open(flags, static_cast<MCI_OPEN_PARMS*>(params));
    if (device == MCI_ALL_DEVICE_ID) {
      if (message != MCI_CLOSE) return MCIERR_CANNOT_USE_ALL;
      return CloseAll(flags, static_cast<MCI_GENERIC_PARMS*>(params));
    }
    std::shared_ptr<WaveDevice> target = Find(device);
    if (!target) return MCIERR_INVALID_DEVICE_ID;
    switch (message) {
      case MCI_CLOSE:
        return Close(device, flags, static_cast<MCI_GENERIC_PARMS*>(params));
      case MCI_PLAY:
        return target->Play(flags, static_cast<MCI_PLAY_PARMS*>(params));
      case MCI_STOP:
        return target->Stop(flags, static_cast<MCI_GENERIC_PARMS*>(params));
      case MCI_PAUSE:
        return target->Pause(flags, static_cast<MCI_GENERIC_PARMS*>(params));
      case MCI_RESUME:
        return target->Resume(flags, static_cast<MCI_GENERIC_PARMS*>(params));
      case MCI_SEEK:
        return target->Seek(flags, static_cast<MCI_SEEK_PARMS*>(params));
      case MCI_STATUS:
        return target->Status(flags, static_cast<MCI_STATUS_PARMS*>(params));
      case MCI_GETDEVCAPS:
        return target->GetDevCaps(flags, static_cast<MCI_GETDEVCAPS_PARMS*>(params));
      case MCI_SET:
        return target->Set(flags, static_cast<MCI_SET_PARMS*>(params));
      default:
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
  }

  bool GetErrorString(MCIERROR error, char* buffer, uint32_t length) override {
    if (!buffer || length == 0) return false;
    buffer[0] = '\0';
    for (const ErrorText& entry : kErrorTexts) {
      if (entry.code != error) continue;
      const size_t n = std::min<size_t>(std::strlen(entry.text), length - 1);
      std::memcpy(buffer, entry.text, n);
      buffer[n] = '\0';
      return true;
    }
    return false;
  }

 private:
  MCIERROR Open(uintptr_t flags, MCI_OPEN_PARMS* params) {
    if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
    if (flags & MCI_OPEN_ELEMENT_ID) return MCIERR_UNSUPPORTED_FUNCTION;
    if ((flags & MCI_OPEN_TYPE) && (flags & MCI_OPEN_TYPE_ID)) return MCIERR_FLAGS_NOT_COMPATIBLE;
    const std::string element =
        (flags & MCI_OPEN_ELEMENT) && params->lpstrElementName ? params->lpstrElementName : std::string();
    if (flags & MCI_OPEN_TYPE_ID) {
      const uintptr_t type = reinterpret_cast<uintptr_t>(params->lpstrDeviceType) & 0xFFFF;
      if (type != MCI_DEVTYPE_WAVEFORM_AUDIO) return MCIERR_INVALID_DEVICE_NAME;
    } else if (flags & MCI_OPEN_TYPE) {
      if (!params->lpstrDeviceType || !*params->lpstrDeviceType) return MCIERR_MISSING_DEVICE_NAME;
      if (!EqualsNoCase(params->lpstrDeviceType, "WaveAudio")) return MCIERR_INVALID_DEVICE_NAME;
    } else {
      if (!(flags & MCI_OPEN_ELEMENT)) return MCIERR_MISSING_DEVICE_NAME;
      if (element.empty()) return MCIERR_FILENAME_REQUIRED;
      if (!EqualsNoCase(Extension(element), "wav")) return MCIERR_EXTENSION_NOT_FOUND;
    }
    // Only playing files is supported: a wave device without a file would be
    // one to record into.
    if (element.empty()) return MCIERR_FILENAME_REQUIRED;

    MCIDEVICEID id = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      // Ids are reused from the lowest free one and stay below 0xFFFF, so a
      // client may keep them in 16 bits.
      for (MCIDEVICEID candidate = 1; candidate < MCI_ALL_DEVICE_ID; ++candidate) {
        if (!devices_.count(candidate) && !opening_.count(candidate)) {
          id = candidate;
          break;
        }
      }
      if (id == 0) return MCIERR_OUT_OF_MEMORY;
      opening_.insert(id);
    }
    std::unique_ptr<WaveDevice> device;
    const MCIERROR error = WaveDevice::Open(id, element, device);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      opening_.erase(id);
      if (error == 0) devices_[id] = std::shared_ptr<WaveDevice>(std::move(device));
    }
    if (error != 0) return error;
    params->wDeviceID = id;
    if (flags & MCI_NOTIFY) PostMciNotify(params->dwCallback, MCI_NOTIFY_SUCCESSFUL, id);
    return 0;
  }

  MCIERROR Close(MCIDEVICEID id, uintptr_t flags, MCI_GENERIC_PARMS* params) {
    if (!params && (flags & MCI_NOTIFY)) return MCIERR_NULL_PARAMETER_BLOCK;
    std::shared_ptr<WaveDevice> device;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = devices_.find(id);
      if (it == devices_.end()) return MCIERR_INVALID_DEVICE_ID;
      device = it->second;
      devices_.erase(it);
    }
    device->Close(true);
    if (flags & MCI_NOTIFY) PostMciNotify(params->dwCallback, MCI_NOTIFY_SUCCESSFUL, id);
    return 0;
  }

  MCIERROR CloseAll(uintptr_t flags, MCI_GENERIC_PARMS* params) {
    if (!params && (flags & MCI_NOTIFY)) return MCIERR_NULL_PARAMETER_BLOCK;
    std::map<MCIDEVICEID, std::shared_ptr<WaveDevice>> devices;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      devices.swap(devices_);
    }
    for (auto& entry : devices) entry.second->Close(true);
    if (flags & MCI_NOTIFY) PostMciNotify(params->dwCallback, MCI_NOTIFY_SUCCESSFUL, MCI_ALL_DEVICE_ID);
    return 0;
  }

  std::shared_ptr<WaveDevice> Find(MCIDEVICEID id) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = devices_.find(id);
    return it == devices_.end() ? nullptr : it->second;
  }

  std::mutex mutex_;
  std::map<MCIDEVICEID, std::shared_ptr<WaveDevice>> devices_;
  std::set<MCIDEVICEID> opening_;
};

}  // namespace

IMciService& DefaultMciService() {
  static MciService service;
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
