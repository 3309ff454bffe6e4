#include "check/probe/slot_probe.h"

#include <cstring>
#include <thread>

bool PollSlot(SlotReading* slot) {
  XINPUT_STATE now;
  std::memset(&now, 0, sizeof(now));
  slot->connected = XInputGetState(slot->slot, &now) == 0;
  if (!slot->connected) return false;
  slot->state = now;
  slot->leftStick.Add(now.Gamepad.sThumbLX, now.Gamepad.sThumbLY);
  slot->rightStick.Add(now.Gamepad.sThumbRX, now.Gamepad.sThumbRY);
  return true;
}

void ReadDevice(SlotReading* slot) {
  GetDeviceIdentity(slot->slot, &slot->identity);
  slot->capabilitiesKnown =
      XInputGetCapabilities(slot->slot, XINPUT_FLAG_GAMEPAD, &slot->capabilities) == 0;
  slot->batteryKnown =
      XInputGetBatteryInformation(slot->slot, BATTERY_DEVTYPE_GAMEPAD, &slot->battery) == 0;
}

void PollSlots(Slots& slots) {
  for (SlotReading& slot : slots) PollSlot(&slot);
}

void ReadDevices(Slots& slots) {
  for (SlotReading& slot : slots) {
    if (slot.connected) ReadDevice(&slot);
  }
}

void SampleSlots(Slots& slots, std::chrono::milliseconds duration, bool (*stopRequested)()) {
  const auto end = std::chrono::steady_clock::now() + duration;
  do {
    PollSlots(slots);
  } while (std::chrono::steady_clock::now() < end &&
           (stopRequested == nullptr || !stopRequested()));
  ReadDevices(slots);
}

void SampleSensors(Slots& slots, std::chrono::milliseconds duration, bool (*stopRequested)()) {
  constexpr std::chrono::milliseconds kEvery(10);
  // A slow machine may take longer than 10 ms a reading; a mean wants a few.
  constexpr int kMinReadings = 10;
  const auto end = std::chrono::steady_clock::now() + duration;
  for (int readings = 1;; ++readings) {
    for (SlotReading& slot : slots) {
      if (!slot.connected) continue;
      slot.sensors = ReadPadSensors(slot.identity);
      if (slot.sensors.motionKnown) slot.motionRest.Add(slot.sensors.motion);
    }
    if ((readings >= kMinReadings && std::chrono::steady_clock::now() + kEvery >= end) ||
        (stopRequested != nullptr && stopRequested())) {
      return;
    }
    std::this_thread::sleep_for(kEvery);
  }
}
