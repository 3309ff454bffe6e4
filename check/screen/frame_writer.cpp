#include "check/screen/frame_writer.h"

FrameWriter::FrameWriter(void (*write)(const std::string&))
    : write(write), thread([this] { Run(); }) {}

FrameWriter::~FrameWriter() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
  }
  wake.notify_one();
  thread.join();
}

void FrameWriter::Offer(Grid frame) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    pending = std::move(frame);
    hasPending = true;
  }
  wake.notify_one();
}

void FrameWriter::Run() {
  Grid drawn;  // what the terminal shows; empty at first, so all is drawn
  for (;;) {
    Grid next;
    {
      std::unique_lock<std::mutex> lock(mutex);
      wake.wait(lock, [this] { return hasPending || done; });
      if (!hasPending) return;
      next = std::move(pending);
      hasPending = false;
    }
    write(DrawChanges(drawn, next));
    drawn = std::move(next);
  }
}
