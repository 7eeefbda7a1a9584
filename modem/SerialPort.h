#pragma once

// One serial device opened for the AT dialogue: raw bytes at a given rate, 8 data bits, no parity,
// one stop bit, no flow control. Every call blocks for at most the time it is given, so the
// dialogue runs as a plain loop in whichever thread owns the port; one thread uses a port at a time.
// POSIX termios on Linux (SerialPortPosix.cpp), the Win32 communications API on Windows
// (SerialPortWindows.cpp).

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace modem {

struct SerialOpenError {
    std::string reason;  // the system's words
    bool busy = false;   // another program holds the port
};

enum class SerialRead {
    Data,     // bytes came and were appended
    Timeout,  // none came in time
    Lost,     // the device vanished (unplugged, or the other end of a pseudo-terminal closed)
};

class SerialPort final {
public:
    SerialPort();
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens `path` (/dev/ttyUSB0; COM3 or \\.\COM12 on Windows) for exclusive use at `baudRate`,
    // dropping whatever waited on it. Closes a port opened before. False with `error` filled in on
    // failure.
    bool Open(const std::string& path, int baudRate, SerialOpenError* error);
    void Close() noexcept;
    bool IsOpen() const noexcept;

    // Waits up to `timeoutMs` (0: only looks) for bytes and appends those that came to `bytes`.
    // Lost puts the system's reason in `reason`.
    SerialRead Read(std::string& bytes, int timeoutMs, std::string* reason);

    // Writes all of `bytes` within `timeoutMs`; false (with the reason) when the device is gone or
    // takes nothing for that long.
    bool Write(std::string_view bytes, int timeoutMs, std::string* reason);

private:
    struct Device;
    std::unique_ptr<Device> device_;
};

// A serial port the system lists: its path for Open, and a friendlier name when the system has one
// (otherwise the path again).
struct SerialPortName {
    std::string path;
    std::string label;
};

// The serial ports for the automatic choice and the modem list, in the system's order without
// duplicates. Linux: /dev/ttyUSB*, /dev/ttyACM*, then every other tty whose device sits on a USB
// bus (built-in /dev/ttyS* ports are left out: a machine lists dozens of them, and such a modem is
// named). Windows: the ports of HARDWARE\DEVICEMAP\SERIALCOMM, labelled with the device's friendly
// name from SetupAPI.
std::vector<SerialPortName> ListSerialPorts();

}  // namespace modem
