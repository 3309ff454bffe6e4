#include "platform/scripted/scripted_xinput.h"

#include <cassert>
#include <cstring>

#include "platform/reading.h"

namespace {

struct Slot {
  bool plugged = false;
  XINPUT_STATE state{};
};

Slot slots[XUSER_MAX_COUNT];
std::uint64_t getStateCalls = 0;
std::uint64_t coInitializeCalls = 0;

Slot& At(DWORD slot) {
  assert(slot < XUSER_MAX_COUNT && "scripted slots are 0 to 3");
  return slots[slot];
}

}  // namespace

namespace scripted {

void Reset() {
  for (Slot& slot : slots) slot = Slot();
  getStateCalls = 0;
  coInitializeCalls = 0;
}

void Plug(DWORD slot) { At(slot).plugged = true; }

void Unplug(DWORD slot) {
  At(slot).plugged = false;
  SetGamepad(slot, XINPUT_GAMEPAD{});
}

bool IsPlugged(DWORD slot) { return At(slot).plugged; }

void SetGamepad(DWORD slot, const XINPUT_GAMEPAD& gamepad) {
  XINPUT_STATE& state = At(slot).state;
  if (SameReading(state.Gamepad, gamepad)) return;
  state.Gamepad = gamepad;
  ++state.dwPacketNumber;
}

const XINPUT_GAMEPAD& Gamepad(DWORD slot) { return At(slot).state.Gamepad; }

void Press(DWORD slot, WORD buttons) {
  XINPUT_GAMEPAD gamepad = Gamepad(slot);
  gamepad.wButtons = static_cast<WORD>(gamepad.wButtons | buttons);
  SetGamepad(slot, gamepad);
}

void Release(DWORD slot, WORD buttons) {
  XINPUT_GAMEPAD gamepad = Gamepad(slot);
  gamepad.wButtons = static_cast<WORD>(gamepad.wButtons & ~buttons);
  SetGamepad(slot, gamepad);
}

DWORD PacketNumber(DWORD slot) { return At(slot).state.dwPacketNumber; }

std::uint64_t GetStateCalls() { return getStateCalls; }
std::uint64_t CoInitializeCalls() { return coInitializeCalls; }

}  // namespace scripted

extern "C" DWORD WINAPI XInputGetState(DWORD dwUserIndex, XINPUT_STATE* pState) {
  ++getStateCalls;
  if (dwUserIndex >= XUSER_MAX_COUNT || pState == nullptr) return ERROR_BAD_ARGUMENTS;
  const Slot& slot = slots[dwUserIndex];
  if (!slot.plugged) return ERROR_DEVICE_NOT_CONNECTED;
  std::memcpy(pState, &slot.state, sizeof(*pState));
  return ERROR_SUCCESS;
}

#ifndef _WIN32
// On Windows the real COM initialisation is linked instead; it has no effect
// on the scripted slots.
extern "C" HRESULT WINAPI CoInitializeEx(LPVOID /*pvReserved*/, DWORD /*dwCoInit*/) {
  ++coInitializeCalls;
  return S_OK;
}
#endif
