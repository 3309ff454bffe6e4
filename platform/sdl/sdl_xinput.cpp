#include "platform/sdl/sdl_xinput.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "platform/identity.h"
#include "platform/linux/device_battery.h"
#include "platform/linux/kernel_axes.h"
#include "platform/linux/sibling_nodes.h"
#include "platform/reading.h"
#include "platform/sdl/sdl_conversions.h"
#include "platform/xinput.h"
#include "support/program_name.h"

namespace {

struct Pad {
  SDL_GameController* controller = nullptr;
  SDL_JoystickID id = -1;
  XINPUT_STATE state{};
};

enum class Status { kStopped, kRunning, kFailed };

Status status = Status::kStopped;
Pad pads[XUSER_MAX_COUNT];
int openPads = 0;
// The slot of the previous query; a query at or below it starts a new pass.
DWORD lastSlot = XUSER_MAX_COUNT;

void ClosePad(Pad& pad) {
  SDL_GameControllerClose(pad.controller);
  pad = Pad();
  --openPads;
}

bool IsOpen(SDL_JoystickID id) {
  for (const Pad& pad : pads) {
    if (pad.controller != nullptr && pad.id == id) return true;
  }
  return false;
}

// Gives each new game controller the lowest free slot, as long as one is
// free. Returns whether any was opened.
bool OpenArrivals() {
  bool opened = false;
  const int devices = SDL_NumJoysticks();
  for (int index = 0; index < devices && openPads < XUSER_MAX_COUNT; ++index) {
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
    if (id < 0 || IsOpen(id) || !SDL_IsGameController(index)) continue;
    SDL_GameController* controller = SDL_GameControllerOpen(index);
    if (controller == nullptr) continue;
    int slot = 0;
    while (pads[slot].controller != nullptr) ++slot;
    pads[slot].controller = controller;
    pads[slot].id = id;
    pads[slot].state = XINPUT_STATE{};
    ++openPads;
    opened = true;
    // Pads with player lights show the slot, as they do under XInput.
    SDL_GameControllerSetPlayerIndex(controller, slot);
  }
  return opened;
}

// One refresh per pass over the slots: SDL reads the devices and looks for
// arrivals and removals.
void Refresh() {
  SDL_GameControllerUpdate();
  bool removed = false;
  for (Pad& pad : pads) {
    if (pad.controller != nullptr && !SDL_GameControllerGetAttached(pad.controller)) {
      ClosePad(pad);
      removed = true;
    }
  }
  // While every device SDL knows is one of ours and none left, nothing can
  // have arrived, so the device list need not be walked.
  if ((removed || SDL_NumJoysticks() != openPads) && OpenArrivals()) {
    // Opening a controller can leave its axes at their starting values
    // until the next update; a new controller's first reading must be its
    // current state.
    SDL_GameControllerUpdate();
  }
}

XINPUT_GAMEPAD ReadGamepad(SDL_GameController* controller) {
  XINPUT_GAMEPAD pad{};
  WORD buttons = 0;
  for (const SdlButton& map : kSdlButtons) {
    if (SDL_GameControllerGetButton(controller, map.button) != 0) {
      buttons = static_cast<WORD>(buttons | map.mask);
    }
  }
  pad.wButtons = buttons;
  pad.bLeftTrigger =
      TriggerFromSdl(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT));
  pad.bRightTrigger =
      TriggerFromSdl(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
  pad.sThumbLX = StickXFromSdl(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX));
  pad.sThumbLY = StickYFromSdl(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
  pad.sThumbRX = StickXFromSdl(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_RIGHTX));
  pad.sThumbRY = StickYFromSdl(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_RIGHTY));
  return pad;
}

}  // namespace

namespace sdl_platform {

bool Start() {
  if (status == Status::kRunning) return true;
  if (status == Status::kFailed) return false;
  // padwatch stops cleanly on SIGINT and SIGTERM itself; SDL must not take
  // those signals over.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // No window will ever have focus: read controllers regardless.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    std::fprintf(stderr,
                 "%s: cannot start SDL game controller support: %s; no controller will be "
                 "seen\n",
                 ProgramName(), SDL_GetError());
    status = Status::kFailed;
    return false;
  }
  // Everything is read by polling; events nobody drains must not pile up.
  SDL_GameControllerEventState(SDL_IGNORE);
  SDL_JoystickEventState(SDL_IGNORE);
  status = Status::kRunning;
  lastSlot = XUSER_MAX_COUNT;
  return true;
}

