// padwatch: prints one line for every change on up to four game controllers.
#include "app/application.h"
#include "app/stop_request.h"

int main(int /*argc*/, char* /*argv*/[], char* /*envp*/[]) {
  InstallStopHandlers();
  Application* application = new Application();
  while (application->IsRunning()) {
    application->Update();
    if (StopRequested()) application->Stop();
  }
  delete application;
  StopCompleted();
  return 0;
}
