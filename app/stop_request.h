// A clean way out of the endless main loop.
//
// The handlers installed here only set a flag; the main loop reads it between
// iterations, then stops the application and returns 0. Nothing is printed.
// A write to standard output that is blocked when the stop comes (a reader
// that has stalled) is interrupted, so the stop never waits for the reader.
#ifndef PADWATCH_APP_STOP_REQUEST_H_
#define PADWATCH_APP_STOP_REQUEST_H_

// Routes SIGINT and SIGTERM (on Windows: Ctrl+C, Ctrl+Break and closing the
// console) to a stop request instead of ending the process at once. Call it
// on the main thread, the one that writes standard output, before any other
// thread is started. Other calls of the main thread that block may then end
// early with EINTR once a stop has been requested.
void InstallStopHandlers();

// Requests a stop from within the program (a key that quits, a terminal
// that has gone away), just as the handlers do; safe in a signal handler.
void RequestStop();

// True once a stop has been requested. Cheap enough to call on every loop
// iteration.
bool StopRequested();

// Tells the stop handlers that the main loop has finished cleaning up. On
// Windows, a console that is being closed waits for this before the process
// is ended; elsewhere it does nothing.
void StopCompleted();

#endif  // PADWATCH_APP_STOP_REQUEST_H_
