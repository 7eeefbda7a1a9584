#include "modem/SerialPort.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <set>
#include <utility>

#include <windows.h>

#include <devguid.h>
#include <setupapi.h>

#include "base/WideText.h"
#include "base/WindowsHandle.h"

namespace modem {
namespace {

// What a port is opened as: COM1 to COM9 work as they are, COM10 and above only in the device
// namespace, so every COMn goes there; a path that already names a device stays.
std::wstring DevicePath(const std::string& path) {
    std::wstring wide = base::ToWide(path);
    if (wide.rfind(L"\\\\.\\", 0) == 0 || wide.empty()) {
        return wide;
    }
    return L"\\\\.\\" + wide;
}

bool Configure(HANDLE handle, int baudRate, std::string* reason) {
    DCB settings{};
    settings.DCBlength = sizeof settings;
    if (GetCommState(handle, &settings) == 0) {
        *reason = base::SystemErrorText(GetLastError());
        return false;
    }
    settings.BaudRate = static_cast<DWORD>(baudRate);
    settings.ByteSize = 8;
    settings.Parity = NOPARITY;
    settings.StopBits = ONESTOPBIT;
    settings.fBinary = TRUE;
    settings.fParity = FALSE;
    settings.fOutxCtsFlow = FALSE;
    settings.fOutxDsrFlow = FALSE;
    settings.fDsrSensitivity = FALSE;
    settings.fOutX = FALSE;
    settings.fInX = FALSE;
    settings.fNull = FALSE;
    settings.fAbortOnError = FALSE;
    // DTR and RTS raised, as a terminal program does: many modems ignore commands while DTR is low.
    settings.fDtrControl = DTR_CONTROL_ENABLE;
    settings.fRtsControl = RTS_CONTROL_ENABLE;
    if (SetCommState(handle, &settings) == 0) {
        *reason = base::SystemErrorText(GetLastError());
        return false;
    }
    return true;
}

// Read time-outs that make ReadFile return as soon as at least one byte came, or after `timeoutMs`
// with none; writes may take up to `writeMs`.
bool SetTimeouts(HANDLE handle, int timeoutMs, int writeMs) {
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    // MAXDWORD in both fields above with 0 here would wait forever: a zero wait only looks.
    timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(std::max(timeoutMs, 1));
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = static_cast<DWORD>(std::max(writeMs, 1));
    return SetCommTimeouts(handle, &timeouts) != 0;
}

}  // namespace

struct SerialPort::Device {
    explicit Device(HANDLE opened) : handle(opened) {}
    base::WindowsHandle handle;
    int readTimeoutMs = -1;  // the time-outs last set, so that a loop of reads sets them once
    int writeTimeoutMs = -1;
};

SerialPort::SerialPort() = default;

SerialPort::~SerialPort() = default;

bool SerialPort::Open(const std::string& path, int baudRate, SerialOpenError* error) {
    Close();
    SerialOpenError failure;
    const std::wstring device = DevicePath(path);
    // No sharing: a port opened by another program fails here with ERROR_ACCESS_DENIED.
    auto opened =
        std::make_unique<Device>(device.empty() ? INVALID_HANDLE_VALUE
                                                : CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                                              nullptr, OPEN_EXISTING, 0, nullptr));
    if (!opened->handle.valid()) {
        const DWORD code = device.empty() ? ERROR_INVALID_NAME : GetLastError();
        failure.busy = code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION;
        failure.reason = base::SystemErrorText(code);
    } else if (Configure(opened->handle.get(), baudRate, &failure.reason)) {
        PurgeComm(opened->handle.get(), PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
        device_ = std::move(opened);
        return true;
    }
    if (error != nullptr) {
        *error = failure;
    }
    return false;
}

void SerialPort::Close() noexcept {
    device_.reset();
}

bool SerialPort::IsOpen() const noexcept {
    return device_ != nullptr;
}

SerialRead SerialPort::Read(std::string& bytes, int timeoutMs, std::string* reason) {
    if (device_ == nullptr) {
        return SerialRead::Lost;
    }
    const HANDLE handle = device_->handle.get();
    if (device_->readTimeoutMs != timeoutMs || device_->writeTimeoutMs < 0) {
        const int writeMs = device_->writeTimeoutMs < 0 ? 5000 : device_->writeTimeoutMs;
        if (!SetTimeouts(handle, timeoutMs, writeMs)) {
            *reason = base::SystemErrorText(GetLastError());
            return SerialRead::Lost;
        }
        device_->readTimeoutMs = timeoutMs;
        device_->writeTimeoutMs = writeMs;
    }
    char buffer[4096];
    DWORD count = 0;
    if (ReadFile(handle, buffer, sizeof buffer, &count, nullptr) == 0) {
        // A USB modem unplugged fails every call from now on (ERROR_BAD_COMMAND, ERROR_ACCESS_DENIED
        // and the like), so any failure ends the dialogue.
        *reason = base::SystemErrorText(GetLastError());
        return SerialRead::Lost;
    }
    if (count == 0) {
        return SerialRead::Timeout;
    }
    bytes.append(buffer, count);
    return SerialRead::Data;
}

bool SerialPort::Write(std::string_view bytes, int timeoutMs, std::string* reason) {
    if (device_ == nullptr) {
        *reason = "the port is closed";
        return false;
    }
    const HANDLE handle = device_->handle.get();
    if (device_->writeTimeoutMs != timeoutMs) {
        const int readMs = device_->readTimeoutMs < 0 ? 1 : device_->readTimeoutMs;
        if (!SetTimeouts(handle, readMs, timeoutMs)) {
            *reason = base::SystemErrorText(GetLastError());
            return false;
        }
        device_->readTimeoutMs = readMs;
        device_->writeTimeoutMs = timeoutMs;
    }
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 65536));
        if (WriteFile(handle, bytes.data(), chunk, &written, nullptr) == 0) {
            *reason = base::SystemErrorText(GetLastError());
            return false;
        }
        if (written == 0) {
            *reason = "the device takes no more bytes";
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

namespace {

// The registry value `name` of `key` as text, empty when it is missing or no text.
std::wstring RegistryText(HKEY key, const wchar_t* name) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ ||
        size == 0) {
        return {};
    }
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    value.resize(wcsnlen(value.c_str(), value.size()));
    return value;
}

