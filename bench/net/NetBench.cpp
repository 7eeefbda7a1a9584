#include <string>

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "net/AddressLookup.h"
#include "net/TcpConnect.h"
#include "net/WanAddress.h"

namespace {

// A loopback port that was free a moment ago: bound, read back, closed.
int RefusedPort() {
    const int descriptor = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    ::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(descriptor);
    return ntohs(address.sin_port);
}

void RefusedPortIsReported(benchmark::State& state) {
    const int port = RefusedPort();
    for (auto _ : state) {
        const bool connected = net::TestTcpConnect("127.0.0.1", port);
        benchmark::DoNotOptimize(connected);
        if (connected) {
            state.SkipWithError("the refused port was taken meanwhile");
            break;
        }
    }
}
BENCHMARK(RefusedPortIsReported)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

void ResolveDottedLoopback(benchmark::State& state) {
    for (auto _ : state) {
        std::string address = net::ResolveHostIP("127.0.0.1");
        benchmark::DoNotOptimize(address);
    }
}
BENCHMARK(ResolveDottedLoopback)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

void CutH2AddressOfAFullReply(benchmark::State& state) {
    std::string body(net::kMaxReplyBytes - 32, 'x');
    body += "<h2>203.0.113.45, more</h2>";
    for (auto _ : state) {
        std::string address = net::CutH2Address(body);
        benchmark::DoNotOptimize(address);
    }
}
BENCHMARK(CutH2AddressOfAFullReply)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
