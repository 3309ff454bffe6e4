#include "app/stop_request.h"

#include <atomic>

#include "platform/xinput.h"

namespace {

// The console control handler runs on a thread of its own; the main loop
// polls this flag between iterations.
std::atomic<bool> stopRequested{false};
HANDLE stopCompleted = nullptr;
HANDLE mainThread = nullptr;

// Waits for the main loop's clean stop, meanwhile cancelling any write of
// the main thread that is blocked on a reader that has stalled (the stop
// can land just before such a write begins, hence more than one cancel).
void WaitForStop(DWORD milliseconds) {
  for (DWORD waited = 0; waited < milliseconds; waited += 50) {
    if (stopCompleted == nullptr || WaitForSingleObject(stopCompleted, 50) == WAIT_OBJECT_0) {
      return;
    }
    if (mainThread != nullptr) CancelSynchronousIo(mainThread);
  }
}

BOOL WINAPI OnConsoleControl(DWORD type) {
  switch (type) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      stopRequested.store(true);
      WaitForStop(1000);
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      // Windows ends the process as soon as this handler returns, so wait
      // (within the few seconds the system allows) for the main loop to
      // finish its clean stop.
      stopRequested.store(true);
      WaitForStop(4000);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void InstallStopHandlers() {
  stopCompleted = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &mainThread, 0,
                  FALSE, DUPLICATE_SAME_ACCESS);
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void RequestStop() { stopRequested.store(true); }

bool StopRequested() { return stopRequested.load(std::memory_order_relaxed); }

void StopCompleted() {
  if (stopCompleted != nullptr) SetEvent(stopCompleted);
}
