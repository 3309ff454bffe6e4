#include "app/application.h"

#include "input/controller_manager.h"

Application::Application() {
  running = true;
  manager = new ControllerManager();
}

Application::~Application() = default;

bool Application::IsRunning() const { return running; }

void Application::Update() {
  if (manager != nullptr) manager->Poll();
}

void Application::Stop() {
  // The pointer is cleared so that a second Stop() cannot free the manager
  // twice and a stray Update() cannot poll a destroyed one.
  delete manager;
  manager = nullptr;
  running = false;
}
