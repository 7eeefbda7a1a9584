// The Windows side of the serial seam, under Wine: the ports the system lists in
// HARDWARE\DEVICEMAP\SERIALCOMM (ordered by number, each once, only text values) and the failures
// of opening a port. Sending through a COM port is checked from the Linux side (check_wine_modem),
// where the fake modem runs.

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "modem/SerialPort.h"

namespace modem {
namespace {

constexpr const wchar_t* kSerialComm = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";

// Values added to SERIALCOMM for one test, as serial drivers add theirs, and removed after it.
class RegisteredPorts final {
public:
    RegisteredPorts() {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSerialComm, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key_, nullptr);
    }
    ~RegisteredPorts() {
        for (const std::wstring& name : names_) {
            RegDeleteValueW(key_, name.c_str());
        }
        RegCloseKey(key_);
    }
    RegisteredPorts(const RegisteredPorts&) = delete;
    RegisteredPorts& operator=(const RegisteredPorts&) = delete;

    bool AddText(const std::wstring& name, const std::wstring& port) {
        names_.push_back(name);
        return RegSetValueExW(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(port.c_str()),
                              static_cast<DWORD>((port.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    bool AddNumber(const std::wstring& name, DWORD value) {
        names_.push_back(name);
        return RegSetValueExW(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                              sizeof value) == ERROR_SUCCESS;
    }

private:
    HKEY key_ = nullptr;
    std::vector<std::wstring> names_;
};

TEST(SerialPortWindows, ThePortsOfSerialCommComeInNumberOrderEachOnce) {
    RegisteredPorts registry;
    ASSERT_TRUE(registry.AddText(L"\\Device\\DtusmsTest310", L"COM310"));
    ASSERT_TRUE(registry.AddText(L"\\Device\\DtusmsTest302", L"COM302"));
    ASSERT_TRUE(registry.AddText(L"\\Device\\DtusmsTest302b", L"COM302"));
    ASSERT_TRUE(registry.AddText(L"\\Device\\DtusmsTest39", L"COM39"));
    ASSERT_TRUE(registry.AddNumber(L"\\Device\\DtusmsTestNumber", 7));

    std::vector<std::string> ours;
    for (const SerialPortName& port : ListSerialPorts()) {
        EXPECT_FALSE(port.label.empty()) << port.path;
        if (port.path == "COM39" || port.path == "COM302" || port.path == "COM310") {
            ours.push_back(port.path);
            EXPECT_EQ(port.label, port.path) << "no friendly name: the port's own name";
        }
    }
    // By text COM302 and COM310 would come before COM39.
    EXPECT_EQ(ours, (std::vector<std::string>{"COM39", "COM302", "COM310"}));
}

TEST(SerialPortWindows, OpenFailuresSayWhyAndAreNotTakenForABusyPort) {
    const struct {
        const char* name;
        std::string path;
    } rows[] = {
        {"no such port", "COM231"},
        {"a device that is no serial port", "NUL"},
        {"a name that is no UTF-8", "COM\xff"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SerialPort port;
        SerialOpenError error;
        EXPECT_FALSE(port.Open(row.path, 115200, &error));
        EXPECT_FALSE(port.IsOpen());
        EXPECT_FALSE(error.busy);
        EXPECT_FALSE(error.reason.empty());
        std::string bytes;
        std::string reason;
        EXPECT_EQ(port.Read(bytes, 10, &reason), SerialRead::Lost) << "a port that is not open reads nothing";
        EXPECT_FALSE(port.Write("AT\r", 10, &reason));
    }
}

}  // namespace
}  // namespace modem
