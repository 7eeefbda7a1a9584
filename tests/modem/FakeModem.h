#pragma once

// A GSM modem simulated on a pseudo-terminal pair: the code under test opens the slave device
// (/dev/pts/N) as it would a USB modem's port, and a thread answers on the master side the way a
// real modem does: echo until ATE0, OK / ERROR / +CMS ERROR / +CME ERROR, the "> " prompt without a
// line end, messages stored and announced with +CMTI after AT+CNMI. Scripted faults: silence,
// delays, garbage, unsolicited lines inside an answer, a missing prompt, the device vanishing after
// a part, a locked or missing SIM card, a modem that knows only text mode.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace modem_test {

class FakeModem final {
public:
    FakeModem();
    ~FakeModem();
    FakeModem(const FakeModem&) = delete;
    FakeModem& operator=(const FakeModem&) = delete;

    const std::string& path() const { return path_; }

    // ---- the script (set before the code under test talks to the modem) ----
    void SetSilent(bool silent);                     // answers nothing at all
    void SetGarbage(bool garbage);                   // answers every command with line noise only
    void SetAnswerDelayMs(int ms);                   // waits this long before each answer
    void SetPartDelayMs(int ms);                     // each part takes this long to go out, as on a network
    void SetPinState(const std::string& state);      // "READY" (default), "SIM PIN", "SIM PUK"; "" = no SIM
    void SetTextModeOnly(bool textOnly);             // AT+CMGF=0 gives ERROR, AT+CMGF=1 OK
    void SetPromptMissing(bool missing);             // AT+CMGS=<n> never gets its "> "
    void SetPromptAnswer(const std::string& final);  // AT+CMGS=<n> gets `final` instead of its "> "
    void SetPartError(int part, const std::string& line);  // part n (1-based) answered with `line`
    void SetVanishAfterPart(int part);                     // the device disappears once part n's PDU arrived
    void SetSilentAfterPart(int part);                     // part n's PDU is taken but never confirmed
    // `lines` (each with its CR LF) are written between the information lines and the final result
    // of every command that starts with `commandPrefix`.
    void SetInterjection(const std::string& commandPrefix, const std::string& lines);
    // Stores `pdu` (an SMS-DELIVER in hex) `delayMs` after part `afterPart` was confirmed (0: after
    // AT+CNMI), announcing it with +CMTI when indications are on.
    void AddDelivery(const std::string& pdu, int delayMs, int afterPart = 0);
    // Stores `pdu` `delayMs` from now, announcing it as AddDelivery does.
    void DeliverIn(const std::string& pdu, int delayMs);
    // Called with each part's PDU once it is confirmed, on the fake's thread but outside its lock, so
    // that it may script this fake or another one: the network between several fakes.
    void SetOnPart(std::function<void(const std::string& pdu)> onPart);

    // ---- what happened ----
    std::vector<std::string> Commands() const;  // every command line received, in order
    std::vector<std::string> Pdus() const;      // the PDU of each part taken (before its Ctrl-Z)
    int Escapes() const;                        // ESC bytes received
    bool SlaveOpenedByOthers() const;           // whether a program other than this one has the port open
    std::vector<int> Deleted() const;           // indexes given to AT+CMGD

private:
    struct Delivery {
        std::string pdu;
        int delayMs = 0;
        int afterPart = 0;
        bool done = false;
        std::chrono::steady_clock::time_point due;
        bool armed = false;
    };

    void Run();
    void Feed(char byte);
    void Command(const std::string& line);
    void PartReceived();
    void Answer(const std::string& info, const std::string& final, const std::string& command);
    void Write(const std::string& bytes);
    void Arm(int part);
    void DeliverDue();
    void Vanish();

    int master_ = -1;
    int slave_ = -1;
    std::string path_;
    std::thread thread_;
    std::atomic<bool> stop_{false};

    mutable std::mutex mutex_;
    bool silent_ = false;
    bool garbage_ = false;
    int delayMs_ = 0;
    int partDelayMs_ = 0;
    std::string pinState_ = "READY";
    bool textOnly_ = false;
    std::string promptAnswer_;
    bool promptMissing_ = false;
    std::map<int, std::string> partErrors_;
    int vanishAfter_ = 0;
    int silentAfter_ = 0;
    std::map<std::string, std::string> interjections_;
    std::vector<Delivery> deliveries_;
    std::function<void(const std::string&)> onPart_;
    std::vector<std::string> partsTaken_;  // for onPart_, once the lock is released

    bool echo_ = true;
    bool indications_ = false;
    bool inPdu_ = false;
    std::string line_;
    std::string pdu_;
    int parts_ = 0;
    int nextReference_ = 17;
    std::map<int, std::string> storage_;
    int nextIndex_ = 1;
    std::vector<std::string> commands_;
    std::vector<std::string> pdus_;
    std::vector<int> deleted_;
    int escapes_ = 0;
};

// An SMS-DELIVER PDU (service-centre field first) from `originator` ("+" and digits, or digits)
// with `text`: GSM 7-bit for plain ASCII letters, digits and punctuation of the default alphabet,
// UCS-2 otherwise; with a concatenation header when `total` > 1.
std::string DeliverPdu(const std::string& originator, const std::string& text, int reference = 0,
                       int total = 1, int sequence = 1);

}  // namespace modem_test