// The friendly names of the present ports by their COM name ("USB-SERIAL CH340 (COM3)").
std::vector<std::pair<std::wstring, std::wstring>> FriendlyNames() {
    std::vector<std::pair<std::wstring, std::wstring>> names;
    const HDEVINFO devices = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE) {
        return names;
    }
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device) != 0; ++index) {
        const HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE) {
            continue;
        }
        const std::wstring port = RegistryText(key, L"PortName");
        RegCloseKey(key);
        wchar_t friendly[512] = {};
        if (!port.empty() &&
            SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, nullptr,
                                              reinterpret_cast<BYTE*>(friendly),
                                              sizeof friendly - sizeof(wchar_t), nullptr) != 0 &&
            friendly[0] != L'\0') {
            names.emplace_back(port, friendly);
        }
    }
    SetupDiDestroyDeviceInfoList(devices);
    return names;
}

// COM2 before COM10: the number, not the text, orders the ports.
bool ComesBefore(const std::string& left, const std::string& right) {
    const auto number = [](const std::string& name) {
        const std::size_t digits = name.find_first_of("0123456789");
        return digits == std::string::npos ? 0UL : std::strtoul(name.c_str() + digits, nullptr, 10);
    };
    return std::make_pair(number(left), left) < std::make_pair(number(right), right);
}

}  // namespace

std::vector<SerialPortName> ListSerialPorts() {
    std::vector<SerialPortName> ports;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return ports;
    }
    std::set<std::string> seen;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        DWORD type = 0;
        wchar_t data[256] = {};
        DWORD dataSize = sizeof data - sizeof(wchar_t);
        const LONG status = RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &dataSize);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status != ERROR_SUCCESS || type != REG_SZ) {
            continue;
        }
        const std::string port = base::ToUtf8(std::wstring_view(data, wcsnlen(data, 256)));
        if (!port.empty() && seen.insert(port).second) {
            ports.push_back({port, port});
        }
    }
    RegCloseKey(key);
    std::sort(ports.begin(), ports.end(), [](const SerialPortName& left, const SerialPortName& right) {
        return ComesBefore(left.path, right.path);
    });
    for (const auto& [port, friendly] : FriendlyNames()) {
        for (SerialPortName& entry : ports) {
            if (entry.path == base::ToUtf8(port)) {
                entry.label = base::ToUtf8(friendly);
            }
        }
    }
    return ports;
}

}  // namespace modem
