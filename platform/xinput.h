// The XInput and COM names the core is written against.
//
// On Windows these come from the system headers and the calls are served by
// XINPUT1_4.dll and ole32.dll. Elsewhere this header declares the same names
// with the same layout and values, and the calls are served by whichever
// platform library the executable is linked with (SDL-backed for real
// controllers, scripted for tests and replays). The core never knows which.
#ifndef PADWATCH_PLATFORM_XINPUT_H_
#define PADWATCH_PLATFORM_XINPUT_H_

#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <objbase.h>
#include <windows.h>
#include <xinput.h>

#else  // !_WIN32

#include <cstdint>

typedef std::uint8_t BYTE;
typedef std::int16_t SHORT;
typedef std::uint16_t WORD;
typedef std::uint32_t DWORD;
typedef std::int32_t HRESULT;
typedef void* LPVOID;

#define WINAPI

#define ERROR_SUCCESS 0L
#define ERROR_BAD_ARGUMENTS 160L
#define ERROR_DEVICE_NOT_CONNECTED 1167L

#define S_OK ((HRESULT)0L)
#define S_FALSE ((HRESULT)1L)

enum tagCOINIT {
  COINIT_MULTITHREADED = 0x0,
  COINIT_APARTMENTTHREADED = 0x2,
};

#define XUSER_MAX_COUNT 4

#define XINPUT_GAMEPAD_DPAD_UP 0x0001
#define XINPUT_GAMEPAD_DPAD_DOWN 0x0002
#define XINPUT_GAMEPAD_DPAD_LEFT 0x0004
#define XINPUT_GAMEPAD_DPAD_RIGHT 0x0008
#define XINPUT_GAMEPAD_START 0x0010
#define XINPUT_GAMEPAD_BACK 0x0020
#define XINPUT_GAMEPAD_LEFT_THUMB 0x0040
#define XINPUT_GAMEPAD_RIGHT_THUMB 0x0080
#define XINPUT_GAMEPAD_LEFT_SHOULDER 0x0100
#define XINPUT_GAMEPAD_RIGHT_SHOULDER 0x0200
#define XINPUT_GAMEPAD_A 0x1000
#define XINPUT_GAMEPAD_B 0x2000
#define XINPUT_GAMEPAD_X 0x4000
#define XINPUT_GAMEPAD_Y 0x8000

#define XINPUT_GAMEPAD_LEFT_THUMB_DEADZONE 7849
#define XINPUT_GAMEPAD_RIGHT_THUMB_DEADZONE 8689
#define XINPUT_GAMEPAD_TRIGGER_THRESHOLD 30

typedef struct _XINPUT_GAMEPAD {
  WORD wButtons;
  BYTE bLeftTrigger;
  BYTE bRightTrigger;
  SHORT sThumbLX;
  SHORT sThumbLY;
  SHORT sThumbRX;
  SHORT sThumbRY;
} XINPUT_GAMEPAD, *PXINPUT_GAMEPAD;

typedef struct _XINPUT_STATE {
  DWORD dwPacketNumber;
  XINPUT_GAMEPAD Gamepad;
} XINPUT_STATE, *PXINPUT_STATE;

static_assert(sizeof(XINPUT_GAMEPAD) == 12, "XINPUT_GAMEPAD must match the platform layout");
static_assert(sizeof(XINPUT_STATE) == 16, "XINPUT_STATE must match the platform layout");

extern "C" {

// Reads the controller in slot dwUserIndex (0 to 3) into *pState. Returns
// ERROR_SUCCESS with the reading, ERROR_DEVICE_NOT_CONNECTED for an empty
// slot, and ERROR_BAD_ARGUMENTS for a slot above 3 or a null pState.
DWORD WINAPI XInputGetState(DWORD dwUserIndex, XINPUT_STATE* pState);

// Stands in for COM's thread initialisation; there is no COM here, so every
// implementation simply succeeds.
HRESULT WINAPI CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);

}  // extern "C"

#endif  // _WIN32

#endif  // PADWATCH_PLATFORM_XINPUT_H_
