#include "modem/KannelTransport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <future>
#include <mutex>
#include <string>

#include <gtest/gtest.h>

#include "tests/net/LoopbackPeers.h"

namespace modem::gateway {
namespace {

// Kannel calling the receiver: one GET, the answer read and dropped.
void Call(int port, const std::string& target) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    const std::string request = "GET " + target + " HTTP/1.1\r\n\r\n";
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    char buffer[256];
    while (::recv(fd, buffer, sizeof buffer, 0) > 0) {
    }
    ::close(fd);
}

// The fake Kannel's address as a send URL with credentials.
std::string SendUrl(const nettest::HttpServer& kannel) {
    std::string url = kannel.Url();
    url.insert(std::string("http://").size(), "dtusms:pa55word@");
    return url.substr(0, url.find('/', std::string("http://").size())) + "/cgi-bin/sendsms";
}

// A transport with a receiver, and what it said while it worked.
struct Harness {
    std::mutex mutex;
    std::string partNote;  // "part 1 is <reference>: ..."
    std::atomic<bool> waiting{false};
    std::unique_ptr<KannelTransport> transport;

    explicit Harness(const std::string& url) {
        KannelOptions options;
        options.receiver = ListenAddress{"127.0.0.1", 0};
        options.onProgress = [this](const modem::Progress& progress) {
            if (progress.stage == modem::Stage::WaitingForReply) {
                waiting = true;
            }
        };
        options.onLog = [this](const modem::LogEntry& entry) {
            if (entry.text.rfind("part 1 is ", 0) == 0) {
                const std::lock_guard lock(mutex);
                partNote = entry.text;
            }
        };
        transport = std::make_unique<KannelTransport>(url, std::move(options));
    }
    int port() const {
        return std::stoi(transport->ReceiverUrl().substr(transport->ReceiverUrl().rfind(':') + 1));
    }
    std::string Reference() {
        const std::lock_guard lock(mutex);
        const std::size_t start = std::string("part 1 is ").size();
        return partNote.substr(start, partNote.find(':', start) - start);
    }
    void AwaitWaiting() const {
        for (int i = 0; i < 500 && !waiting; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_TRUE(waiting);
    }
};

modem::SendRequest Request(int replySeconds) {
    modem::SendRequest request;
    request.number = "+86 138 0013 8000";
    request.text = "(A55A#1*10.0.0.1*5000#3*CMNET#4*TQ-1)";
    request.replyTimeoutSeconds = replySeconds;
    return request;
}

TEST(KannelTransportTest, OnlyTheDtusAnswerAfterTheSendIsItsReply) {
    const nettest::HttpServer kannel("0: Accepted for delivery", false, "202 Accepted");
    Harness harness(SendUrl(kannel));
    Call(harness.port(), "/kannel/mo?from=%2B8613800138000&text=too+early");
    auto sending = std::async(std::launch::async, [&] { return harness.transport->Send(Request(10)); });
    harness.AwaitWaiting();
    Call(harness.port(), "/kannel/mo?from=%2B8613900000000&text=someone+else");
    Call(harness.port(), "/kannel/mo?from=13800138000&text=CONFIG+OK");
    const modem::SendResult result = sending.get();

    EXPECT_EQ(result.error.kind, modem::ErrorKind::None) << modem::RenderMessage(result.error.message);
    EXPECT_EQ(result.reply, "CONFIG OK");
    ASSERT_EQ(result.references.size(), 1U);
    EXPECT_EQ(result.references[0], harness.Reference());
    EXPECT_EQ(result.modem.find("pa55word"), std::string::npos);
    EXPECT_EQ(harness.transport->LastAnswers(), std::vector<std::string>{"Accepted for delivery"});
    for (const modem::LogEntry& entry : harness.transport->Log()) {
        EXPECT_EQ(entry.text.find("pa55word"), std::string::npos) << entry.text;
    }
}

TEST(KannelTransportTest, AFailedDeliveryEndsTheWaitAndOtherRunsReportsDoNot) {
    const nettest::HttpServer kannel("3: Queued for later delivery", false, "202 Accepted");
    Harness harness(SendUrl(kannel));
    auto sending = std::async(std::launch::async, [&] { return harness.transport->Send(Request(20)); });
    harness.AwaitWaiting();
    const std::string reference = harness.Reference();
    ASSERT_FALSE(reference.empty());
    // An earlier run's part with the same counter: another prefix.
    const std::string foreign = "00000000" + reference.substr(reference.find('-'));
    Call(harness.port(), "/kannel/dlr?ref=" + foreign + "&status=2");
    Call(harness.port(), "/kannel/dlr?ref=" + reference + "&status=8");
    Call(harness.port(), "/kannel/dlr?ref=" + reference + "&status=16&answer=NACK");
    const modem::SendResult result = sending.get();

    EXPECT_EQ(result.error.kind, modem::ErrorKind::Refused);
    EXPECT_NE(modem::RenderMessage(result.error.message).find("rejected by the SMSC"), std::string::npos)
        << modem::RenderMessage(result.error.message);
    EXPECT_EQ(result.references, std::vector<std::string>{reference});
    ASSERT_TRUE(harness.transport->ReportFor(reference));
    EXPECT_EQ(harness.transport->ReportFor(reference)->status, 16);
    EXPECT_FALSE(harness.transport->ReportFor(foreign));
}

TEST(KannelTransportTest, WaitingForAReplyNeedsTheReceiver) {
    const nettest::HttpServer accepting("0: Accepted for delivery", false, "202 Accepted");
    KannelTransport deaf(SendUrl(accepting), {});
    const modem::SendResult unheard = deaf.Send(Request(5));
    EXPECT_EQ(unheard.error.kind, modem::ErrorKind::InvalidRequest);
    EXPECT_TRUE(unheard.references.empty());
}

}  // namespace
}  // namespace modem::gateway
