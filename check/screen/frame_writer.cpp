#include "check/screen/frame_writer.h"

#include <chrono>

FrameWriter::FrameWriter(void (*write)(const std::string&), void (*started)(), void (*interrupt)())
    : write(write), started(started), interrupt(interrupt), thread([this] { Run(); }) {}

FrameWriter::~FrameWriter() {
  std::unique_lock<std::mutex> lock(mutex);
  done = true;
  paused = false;
  wake.notify_all();
  while (!settled.wait_for(lock, std::chrono::milliseconds(100), [this] { return finished; })) {
    if (interrupt == nullptr) continue;
    lock.unlock();
    interrupt();
    lock.lock();
  }
  lock.unlock();
  thread.join();
}

void FrameWriter::Offer(Grid frame) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    pending = std::move(frame);
    hasPending = true;
  }
  wake.notify_all();
}

void FrameWriter::Pause() {
  std::unique_lock<std::mutex> lock(mutex);
  paused = true;
  settled.wait(lock, [this] { return !writing; });
}

void FrameWriter::Resume() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    paused = false;
    redrawWhole = true;
  }
  wake.notify_all();
}

void FrameWriter::Run() {
  if (started != nullptr) started();
  Grid drawn;  // what the terminal shows; empty at first, so all is drawn
  std::unique_lock<std::mutex> lock(mutex);
  for (;;) {
    wake.wait(lock, [this] { return done || (hasPending && !paused); });
    if (!hasPending || paused) break;
    Grid next = std::move(pending);
    hasPending = false;
    if (redrawWhole) {
      drawn = Grid();
      redrawWhole = false;
    }
    writing = true;
    lock.unlock();
    write(DrawChanges(drawn, next));
    drawn = std::move(next);
    lock.lock();
    writing = false;
    settled.notify_all();
  }
  finished = true;
  settled.notify_all();
}
