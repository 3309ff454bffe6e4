// Polls the four controller slots and reports what changed on them.
#ifndef PADWATCH_INPUT_CONTROLLER_MANAGER_H_
#define PADWATCH_INPUT_CONTROLLER_MANAGER_H_

#include <array>
#include <cstdint>
#include <vector>

#include "events/event.h"
#include "input/controller_record.h"
#include "input/inputs.h"
#include "platform/xinput.h"

// Slots 0 to 3, the four XInput user indices.
constexpr std::uint32_t kSlotCount = XUSER_MAX_COUNT;

// Owns everything known about the four slots. Each Poll() queries every slot
// once, writes a line for each button and axis transition of the slots that
// answered, and, when the number of answering slots differs from the number
// last announced, announces arrivals, departures and the new count.
class ControllerManager {
 public:
  // Initialises COM for the thread, builds the four records and subscribes
  // the connection handlers. Writes nothing.
  ControllerManager();
  // Unsubscribes the connection handlers.
  ~ControllerManager();

  // The events hold this manager as their sender, so it must not be copied.
  ControllerManager(const ControllerManager&) = delete;
  ControllerManager& operator=(const ControllerManager&) = delete;

  // One pass over slots 0 to 3 in ascending order, then the connection report
  // if the count changed.
  void Poll();

  // Processes slot, whose reading was just queried successfully into state:
  // marks it connected and steps its 14 buttons and 6 axes, writing a line for
  // each transition that calls for one. slot must be below kSlotCount; a
  // larger one throws std::out_of_range before anything changes.
  void UpdateSlot(std::uint16_t slot);

  // Fires OnDisconnected or OnConnected for each slot whose connection
  // differs from the one last announced, in slot order, then writes the
  // connected count and remembers it as announced.
  void ReportConnectionChanges();

  // Read-only views of the connection state and records, for inspection.
  std::int32_t ConnectedCount() const { return connectedCount; }
  std::int32_t LastReportedCount() const { return lastReportedCount; }
  bool IsConnected(std::uint32_t slot) const { return connected.at(slot); }
  bool IsReported(std::uint32_t slot) const { return reported.at(slot); }
  const ControllerRecord& Record(std::uint32_t slot) const { return records.at(slot); }

  Event OnConnected;
  Event OnDisconnected;

 private:
  std::int32_t connectedCount = 0;
  std::int32_t lastReportedCount = 0;
  XINPUT_STATE state{};
  std::vector<ControllerRecord> records;
  ControllerRecord* current = nullptr;  // not owned; the record being updated
  std::vector<bool> connected;          // slot answered its latest query
  std::vector<bool> reported;           // slot's connection as last announced

  // A slot is settled when its latest update left every button Up or Down
  // and every axis Up: the same reading again then changes nothing and
  // writes nothing, so UpdateSlot can skip the twenty steps. This keeps a
  // poll of idle or held controllers close to the cost of the queries.
  struct Settled {
    bool settled = false;
    XINPUT_GAMEPAD reading{};  // the reading that settled it
  };
  std::array<Settled, kSlotCount> settled{};
};

// The connection handlers the manager subscribes to its own events. Each
// ignores its sender and writes one line.
void OnControllerConnected(ControllerManager* sender);
void OnControllerDisconnected(ControllerManager* sender);

#endif  // PADWATCH_INPUT_CONTROLLER_MANAGER_H_
