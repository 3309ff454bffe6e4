// Waiting for nodes: woken by what appears, not by the time running out.
#include "platform/linux/node_watch.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace {

namespace fs = std::filesystem;

class NodeWatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/padwatch-nodes-XXXXXX";
    top = mkdtemp(folder);
  }
  void TearDown() override { fs::remove_all(top); }
  std::string top;
};

TEST_F(NodeWatchTest, WakesForANodeMadeWhileWaiting) {
  NodeWatch watch({top, top + "/not-there"});
  std::thread maker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ofstream(top + "/event7");
  });
  // A minute: woken long before by the node, or the test times out.
  EXPECT_TRUE(watch.Wait(std::chrono::minutes(1)));
  maker.join();
}

TEST_F(NodeWatchTest, RemembersANodeMadeBetweenWaitsAndForgetsItOnce) {
  NodeWatch watch({top});
  std::ofstream(top + "/event8");
  fs::permissions(top + "/event8", fs::perms::owner_read);  // as udev's chmod
  EXPECT_TRUE(watch.Wait(std::chrono::milliseconds(0)));
  EXPECT_FALSE(watch.Wait(std::chrono::milliseconds(0)));
}

TEST_F(NodeWatchTest, ARemovalIsNoArrival) {
  std::ofstream(top + "/event9");
  NodeWatch watch({top});
  fs::remove(top + "/event9");
  EXPECT_FALSE(watch.Wait(std::chrono::milliseconds(0)));
}

}  // namespace
