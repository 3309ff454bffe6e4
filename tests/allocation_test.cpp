// Polls that write nothing must not touch the heap. This binary replaces the
// global allocation functions to count every allocation.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "input/controller_manager.h"
#include "platform/scripted/scripted_xinput.h"
#include "tests/stdout_capture.h"

namespace {
std::size_t allocations = 0;
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

class AllocationTest : public ::testing::Test {
 protected:
  void SetUp() override { scripted::Reset(); }

  // Allocations made by `polls` further polls of manager.
  std::size_t AllocationsIn(ControllerManager& manager, int polls) {
    const std::size_t before = allocations;
    for (int i = 0; i < polls; ++i) manager.Poll();
    return allocations - before;
  }
  StdoutCapture out;
};

TEST_F(AllocationTest, SilentPollWithNoController) {
  ControllerManager manager;
  EXPECT_EQ(AllocationsIn(manager, 1000), 0u);
  EXPECT_EQ(out.Take(), "");
}

TEST_F(AllocationTest, SilentPollWithFourControllersAtRest) {
  ControllerManager manager;
  for (DWORD slot = 0; slot < 4; ++slot) scripted::Plug(slot);
  manager.Poll();  // announces the four arrivals
  out.Take();
  EXPECT_EQ(AllocationsIn(manager, 1000), 0u);
  EXPECT_EQ(out.Take(), "");
}

TEST_F(AllocationTest, SilentPollWithFourControllersHoldingEveryButton) {
  ControllerManager manager;
  for (DWORD slot = 0; slot < 4; ++slot) {
    scripted::Plug(slot);
    scripted::Press(slot, kAllButtons);
  }
  manager.Poll();  // the presses and arrivals
  manager.Poll();  // Pressed -> Down, silently
  out.Take();
  EXPECT_EQ(AllocationsIn(manager, 1000), 0u);
  EXPECT_EQ(out.Take(), "");
}

TEST_F(AllocationTest, TheCounterSeesAllocationsAtAll) {
  // Guards the tests above against a replacement that is not in effect.
  ControllerManager manager;
  scripted::Plug(0);
  EXPECT_GT(AllocationsIn(manager, 1), 0u);
}

}  // namespace
