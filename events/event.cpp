#include "events/event.h"

#include <algorithm>

#include "support/console.h"

void Event::SetSender(ControllerManager* sender) { this->sender = sender; }

Event& Event::Subscribe(const Callback& callback) {
  callbacks.push_back(callback);
  return *this;
}

Event& Event::Unsubscribe(const Callback& callback) {
  if (callbacks.empty()) {
    WriteLine("Trying to unsubscribe more functions than subscribed!");
    return *this;
  }
  callbacks.erase(std::remove(callbacks.begin(), callbacks.end(), callback), callbacks.end());
  return *this;
}

void Event::Invoke() {
  for (Callback callback : callbacks) callback(sender);
}
