#include "events/event.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/stdout_capture.h"

namespace {

// Each callback appends its letter and the sender it was given.
std::string calls;
std::vector<ControllerManager*> senders;

void F(ControllerManager* sender) {
  calls += "f";
  senders.push_back(sender);
}
void G(ControllerManager* sender) {
  calls += "g";
  senders.push_back(sender);
}
void H(ControllerManager* sender) {
  calls += "h";
  senders.push_back(sender);
}

class EventTest : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    senders.clear();
  }
  // Any address will do: the event only passes the sender on.
  ControllerManager* Sender(int which) {
    return reinterpret_cast<ControllerManager*>(&dummy[which]);
  }
  std::string InvokeAndRecord(Event& event) {
    calls.clear();
    event.Invoke();
    return calls;
  }
  int dummy[2] = {};
};

TEST_F(EventTest, EmptyEventInvokesNothingAndPrintsNothing) {
  StdoutCapture out;
  Event event;
  event.Invoke();
  EXPECT_EQ(calls, "");
  EXPECT_EQ(out.Take(), "");
}

TEST_F(EventTest, CallsInSubscriptionOrderWithTheLatestSender) {
  Event event;
  event.SetSender(Sender(0));
  event.Subscribe(G).Subscribe(F).Subscribe(H);
  EXPECT_EQ(InvokeAndRecord(event), "gfh");
  EXPECT_EQ(senders, (std::vector<ControllerManager*>{Sender(0), Sender(0), Sender(0)}));
  senders.clear();
  event.SetSender(Sender(1));
  event.Invoke();
  EXPECT_EQ(senders, (std::vector<ControllerManager*>{Sender(1), Sender(1), Sender(1)}));
}

TEST_F(EventTest, DuplicateSubscriptionsAreCalledEachTime) {
  Event event;
  event.Subscribe(F).Subscribe(F);
  EXPECT_EQ(InvokeAndRecord(event), "ff");
}

TEST_F(EventTest, UnsubscribeRemovesEveryOccurrenceKeepingTheOrder) {
  StdoutCapture out;
  Event fgfh;
  fgfh.Subscribe(F).Subscribe(G).Subscribe(F).Subscribe(H);
  fgfh.Unsubscribe(F);
  EXPECT_EQ(InvokeAndRecord(fgfh), "gh");

  Event ffg;
  ffg.Subscribe(F).Subscribe(F).Subscribe(G);
  ffg.Unsubscribe(F);
  EXPECT_EQ(InvokeAndRecord(ffg), "g");
  EXPECT_EQ(out.Take(), "");
}

TEST_F(EventTest, UnsubscribingANonMemberIsASilentNoOp) {
  StdoutCapture out;
  Event event;
  event.Subscribe(G);
  event.Unsubscribe(F).Unsubscribe(H);
  EXPECT_EQ(InvokeAndRecord(event), "g");
  EXPECT_EQ(out.Take(), "");
}

TEST_F(EventTest, UnsubscribingFromAnEmptyEventWarnsOncePerCall) {
  StdoutCapture out;
  Event event;
  Event& returned = event.Unsubscribe(F);
  EXPECT_EQ(&returned, &event);
  event.Unsubscribe(G);
  EXPECT_EQ(out.Take(),
            "Trying to unsubscribe more functions than subscribed!\n"
            "Trying to unsubscribe more functions than subscribed!\n");
  // Still usable, and emptied again by its last unsubscribe.
  event.Subscribe(H);
  EXPECT_EQ(InvokeAndRecord(event), "h");
  event.Unsubscribe(H);
  EXPECT_EQ(out.Take(), "");
  event.Unsubscribe(H);
  EXPECT_EQ(out.Take(), "Trying to unsubscribe more functions than subscribed!\n");
}

TEST_F(EventTest, DestroyingAnEventCallsNothing) {
  StdoutCapture out;
  {
    Event event;
    event.SetSender(Sender(0));
    event.Subscribe(F);
  }
  EXPECT_EQ(calls, "");
  EXPECT_EQ(dummy[0], 0);
  EXPECT_EQ(out.Take(), "");
}

}  // namespace
