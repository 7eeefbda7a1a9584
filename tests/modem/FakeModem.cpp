#include "tests/modem/FakeModem.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace modem_test {
namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

FakeModem::FakeModem() {
    char name[128] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    // Raw, so that the line discipline neither echoes nor translates line ends before the code under
    // test sets the port up itself.
    termios settings{};
    tcgetattr(slave_, &settings);
    cfmakeraw(&settings);
    tcsetattr(slave_, TCSANOW, &settings);
    path_ = name;
    thread_ = std::thread([this] { Run(); });
}

FakeModem::~FakeModem() {
    stop_ = true;
    thread_.join();
    std::lock_guard lock(mutex_);
    if (master_ >= 0) {
        close(master_);
    }
    close(slave_);
}

void FakeModem::SetSilent(bool silent) {
    std::lock_guard lock(mutex_);
    silent_ = silent;
}
void FakeModem::SetGarbage(bool garbage) {
    std::lock_guard lock(mutex_);
    garbage_ = garbage;
}
void FakeModem::SetAnswerDelayMs(int ms) {
    std::lock_guard lock(mutex_);
    delayMs_ = ms;
}
void FakeModem::SetPartDelayMs(int ms) {
    std::lock_guard lock(mutex_);
    partDelayMs_ = ms;
}
void FakeModem::SetPinState(const std::string& state) {
    std::lock_guard lock(mutex_);
    pinState_ = state;
}
void FakeModem::SetTextModeOnly(bool textOnly) {
    std::lock_guard lock(mutex_);
    textOnly_ = textOnly;
}
void FakeModem::SetPromptMissing(bool missing) {
    std::lock_guard lock(mutex_);
    promptMissing_ = missing;
}
void FakeModem::SetPromptAnswer(const std::string& final) {
    std::lock_guard lock(mutex_);
    promptAnswer_ = final;
}
void FakeModem::SetPartError(int part, const std::string& line) {
    std::lock_guard lock(mutex_);
    partErrors_[part] = line;
}
void FakeModem::SetVanishAfterPart(int part) {
    std::lock_guard lock(mutex_);
    vanishAfter_ = part;
}
void FakeModem::SetSilentAfterPart(int part) {
    std::lock_guard lock(mutex_);
    silentAfter_ = part;
}
void FakeModem::SetInterjection(const std::string& commandPrefix, const std::string& lines) {
    std::lock_guard lock(mutex_);
    interjections_[Upper(commandPrefix)] = lines;
}
void FakeModem::AddDelivery(const std::string& pdu, int delayMs, int afterPart) {
    std::lock_guard lock(mutex_);
    Delivery delivery;
    delivery.pdu = pdu;
    delivery.delayMs = delayMs;
    delivery.afterPart = afterPart;
    deliveries_.push_back(delivery);
}

void FakeModem::DeliverIn(const std::string& pdu, int delayMs) {
    std::lock_guard lock(mutex_);
    Delivery delivery;
    delivery.pdu = pdu;
    delivery.armed = true;
    delivery.due = std::chrono::steady_clock::now() + std::chrono::milliseconds(delayMs);
    deliveries_.push_back(delivery);
}
void FakeModem::SetOnPart(std::function<void(const std::string& pdu)> onPart) {
    std::lock_guard lock(mutex_);
    onPart_ = std::move(onPart);
}

std::vector<std::string> FakeModem::Commands() const {
    std::lock_guard lock(mutex_);
    return commands_;
}
std::vector<std::string> FakeModem::Pdus() const {
    std::lock_guard lock(mutex_);
    return pdus_;
}
int FakeModem::Escapes() const {
    std::lock_guard lock(mutex_);
    return escapes_;
}
std::vector<int> FakeModem::Deleted() const {
    std::lock_guard lock(mutex_);
    return deleted_;
}

bool FakeModem::SlaveOpenedByOthers() const {
    int opened = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        std::error_code readError;
        if (std::filesystem::read_symlink(entry.path(), readError) == path_) {
            ++opened;
        }
    }
    return opened > 1;  // this fake keeps one descriptor of its own
}

