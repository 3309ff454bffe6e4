// padwatch-demo: padwatch on two SDL virtual controllers, for anyone without
// a real one. The session goes through the same SDL layer that serves real
// controllers; padwatch's lines go to standard output and a short narration
// of each step to standard error.
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

#include "app/application.h"
#include "app/stop_request.h"
#include "platform/sdl/sdl_xinput.h"
#include "platform/sdl/virtual_controller.h"
#include "support/command_line.h"
#include "support/console.h"

namespace {

constexpr ProgramText kProgram = {
    "padwatch-demo", "usage: padwatch-demo [--no-delay]",
    "Plays a short session on two virtual controllers and prints what padwatch\n"
    "prints for it. --no-delay runs it without pauses between steps.\n",
    PADWATCH_VERSION};

class Session {
 public:
  explicit Session(bool pause) : pause(pause) {}

  // Narrates a step, lets padwatch poll `polls` times, then waits a moment so
  // a person can follow. After a stop request, or once standard output has
  // failed, the rest of the session is passed over.
  void Step(const char* what, int polls) {
    if (StopRequested() || !std::cout.good()) return;
    std::fprintf(stderr, "# %s\n", what);
    for (int i = 0; i < polls; ++i) application.Update();
    if (pause) std::this_thread::sleep_for(std::chrono::milliseconds(400));
  }
  void Stop() { application.Stop(); }

 private:
  bool pause;
  Application application;
};

}  // namespace

int main(int argc, char* argv[]) {
  SetProgramText(kProgram);
  InstallConsoleWriter(StopRequested);
  InstallStopHandlers();
  bool pause = true;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--no-delay") {
      pause = false;
    } else if (arg == "--version") {
      return PrintVersion();
    } else if (arg == "--help" || arg == "-h") {
      return PrintHelp();
    } else {
      return UsageError(UnknownOption(arg));
    }
  }
  if (!sdl_platform::Start()) return 1;

  VirtualController first;
  VirtualController second;
  if (!first.Attach()) {
    std::fprintf(stderr, "padwatch-demo: cannot attach a virtual controller: %s\n", SDL_GetError());
    return 1;
  }
  {
    Session session(pause);
    session.Step("a controller is plugged in", 2);
    first.Button(SDL_CONTROLLER_BUTTON_A, true);
    session.Step("A is pressed and held", 3);
    first.Button(SDL_CONTROLLER_BUTTON_A, false);
    session.Step("A is let go", 2);
    first.Button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    first.Button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true);
    session.Step("D-pad up and LB go down together", 1);
    first.Button(SDL_CONTROLLER_BUTTON_DPAD_UP, false);
    first.Button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, false);
    session.Step("and come back up", 2);
    first.Axis(SDL_CONTROLLER_AXIS_LEFTX, 16384);
    first.Axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    session.Step("the left stick goes up and half-way right, for three polls", 3);
    first.Axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    first.Axis(SDL_CONTROLLER_AXIS_LEFTY, 0);
    session.Step("the left stick springs back", 2);
    first.Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    session.Step("the right trigger is pulled all the way", 2);
    first.Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
    session.Step("and let go", 2);
    if (!second.Attach()) {
      std::fprintf(stderr, "padwatch-demo: cannot attach a virtual controller: %s\n",
                   SDL_GetError());
      return 1;
    }
    second.Button(SDL_CONTROLLER_BUTTON_B, true);
    session.Step("a second controller is plugged in with B held", 2);
    second.Button(SDL_CONTROLLER_BUTTON_B, false);
    session.Step("B is let go", 2);
    first.Detach();
    session.Step("the first controller is unplugged", 2);
    second.Detach();
    session.Step("the second controller is unplugged", 2);
    session.Stop();
  }
  sdl_platform::Shutdown();
  return std::cout.good() ? 0 : ConsoleFailureStatus("padwatch-demo");
}
