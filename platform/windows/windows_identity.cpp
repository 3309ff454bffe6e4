// GetDeviceIdentity on Windows. XInput gives no names, GUIDs or mappings;
// XInput 1.4 gives USB ids through XInputGetCapabilitiesEx, which it exports
// only by ordinal (108), so it is looked up at run time and its absence
// leaves the ids unknown.
#include "platform/identity.h"

namespace {

struct CapabilitiesEx {
  XINPUT_CAPABILITIES capabilities;
  WORD vendorId;
  WORD productId;
  WORD productVersion;
  WORD reserved;
  DWORD reserved2;
};

using GetCapabilitiesEx = DWORD(WINAPI*)(DWORD reserved, DWORD userIndex, DWORD flags,
                                         CapabilitiesEx* capabilities);

GetCapabilitiesEx FindGetCapabilitiesEx() {
  HMODULE xinput = GetModuleHandleW(L"xinput1_4.dll");
  if (xinput == nullptr) return nullptr;
  return reinterpret_cast<GetCapabilitiesEx>(
      reinterpret_cast<void*>(GetProcAddress(xinput, MAKEINTRESOURCEA(108))));
}

}  // namespace

bool GetDeviceIdentity(DWORD slot, DeviceIdentity* identity) {
  *identity = DeviceIdentity();
  XINPUT_CAPABILITIES capabilities{};
  if (XInputGetCapabilities(slot, XINPUT_FLAG_GAMEPAD, &capabilities) != ERROR_SUCCESS) {
    return false;
  }
  static const GetCapabilitiesEx getCapabilitiesEx = FindGetCapabilitiesEx();
  CapabilitiesEx extended{};
  if (getCapabilitiesEx != nullptr &&
      getCapabilitiesEx(1, slot, XINPUT_FLAG_GAMEPAD, &extended) == ERROR_SUCCESS &&
      (extended.vendorId != 0 || extended.productId != 0)) {
    identity->idsKnown = true;
    identity->vendorId = extended.vendorId;
    identity->productId = extended.productId;
  }
  return true;
}
