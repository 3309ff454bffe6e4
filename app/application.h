// The top-level object of padwatch: owns the controller manager and says
// whether the main loop should go on.
#ifndef PADWATCH_APP_APPLICATION_H_
#define PADWATCH_APP_APPLICATION_H_

class ControllerManager;

class Application {
 public:
  // Starts running and builds the controller manager, which is where all
  // start-up work happens. Writes nothing.
  Application();
  // Leaves the manager alone: Stop() is what destroys it.
  ~Application();

  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  bool IsRunning() const;

  // One iteration of the main loop: one poll of the manager. Does nothing
  // once Stop() has been called.
  void Update();

  // Destroys the manager and ends the main loop at its next IsRunning() test.
  // Calling it again does nothing more.
  void Stop();

 private:
  ControllerManager* manager = nullptr;
  bool running = false;
};

#endif  // PADWATCH_APP_APPLICATION_H_
