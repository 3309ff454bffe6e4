// A list of plain callbacks fired together with the object that owns them.
#ifndef PADWATCH_EVENTS_EVENT_H_
#define PADWATCH_EVENTS_EVENT_H_

#include <vector>

class ControllerManager;

// A plain function called with the event's sender. Two callbacks are the same
// callback exactly when the pointers are equal.
typedef void (*Callback)(ControllerManager* sender);

// Calls its subscribed callbacks in subscription order with the sender. The
// sender is not owned: in padwatch it is the object holding the event.
// Callbacks must not subscribe or unsubscribe while the event is firing.
class Event {
 public:
  Event() = default;
  ~Event() = default;

  // Sets the pointer handed to every callback by later Invoke() calls.
  void SetSender(ControllerManager* sender);

  // Appends callback, even if it is already subscribed.
  Event& Subscribe(const Callback& callback);

  // Removes every occurrence of callback, keeping the order of the rest.
  // On an empty list it writes a warning line and changes nothing.
  Event& Unsubscribe(const Callback& callback);

  // Calls each callback, first to last, with the current sender.
  void Invoke();

 private:
  std::vector<Callback> callbacks;
  ControllerManager* sender = nullptr;
};

#endif  // PADWATCH_EVENTS_EVENT_H_