void FakeModem::Run() {
    while (!stop_) {
        int master;
        {
            std::lock_guard lock(mutex_);
            master = master_;
            DeliverDue();
        }
        if (master < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        pollfd watch{master, POLLIN, 0};
        if (poll(&watch, 1, 10) <= 0 || (watch.revents & POLLIN) == 0) {
            continue;
        }
        char buffer[512];
        const ssize_t count = read(master, buffer, sizeof buffer);
        if (count <= 0) {
            continue;
        }
        std::vector<std::string> taken;
        std::function<void(const std::string&)> onPart;
        {
            std::lock_guard lock(mutex_);
            for (ssize_t i = 0; i < count && master_ >= 0; ++i) {
                Feed(buffer[i]);
            }
            taken.swap(partsTaken_);
            onPart = onPart_;
        }
        for (const std::string& pdu : taken) {
            onPart(pdu);
        }
    }
}

void FakeModem::Write(const std::string& bytes) {
    if (master_ >= 0 && !bytes.empty()) {
        [[maybe_unused]] const ssize_t written = write(master_, bytes.data(), bytes.size());
    }
}

void FakeModem::Feed(char byte) {
    if (inPdu_) {
        if (byte == '\x1A') {
            inPdu_ = false;
            PartReceived();
        } else if (byte == '\x1B') {
            inPdu_ = false;
            ++escapes_;
            pdu_.clear();
            Write("\r\nOK\r\n");
        } else {
            pdu_ += byte;
            if (echo_) {
                Write(std::string(1, byte));
            }
        }
        return;
    }
    if (byte == '\x1B') {
        ++escapes_;
        return;
    }
    if (echo_) {
        Write(std::string(1, byte));
    }
    if (byte == '\r') {
        const std::string line = line_;
        line_.clear();
        if (!line.empty()) {
            Command(line);
        }
    } else if (byte != '\n') {
        line_ += byte;
    }
}

void FakeModem::Answer(const std::string& info, const std::string& final, const std::string& command) {
    if (delayMs_ > 0) {
        // The lock is held on purpose: a slow modem answers nothing else meanwhile either.
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs_));
    }
    std::string out = info;
    for (const auto& [prefix, lines] : interjections_) {
        if (StartsWith(command, prefix)) {
            out += lines;
        }
    }
    Write(out + "\r\n" + final + "\r\n");
}

void FakeModem::Command(const std::string& line) {
    commands_.push_back(line);
    if (silent_) {
        return;
    }
    if (garbage_) {
        Write("\xFF\xFE\x13#!\x80\x81 garbage \x9C\r\n");
        return;
    }
    const std::string command = Upper(line);
    if (command == "AT" || command == "AT+CMEE=1") {
        Answer("", "OK", command);
    } else if (command == "ATE0") {
        echo_ = false;
        Answer("", "OK", command);
    } else if (command == "AT+CPIN?") {
        if (pinState_.empty()) {
            Answer("", "+CME ERROR: 10", command);
        } else {
            Answer("\r\n+CPIN: " + pinState_ + "\r\n", "OK", command);
        }
    } else if (command == "AT+CMGF=0") {
        Answer("", textOnly_ ? "ERROR" : "OK", command);
    } else if (command == "AT+CMGF=1") {
        Answer("", "OK", command);
    } else if (StartsWith(command, "AT+CNMI=")) {
        indications_ = true;
        Arm(0);
        Answer("", "OK", command);
    } else if (StartsWith(command, "AT+CMGS=")) {
        if (!promptAnswer_.empty()) {
            Answer("", promptAnswer_, command);
        } else if (!promptMissing_) {
            Write("\r\n> ");
            inPdu_ = true;
            pdu_.clear();
        }
    } else if (StartsWith(command, "AT+CMGR=")) {
        const int index = std::atoi(command.c_str() + 8);
        const auto stored = storage_.find(index);
        if (stored == storage_.end()) {
            Answer("", "+CMS ERROR: 321", command);
        } else {
            const std::string& pdu = stored->second;
            const int length =
                static_cast<int>(pdu.size() / 2) - (std::stoi(pdu.substr(0, 2), nullptr, 16) + 1);
            Answer("\r\n+CMGR: 0,," + std::to_string(length) + "\r\n" + pdu + "\r\n", "OK", command);
        }
    } else if (StartsWith(command, "AT+CMGD=")) {
        deleted_.push_back(std::atoi(command.c_str() + 8));
        Answer("", "OK", command);
    } else {
        Answer("", "ERROR", command);
    }
}

void FakeModem::PartReceived() {
    const int part = ++parts_;
    pdus_.push_back(pdu_);
    pdu_.clear();
    if (part == vanishAfter_) {
        Vanish();
        return;
    }
    if (part == silentAfter_) {
        return;
    }
    if (const auto error = partErrors_.find(part); error != partErrors_.end()) {
        Answer("", error->second, "AT+CMGS");
        return;
    }
    if (partDelayMs_ > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(partDelayMs_));
    }
    Answer("\r\n+CMGS: " + std::to_string(nextReference_++) + "\r\n", "OK", "AT+CMGS");
    Arm(part);
    if (onPart_) {
        partsTaken_.push_back(pdus_.back());
    }
}

void FakeModem::Arm(int part) {
    const auto now = std::chrono::steady_clock::now();
    for (Delivery& delivery : deliveries_) {
        if (!delivery.armed && delivery.afterPart == part) {
            delivery.armed = true;
            delivery.due = now + std::chrono::milliseconds(delivery.delayMs);
        }
    }
}

void FakeModem::DeliverDue() {
    const auto now = std::chrono::steady_clock::now();
    for (Delivery& delivery : deliveries_) {
        if (delivery.armed && !delivery.done && delivery.due <= now) {
            delivery.done = true;
            const int index = nextIndex_++;
            storage_[index] = delivery.pdu;
            if (indications_) {
                Write("\r\n+CMTI: \"SM\"," + std::to_string(index) + "\r\n");
            }
        }
    }
}

void FakeModem::Vanish() {
    close(master_);
    master_ = -1;
}

}  // namespace modem_test
