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

// Names some SDKs lack (mingw-w64 misspells the flight stick's).
#ifndef XINPUT_DEVSUBTYPE_UNKNOWN
#define XINPUT_DEVSUBTYPE_UNKNOWN 0x00
#endif
#ifndef XINPUT_DEVSUBTYPE_FLIGHT_STICK
#define XINPUT_DEVSUBTYPE_FLIGHT_STICK 0x04
#endif

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

#define ERROR_NOT_SUPPORTED 50L

#define XINPUT_FLAG_GAMEPAD 0x00000001

#define XINPUT_DEVTYPE_GAMEPAD 0x01
#define XINPUT_DEVSUBTYPE_UNKNOWN 0x00
#define XINPUT_DEVSUBTYPE_GAMEPAD 0x01
#define XINPUT_DEVSUBTYPE_WHEEL 0x02
#define XINPUT_DEVSUBTYPE_ARCADE_STICK 0x03
#define XINPUT_DEVSUBTYPE_FLIGHT_STICK 0x04
#define XINPUT_DEVSUBTYPE_DANCE_PAD 0x05
#define XINPUT_DEVSUBTYPE_GUITAR 0x06
#define XINPUT_DEVSUBTYPE_GUITAR_ALTERNATE 0x07
#define XINPUT_DEVSUBTYPE_DRUM_KIT 0x08
#define XINPUT_DEVSUBTYPE_GUITAR_BASS 0x0B
#define XINPUT_DEVSUBTYPE_ARCADE_PAD 0x13

#define XINPUT_CAPS_FFB_SUPPORTED 0x0001
#define XINPUT_CAPS_WIRELESS 0x0002
#define XINPUT_CAPS_VOICE_SUPPORTED 0x0004
#define XINPUT_CAPS_PMD_SUPPORTED 0x0008
#define XINPUT_CAPS_NO_NAVIGATION 0x0010

#define BATTERY_DEVTYPE_GAMEPAD 0x00
#define BATTERY_DEVTYPE_HEADSET 0x01
#define BATTERY_TYPE_DISCONNECTED 0x00
#define BATTERY_TYPE_WIRED 0x01
#define BATTERY_TYPE_ALKALINE 0x02
#define BATTERY_TYPE_NIMH 0x03
#define BATTERY_TYPE_UNKNOWN 0xFF
#define BATTERY_LEVEL_EMPTY 0x00
#define BATTERY_LEVEL_LOW 0x01
#define BATTERY_LEVEL_MEDIUM 0x02
#define BATTERY_LEVEL_FULL 0x03

typedef struct _XINPUT_VIBRATION {
  WORD wLeftMotorSpeed;   // the low-frequency motor
  WORD wRightMotorSpeed;  // the high-frequency motor
} XINPUT_VIBRATION, *PXINPUT_VIBRATION;

typedef struct _XINPUT_CAPABILITIES {
  BYTE Type;
  BYTE SubType;
  WORD Flags;
  XINPUT_GAMEPAD Gamepad;      // the resolution of each input; 0 where it has none
  XINPUT_VIBRATION Vibration;  // each motor's resolution; 0 where there is none
} XINPUT_CAPABILITIES, *PXINPUT_CAPABILITIES;

typedef struct _XINPUT_BATTERY_INFORMATION {
  BYTE BatteryType;
  BYTE BatteryLevel;
} XINPUT_BATTERY_INFORMATION, *PXINPUT_BATTERY_INFORMATION;

static_assert(sizeof(XINPUT_GAMEPAD) == 12, "XINPUT_GAMEPAD must match the platform layout");
static_assert(sizeof(XINPUT_STATE) == 16, "XINPUT_STATE must match the platform layout");
static_assert(sizeof(XINPUT_CAPABILITIES) == 20,
              "XINPUT_CAPABILITIES must match the platform layout");

extern "C" {

// Reads the controller in slot dwUserIndex (0 to 3) into *pState. Returns
// ERROR_SUCCESS with the reading, ERROR_DEVICE_NOT_CONNECTED for an empty
// slot, and ERROR_BAD_ARGUMENTS for a slot above 3 or a null pState.
DWORD WINAPI XInputGetState(DWORD dwUserIndex, XINPUT_STATE* pState);

// What the controller in slot dwUserIndex is and can do: type, subtype, flags,
// and (in Vibration) whether its motors exist. dwFlags is 0 or
// XINPUT_FLAG_GAMEPAD. Returns as XInputGetState does.
DWORD WINAPI XInputGetCapabilities(DWORD dwUserIndex, DWORD dwFlags,
                                   XINPUT_CAPABILITIES* pCapabilities);

// The battery of the controller in slot dwUserIndex (devType
// BATTERY_DEVTYPE_GAMEPAD): its type and, unless wired, its level. Returns as
// XInputGetState does; a platform that cannot tell returns
// ERROR_NOT_SUPPORTED.
DWORD WINAPI XInputGetBatteryInformation(DWORD dwUserIndex, BYTE devType,
                                         XINPUT_BATTERY_INFORMATION* pBatteryInformation);

// Runs the controller's two motors at the given speeds (0 stops them) until
// called again. Returns ERROR_SUCCESS when the controller took it,
// ERROR_DEVICE_NOT_CONNECTED for an empty slot and ERROR_NOT_SUPPORTED
// for a controller without motors.
DWORD WINAPI XInputSetState(DWORD dwUserIndex, XINPUT_VIBRATION* pVibration);

// Stands in for COM's thread initialisation; there is no COM here, so every
// implementation simply succeeds.
HRESULT WINAPI CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);

}  // extern "C"

#endif  // _WIN32

#endif  // PADWATCH_PLATFORM_XINPUT_H_