void Shutdown() {
  if (status != Status::kRunning) {
    status = Status::kStopped;
    return;
  }
  for (Pad& pad : pads) {
    if (pad.controller != nullptr) ClosePad(pad);
  }
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  status = Status::kStopped;
}

}  // namespace sdl_platform

extern "C" DWORD WINAPI XInputGetState(DWORD dwUserIndex, XINPUT_STATE* pState) {
  if (dwUserIndex >= XUSER_MAX_COUNT || pState == nullptr) return ERROR_BAD_ARGUMENTS;
  if (!sdl_platform::Start()) return ERROR_DEVICE_NOT_CONNECTED;
  if (dwUserIndex <= lastSlot) Refresh();
  lastSlot = dwUserIndex;

  Pad& pad = pads[dwUserIndex];
  if (pad.controller == nullptr) return ERROR_DEVICE_NOT_CONNECTED;
  if (!SDL_GameControllerGetAttached(pad.controller)) {
    ClosePad(pad);
    return ERROR_DEVICE_NOT_CONNECTED;
  }
  const XINPUT_GAMEPAD reading = ReadGamepad(pad.controller);
  if (!SameReading(reading, pad.state.Gamepad)) {
    pad.state.Gamepad = reading;
    ++pad.state.dwPacketNumber;
  }
  *pState = pad.state;
  return ERROR_SUCCESS;
}

namespace {

// The battery the kernel publishes for the controller's event node, where
// SDL reads the controller through one.
DeviceBattery KernelBattery(SDL_GameController* controller) {
  const char* path = SDL_JoystickPath(SDL_GameControllerGetJoystick(controller));
  return ReadDeviceBattery(SystemRoots(), EventNodeName(path != nullptr ? path : ""));
}

// The open controller in a slot, or null. Calls other than XInputGetState
// do not refresh SDL, but the first call of all does.
SDL_GameController* ControllerIn(DWORD slot) {
  if (slot >= XUSER_MAX_COUNT || !sdl_platform::Start()) return nullptr;
  if (lastSlot == XUSER_MAX_COUNT) Refresh();
  Pad& pad = pads[slot];
  if (pad.controller == nullptr || !SDL_GameControllerGetAttached(pad.controller)) return nullptr;
  return pad.controller;
}

}  // namespace

extern "C" DWORD WINAPI XInputGetCapabilities(DWORD dwUserIndex, DWORD /*dwFlags*/,
                                              XINPUT_CAPABILITIES* pCapabilities) {
  if (dwUserIndex >= XUSER_MAX_COUNT || pCapabilities == nullptr) return ERROR_BAD_ARGUMENTS;
  SDL_GameController* controller = ControllerIn(dwUserIndex);
  if (controller == nullptr) return ERROR_DEVICE_NOT_CONNECTED;
  XINPUT_CAPABILITIES capabilities{};
  // SDL's game controllers are all laid out as gamepads, whatever they are.
  capabilities.Type = XINPUT_DEVTYPE_GAMEPAD;
  capabilities.SubType = XINPUT_DEVSUBTYPE_GAMEPAD;
  const SDL_JoystickPowerLevel power =
      SDL_JoystickCurrentPowerLevel(SDL_GameControllerGetJoystick(controller));
  if (power != SDL_JOYSTICK_POWER_UNKNOWN && power != SDL_JOYSTICK_POWER_WIRED) {
    capabilities.Flags = XINPUT_CAPS_WIRELESS;
  }
  if (SDL_GameControllerHasRumble(controller)) capabilities.Vibration = {0xFFFF, 0xFFFF};
  *pCapabilities = capabilities;
  return ERROR_SUCCESS;
}

extern "C" DWORD WINAPI XInputGetBatteryInformation(
    DWORD dwUserIndex, BYTE devType, XINPUT_BATTERY_INFORMATION* pBatteryInformation) {
  if (dwUserIndex >= XUSER_MAX_COUNT || pBatteryInformation == nullptr ||
      devType != BATTERY_DEVTYPE_GAMEPAD) {
    return ERROR_BAD_ARGUMENTS;
  }
  SDL_GameController* controller = ControllerIn(dwUserIndex);
  if (controller == nullptr) return ERROR_DEVICE_NOT_CONNECTED;
  const BatteryReading battery =
      BatteryFromSdl(SDL_JoystickCurrentPowerLevel(SDL_GameControllerGetJoystick(controller)));
  if (battery.known) {
    *pBatteryInformation = battery.information;
    return ERROR_SUCCESS;
  }
  // SDL reads a level only through its own HIDAPI drivers; the kernel's
  // driver may publish one for the same pad.
  if (!BatteryFromKernel(KernelBattery(controller), pBatteryInformation))
    return ERROR_NOT_SUPPORTED;
  return ERROR_SUCCESS;
}

