// ScanWindows: XInput 1.4 as loaded, its four slots, and the HID devices
// that are game controllers (usage page 1, joystick or gamepad).
#include <windows.h>
// After windows.h, which they need. mingw-w64's hidsdi.h declares C
// functions without saying so.
extern "C" {
#include <hidsdi.h>
}
#include <setupapi.h>
#include <xinput.h>

#include <string>
#include <vector>

#include "check/doctor/system_scan.h"

namespace {

// The libraries only the doctor needs, loaded when it runs rather than
// imported, so that no other mode of the program loads them at start.
struct Libraries {
  decltype(&GetFileVersionInfoSizeW) getFileVersionInfoSize = nullptr;
  decltype(&GetFileVersionInfoW) getFileVersionInfo = nullptr;
  decltype(&VerQueryValueW) verQueryValue = nullptr;
  decltype(&HidD_GetHidGuid) getHidGuid = nullptr;
  decltype(&HidD_GetPreparsedData) getPreparsedData = nullptr;
  decltype(&HidD_FreePreparsedData) freePreparsedData = nullptr;
  decltype(&HidP_GetCaps) getCaps = nullptr;
  decltype(&HidD_GetAttributes) getAttributes = nullptr;
  decltype(&HidD_GetProductString) getProductString = nullptr;
  decltype(&SetupDiGetClassDevsW) getClassDevs = nullptr;
  decltype(&SetupDiEnumDeviceInterfaces) enumDeviceInterfaces = nullptr;
  decltype(&SetupDiGetDeviceInterfaceDetailW) getDeviceInterfaceDetail = nullptr;
  decltype(&SetupDiDestroyDeviceInfoList) destroyDeviceInfoList = nullptr;

  template <typename Function>
  static void Find(HMODULE library, const char* name, Function* function) {
    if (library == nullptr) return;
    *function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  }

  void Load() {
    const HMODULE version = LoadLibraryW(L"version.dll");
    Find(version, "GetFileVersionInfoSizeW", &getFileVersionInfoSize);
    Find(version, "GetFileVersionInfoW", &getFileVersionInfo);
    Find(version, "VerQueryValueW", &verQueryValue);
    const HMODULE hid = LoadLibraryW(L"hid.dll");
    Find(hid, "HidD_GetHidGuid", &getHidGuid);
    Find(hid, "HidD_GetPreparsedData", &getPreparsedData);
    Find(hid, "HidD_FreePreparsedData", &freePreparsedData);
    Find(hid, "HidP_GetCaps", &getCaps);
    Find(hid, "HidD_GetAttributes", &getAttributes);
    Find(hid, "HidD_GetProductString", &getProductString);
    const HMODULE setupapi = LoadLibraryW(L"setupapi.dll");
    Find(setupapi, "SetupDiGetClassDevsW", &getClassDevs);
    Find(setupapi, "SetupDiEnumDeviceInterfaces", &enumDeviceInterfaces);
    Find(setupapi, "SetupDiGetDeviceInterfaceDetailW", &getDeviceInterfaceDetail);
    Find(setupapi, "SetupDiDestroyDeviceInfoList", &destroyDeviceInfoList);
  }
  bool HasVersion() const {
    return getFileVersionInfoSize != nullptr && getFileVersionInfo != nullptr &&
           verQueryValue != nullptr;
  }
  bool HasHid() const {
    return getHidGuid != nullptr && getPreparsedData != nullptr && freePreparsedData != nullptr &&
           getCaps != nullptr && getAttributes != nullptr && getProductString != nullptr &&
           getClassDevs != nullptr && enumDeviceInterfaces != nullptr &&
           getDeviceInterfaceDetail != nullptr && destroyDeviceInfoList != nullptr;
  }
};

Libraries libraries;

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return "";
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.pop_back();
  return out;
}

std::string FileVersion(const wchar_t* path) {
  if (!libraries.HasVersion()) return "";
  DWORD ignored = 0;
  const DWORD size = libraries.getFileVersionInfoSize(path, &ignored);
  if (size == 0) return "";
  std::vector<char> data(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!libraries.getFileVersionInfo(path, 0, size, data.data()) ||
      !libraries.verQueryValue(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) ||
      info == nullptr) {
    return "";
  }
  return std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
         std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(info->dwFileVersionLS)) + "." +
         std::to_string(LOWORD(info->dwFileVersionLS));
}

