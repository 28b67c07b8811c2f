// The media control service: the platform's media-control commands, flags,
// parameter blocks and error codes, answered by our own service.
//
// Life of a device, as a caller sees it:
//   MCI_OPEN_PARMS op{}; op.dwCallback = uintptr_t(window);
//   op.lpstrElementName = "/path/sound.wav";
//   mciSendCommand(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT, uintptr_t(&op));
//   -> op.wDeviceID names the device until MCI_CLOSE.
//   MCI_PLAY_PARMS pp{}; pp.dwCallback = uintptr_t(window);
//   mciSendCommand(op.wDeviceID, MCI_PLAY, MCI_NOTIFY, uintptr_t(&pp));
//   -> returns at once; when the sound ends, `window` receives a
//      TMciNotifyEvent (wParam MCI_NOTIFY_SUCCESSFUL, lParam the device id)
//      through its thread's event loop.
//   MCI_GENERIC_PARMS gp{};
//   mciSendCommand(op.wDeviceID, MCI_CLOSE, MCI_WAIT, uintptr_t(&gp));
//
// Only one kind of device exists: "WaveAudio", a RIFF WAVE file played to the
// sound output. Times are milliseconds (MCI_FORMAT_MILLISECONDS is the only
// time format). Every command returns 0 on success or an MCIERR_* code; a
// command that fails posts no notification.
//
// Threads: commands may be sent from any thread; each device plays on a thread
// of its own. MCI_WAIT commands return when the command is done, so
// MCI_PLAY | MCI_WAIT blocks the caller until the end of the sound, or until a
// stop, seek, new play or close sent from another thread.
//
// Notifications (MCI_NOTIFY): never delivered inside the command; they are
// posted to the QObject named by the parameter block's dwCallback (0: none).
// REQUIRES: that object outlives the device's pending notifications, i.e. close
// the device (MCI_CLOSE returns after the device's thread has ended) before
// deleting the callback object.
//   - An immediate command (open, close, stop, pause, seek, status, set, ...)
//     sent with MCI_NOTIFY posts MCI_NOTIFY_SUCCESSFUL when it is done.
//   - MCI_PLAY (and MCI_RESUME) with MCI_NOTIFY posts when the playback ends:
//     SUCCESSFUL at the end of the requested range; SUPERSEDED when a new
//     MCI_PLAY, MCI_RESUME with MCI_NOTIFY, or MCI_SEEK replaces it; ABORTED
//     when MCI_STOP or MCI_CLOSE ends it; FAILURE when the file or the sound
//     output fails during playback. MCI_PAUSE keeps it pending.
#pragma once
// This header is the Linux service whole: the names (MciNames.h), the
// service interface the players call (MciService.h), the service's entry
// points, and the completion report as a Qt event, which the Linux players
// receive.

#include <QEvent>
#include <cstdint>

#include "MciNames.h"
#include "MciService.h"

// The real service is DefaultMciService(); devices still open when the
// program ends are closed when the service is destroyed.
MCIERROR mciSendCommand(MCIDEVICEID device, uint32_t message, uintptr_t flags, uintptr_t params);
bool mciGetErrorString(MCIERROR error, char* buffer, uint32_t length);

// Posts a completion report (a TMciNotifyEvent) to the QObject in `callback`
// (nothing when 0). Thread-safe; never delivers inside the call. Tests post
// reports of their own with it.
void PostMciNotify(uintptr_t callback, uint32_t code, MCIDEVICEID device);

// The completion report, posted to the callback object.
QEvent::Type MciNotifyEventType();

class TMciNotifyEvent : public QEvent {
 public:
  TMciNotifyEvent(uintptr_t wParam, intptr_t lParam) : QEvent(MciNotifyEventType()), wParam_(wParam), lParam_(lParam) {}
  uint32_t message() const { return MM_MCINOTIFY; }
  uintptr_t wParam() const { return wParam_; }  // MCI_NOTIFY_* code
  intptr_t lParam() const { return lParam_; }   // the device id

 private:
  uintptr_t wParam_;
  intptr_t lParam_;
};
