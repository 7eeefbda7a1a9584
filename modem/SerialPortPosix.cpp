#include "modem/SerialPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <set>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "base/FileDescriptor.h"

namespace modem {
namespace {

struct Speed {
    int rate;
    speed_t code;
};

constexpr Speed kSpeeds[] = {
    {1200, B1200},     {2400, B2400},     {4800, B4800},     {9600, B9600},
    {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},
    {230400, B230400}, {460800, B460800}, {921600, B921600},
};

std::string ErrnoText(int code) {
    return std::strerror(code);
}

bool Configure(int fd, int baudRate, std::string* reason) {
    const auto* speed = std::find_if(std::begin(kSpeeds), std::end(kSpeeds),
                                     [&](const Speed& s) { return s.rate == baudRate; });
    if (speed == std::end(kSpeeds)) {
        *reason = "unsupported baud rate " + std::to_string(baudRate);
        return false;
    }
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        *reason = ErrnoText(errno);
        return false;
    }
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (::cfsetispeed(&settings, speed->code) != 0 || ::cfsetospeed(&settings, speed->code) != 0 ||
        ::tcsetattr(fd, TCSANOW, &settings) != 0) {
        *reason = ErrnoText(errno);
        return false;
    }
    return true;
}

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
            .count();
    return static_cast<int>(std::max<long long>(left, 0));
}

}  // namespace

struct SerialPort::Device {
    explicit Device(int fd) : descriptor(fd) {}
    base::FileDescriptor descriptor;
};

SerialPort::SerialPort() = default;

SerialPort::~SerialPort() = default;

bool SerialPort::Open(const std::string& path, int baudRate, SerialOpenError* error) {
    Close();
    SerialOpenError failure;
    // Non-blocking, so that the open itself never waits for a carrier and reads can be timed by poll.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const int openError = errno;
    auto device = std::make_unique<Device>(fd);
    if (fd < 0) {
        failure.busy = openError == EBUSY;
        failure.reason = ErrnoText(openError);
    } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        // Another program that locks its ports (a second dtusms) has this one.
        failure.busy = errno == EWOULDBLOCK;
        failure.reason = failure.busy ? "the port is in use by another program" : ErrnoText(errno);
    } else if (!Configure(fd, baudRate, &failure.reason)) {
        failure.busy = false;
    } else {
        // Exclusive mode makes a later open by anyone else fail with EBUSY while the dialogue runs;
        // a device without it (a pseudo-terminal under some kernels) works all the same.
        ::ioctl(fd, TIOCEXCL);
        ::tcflush(fd, TCIOFLUSH);
        device_ = std::move(device);
        return true;
    }
    if (error != nullptr) {
        *error = failure;
    }
    return false;
}

void SerialPort::Close() noexcept {
    if (device_ != nullptr) {
        ::ioctl(device_->descriptor.get(), TIOCNXCL);
        device_.reset();
    }
}

bool SerialPort::IsOpen() const noexcept {
    return device_ != nullptr;
}

SerialRead SerialPort::Read(std::string& bytes, int timeoutMs, std::string* reason) {
    if (device_ == nullptr) {
        return SerialRead::Lost;
    }
    const int fd = device_->descriptor.get();
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        pollfd watched{fd, POLLIN, 0};
        const int ready = ::poll(&watched, 1, RemainingMs(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0) {
            *reason = ErrnoText(errno);
            return SerialRead::Lost;
        }
        if (ready == 0) {
            return SerialRead::Timeout;
        }
        char buffer[4096];
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count > 0) {
            bytes.append(buffer, static_cast<std::size_t>(count));
            return SerialRead::Data;
        }
        if (count < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        // Readable yet nothing to read is a hang-up: the USB device went, or the other side of a
        // pseudo-terminal closed (which reads as EIO).
        *reason = count == 0 ? std::string("the device hung up") : ErrnoText(errno);
        return SerialRead::Lost;
    }
}

bool SerialPort::Write(std::string_view bytes, int timeoutMs, std::string* reason) {
    if (device_ == nullptr) {
        *reason = "the port is closed";
        return false;
    }
    const int fd = device_->descriptor.get();
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    while (!bytes.empty()) {
        const ssize_t count = ::write(fd, bytes.data(), bytes.size());
        if (count > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(count));
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0 && errno != EAGAIN) {
            *reason = ErrnoText(errno);
            return false;
        }
        pollfd watched{fd, POLLOUT, 0};
        const int ready = ::poll(&watched, 1, RemainingMs(deadline));
        if (ready == 0) {
            *reason = "the device takes no more bytes";
            return false;
        }
        if (ready < 0 && errno != EINTR) {
            *reason = ErrnoText(errno);
            return false;
        }
    }
    return true;
}

std::vector<SerialPortName> ListSerialPorts() {
    namespace fs = std::filesystem;
    std::vector<SerialPortName> ports;
    std::set<std::string> seen;
    const auto add = [&](const std::string& name) {
        if (seen.insert(name).second) {
            ports.push_back({"/dev/" + name, "/dev/" + name});
        }
    };
    std::error_code error;
    std::set<std::string> usbSerial;
    std::set<std::string> otherUsb;
    for (const fs::directory_entry& entry : fs::directory_iterator("/sys/class/tty", error)) {
        const std::string name = entry.path().filename().string();
        std::error_code linkError;
        const fs::path device = fs::canonical(entry.path() / "device", linkError);
        if (linkError || !fs::exists("/dev/" + name, linkError)) {
            continue;
        }
        if (name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0) {
            usbSerial.insert(name);
        } else if (device.string().find("/usb") != std::string::npos) {
            otherUsb.insert(name);
        }
    }
    // A system without sysfs (a container) still has the device nodes.
    for (const fs::directory_entry& entry : fs::directory_iterator("/dev", error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0) {
            usbSerial.insert(name);
        }
    }
    for (const std::string& name : usbSerial) {
        add(name);
    }
    for (const std::string& name : otherUsb) {
        add(name);
    }
    return ports;
}

}  // namespace modem