// Opens a HID device only to ask what it is: no read or write access, so
// that an exclusive owner does not stop the question.
bool ReadHid(const wchar_t* path, HidControllerFacts* facts) {
  HANDLE device =
      CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (device == INVALID_HANDLE_VALUE) return false;
  bool gamepad = false;
  PHIDP_PREPARSED_DATA preparsed = nullptr;
  if (libraries.getPreparsedData(device, &preparsed)) {
    HIDP_CAPS caps;
    if (libraries.getCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS) {
      gamepad = caps.UsagePage == 0x01 && (caps.Usage == 0x04 || caps.Usage == 0x05);
    }
    libraries.freePreparsedData(preparsed);
  }
  if (gamepad) {
    HIDD_ATTRIBUTES attributes;
    attributes.Size = sizeof attributes;
    if (libraries.getAttributes(device, &attributes)) {
      facts->vendor = attributes.VendorID;
      facts->product = attributes.ProductID;
    }
    wchar_t name[128] = {};
    if (libraries.getProductString(device, name, sizeof name)) facts->name = Utf8(name);
  }
  CloseHandle(device);
  return gamepad;
}

std::vector<HidControllerFacts> HidControllers() {
  std::vector<HidControllerFacts> found;
  if (!libraries.HasHid()) return found;
  GUID hidGuid;
  libraries.getHidGuid(&hidGuid);
  HDEVINFO set =
      libraries.getClassDevs(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (set == INVALID_HANDLE_VALUE) return found;
  SP_DEVICE_INTERFACE_DATA entry;
  entry.cbSize = sizeof entry;
  for (DWORD i = 0; libraries.enumDeviceInterfaces(set, nullptr, &hidGuid, i, &entry); ++i) {
    DWORD size = 0;
    libraries.getDeviceInterfaceDetail(set, &entry, nullptr, 0, &size, nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
    std::vector<char> buffer(size);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!libraries.getDeviceInterfaceDetail(set, &entry, detail, size, nullptr, nullptr)) {
      continue;
    }
    HidControllerFacts facts;
    if (!ReadHid(detail->DevicePath, &facts)) continue;
    // XInput's devices carry "IG_" in their path.
    const std::wstring path = detail->DevicePath;
    facts.xinput =
        path.find(L"IG_") != std::wstring::npos || path.find(L"ig_") != std::wstring::npos;
    found.push_back(facts);
  }
  libraries.destroyDeviceInfoList(set);
  // A pad XInput serves may also be listed as the plain HID device under
  // it (Windows' own collection, Wine's wrapped original): served as well.
  for (HidControllerFacts& facts : found) {
    for (const HidControllerFacts& other : found) {
      if (other.xinput && other.vendor == facts.vendor && other.product == facts.product) {
        facts.xinput = true;
      }
    }
  }
  return found;
}

}  // namespace

WindowsFacts ScanWindows() {
  libraries.Load();
  WindowsFacts facts;
  HMODULE xinput = GetModuleHandleW(L"xinput1_4.dll");
  facts.xinputLoaded = xinput != nullptr;
  if (xinput != nullptr) {
    wchar_t path[MAX_PATH] = {};
    if (GetModuleFileNameW(xinput, path, MAX_PATH) > 0) {
      facts.xinputPath = Utf8(path);
      facts.xinputVersion = FileVersion(path);
    }
  }
  for (DWORD slot = 0; slot < XUSER_MAX_COUNT; ++slot) {
    XINPUT_STATE state;
    facts.slotAnswers.push_back(XInputGetState(slot, &state));
  }
  facts.hid = HidControllers();
  using WineGetVersion = const char*(CDECL*)();
  if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
    auto wine = reinterpret_cast<WineGetVersion>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")));
    if (wine != nullptr && wine() != nullptr) facts.wineVersion = wine();
  }
  return facts;
}

SystemFacts ScanSystem() { return ScanWindows(); }