extern "C" DWORD WINAPI XInputSetState(DWORD dwUserIndex, XINPUT_VIBRATION* pVibration) {
  if (dwUserIndex >= XUSER_MAX_COUNT || pVibration == nullptr) return ERROR_BAD_ARGUMENTS;
  SDL_GameController* controller = ControllerIn(dwUserIndex);
  if (controller == nullptr) return ERROR_DEVICE_NOT_CONNECTED;
  if (!SDL_GameControllerHasRumble(controller)) return ERROR_NOT_SUPPORTED;
  // XInput's motors run until told otherwise; SDL's rumble needs a length,
  // so the longest it takes stands for "until the next call".
  const Uint32 kUntilChanged = 0xFFFFFFFF;
  if (SDL_GameControllerRumble(controller, pVibration->wLeftMotorSpeed,
                               pVibration->wRightMotorSpeed, kUntilChanged) != 0) {
    return ERROR_NOT_SUPPORTED;
  }
  return ERROR_SUCCESS;
}

bool GetDeviceIdentity(DWORD slot, DeviceIdentity* identity) {
  *identity = DeviceIdentity();
  SDL_GameController* controller = ControllerIn(slot);
  if (controller == nullptr) return false;
  if (const char* name = SDL_GameControllerName(controller)) identity->name = name;
  const Uint16 vendor = SDL_GameControllerGetVendor(controller);
  const Uint16 product = SDL_GameControllerGetProduct(controller);
  // SDL answers 0 for ids it does not know.
  if (vendor != 0 || product != 0) {
    identity->idsKnown = true;
    identity->vendorId = vendor;
    identity->productId = product;
  }
  char guid[33] = {};
  SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(SDL_GameControllerGetJoystick(controller)), guid,
                            sizeof(guid));
  identity->guid = guid;
  if (char* mapping = SDL_GameControllerMapping(controller)) {
    identity->mapping = mapping;
    SDL_free(mapping);
  }
  const DeviceBattery battery = KernelBattery(controller);
  identity->batteryPercent = battery.capacity;
  identity->batteryCharge = ChargeWord(battery.status);
  // The filters the kernel applies before SDL reads the pad, where SDL
  // reads it through an event node.
  const char* path = SDL_JoystickPath(SDL_GameControllerGetJoystick(controller));
  // SDL's HIDAPI drivers name the hidraw node they read.
  if (path != nullptr && std::strncmp(path, "/dev/hidraw", 11) == 0 &&
      std::strchr(path + 11, '/') == nullptr) {
    identity->hidrawNode = path;
  }
  if (path != nullptr && !EventNodeName(path).empty()) {
    identity->eventNode = path;
    identity->kernelAxes = ReadKernelAxes(path);
    const std::string node = EventNodeName(path);
    const SiblingNodes siblings = FindSiblingNodes(SystemRoots(), node);
    const std::string folder(path, std::strlen(path) - node.size());
    if (!siblings.motion.empty()) identity->motionNode = folder + siblings.motion;
    if (!siblings.touchpad.empty()) identity->touchNode = folder + siblings.touchpad;
    identity->kernelDriver = siblings.driver;
    const SDL_GameControllerAxis sticks[] = {SDL_CONTROLLER_AXIS_LEFTX, SDL_CONTROLLER_AXIS_LEFTY,
                                             SDL_CONTROLLER_AXIS_RIGHTX,
                                             SDL_CONTROLLER_AXIS_RIGHTY};
    for (int i = 0; i < 4; ++i) {
      const SDL_GameControllerButtonBind bind =
          SDL_GameControllerGetBindForAxis(controller, sticks[i]);
      if (bind.bindType == SDL_CONTROLLER_BINDTYPE_AXIS) {
        identity->stickAxes[i] = SdlAxisIndex(identity->kernelAxes, bind.value.axis);
      }
    }
  }
  return true;
}

extern "C" HRESULT WINAPI CoInitializeEx(LPVOID /*pvReserved*/, DWORD /*dwCoInit*/) { return S_OK; }
