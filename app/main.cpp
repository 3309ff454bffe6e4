// padwatch: prints one line for every change on up to four game controllers.
#include <iostream>

#include "app/application.h"
#include "app/stop_request.h"
#include "platform/access_hint.h"
#include "support/console.h"

int main(int /*argc*/, char* /*argv*/[], char* /*envp*/[]) {
  InstallConsoleWriter(StopRequested);
  InstallStopHandlers();
  WarnOfUnreadableControllers();
  Application* application = new Application();
  while (application->IsRunning()) {
    application->Update();
    // A failed write means nobody can read the reports any more: stop
    // rather than poll on in silence.
    if (StopRequested() || !std::cout.good()) application->Stop();
  }
  delete application;
  StopCompleted();
  return std::cout.good() ? 0 : ConsoleFailureStatus("padwatch");
}
