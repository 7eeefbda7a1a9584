// dtusms listen --fleet with 10,000 DTUs that connect over loopback as fast as four clients can open
// connections, each sending its number (half as a text line, half inside a binary frame), among
// peers that send garbage, nothing, or 1 MiB. Measured: whether every DTU was seen (the program's
// status and the online cells of its --output), the time from the first connection to the program's
// exit, and the program's peak memory.

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/app/ProcessLaunch.h"

namespace {

constexpr int kDtus = 10'000;
constexpr int kClients = 4;

std::string DtuNumber(int i) {
    char text[32];
    std::snprintf(text, sizeof text, "TQ-GP%06d", i + 1);
    return text;
}

int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

// Connects to the listener, retrying while it is not up yet; -1 when it never answers.
int Connect(int port) {
    for (int attempt = 0; attempt < 500; ++attempt) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            return fd;
        }
        ::close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

void SendAll(int fd, const std::string& bytes) {
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return;
        }
        sent += static_cast<std::size_t>(n);
    }
}

// What DTU i sends first: a registration line, or its number inside a binary frame.
std::string FirstBytes(int i) {
    if (i % 2 == 0) {
        return "REG " + DtuNumber(i) + "\r\n";
    }
    std::string frame("\x7e\x01\x00\x0b", 4);
    frame += DtuNumber(i);
    frame += std::string("\x00\xa5\x7e", 3);
    return frame;
}

// Peers that name no DTU: garbage, silence for their whole window, and 1 MiB.
void Nuisances(int port) {
    std::vector<int> silent;
    for (int i = 0; i < 100; ++i) {
        const int fd = Connect(port);
        SendAll(fd, std::string("\x01\x02\xff garbage TQ-GX", 15));
        ::close(fd);
    }
    for (int i = 0; i < 20; ++i) {
        silent.push_back(Connect(port));
    }
    for (int i = 0; i < 2; ++i) {
        const int fd = Connect(port);
        SendAll(fd, std::string(1 << 20, 'z'));
        ::close(fd);
    }
    for (const int fd : silent) {
        ::close(fd);
    }
}

int CountOnline(const std::filesystem::path& board) {
    std::ifstream in(board);
    std::string line;
    int online = 0;
    while (std::getline(in, line)) {
        online += line.find(",yes,") != std::string::npos ? 1 : 0;
    }
    return online;
}

void BM_ListenFleet(benchmark::State& state) {
    std::string pattern = (std::filesystem::temp_directory_path() / "dtusms-listen-bench-XXXXXX").string();
    const std::filesystem::path folder = ::mkdtemp(pattern.data());
    const std::filesystem::path fleet = folder / "sent.csv";
    const std::filesystem::path board = folder / "board.csv";
    {
        std::ofstream out(fleet, std::ios::binary);
        out << "dtu,phone,status\r\n";
        for (int i = 0; i < kDtus; ++i) {
            out << DtuNumber(i) << ",138" << (10'000'000 + i) << ",ok\r\n";
        }
    }
    std::ofstream(folder / "GPRSInfo.ini", std::ios::binary) << "[Main]\r\nPort=6000\r\n";

    for (auto _ : state) {
        const int port = FreePort();
        const std::vector<std::string> arguments{DTUSMS_PROGRAM, "listen",
                                                 "--settings",   (folder / "GPRSInfo.ini").string(),
                                                 "--bind",       "127.0.0.1",
                                                 "--port",       std::to_string(port),
                                                 "--fleet",      fleet.string(),
                                                 "--output",     board.string(),
                                                 "--timeout",    "60"};
        bench::Run run;
        std::thread program([&] { run = bench::Launch(arguments); });
        // The listener is up once one connection gets through.
        const int probe = Connect(port);
        ::close(probe);

        const auto start = std::chrono::steady_clock::now();
        std::atomic<int> failed{0};
        std::vector<std::thread> clients;
        clients.emplace_back(Nuisances, port);
        for (int c = 0; c < kClients; ++c) {
            clients.emplace_back([c, port, &failed] {
                for (int i = c; i < kDtus; i += kClients) {
                    const int fd = Connect(port);
                    if (fd < 0) {
                        ++failed;
                        continue;
                    }
                    SendAll(fd, FirstBytes(i));
                    ::close(fd);
                }
            });
        }
        for (std::thread& client : clients) {
            client.join();
        }
        const double connecting =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        program.join();
        const double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (run.seconds == 0) {
            state.SkipWithError("dtusms listen --fleet did not end with status 0 (a DTU was missed)");
        }
        const int online = CountOnline(board);
        state.SetIterationTime(total);
        state.counters["dtus"] = kDtus;
        state.counters["missed"] = kDtus - online;
        state.counters["connect_failures"] = failed.load();
        state.counters["connecting_s"] = connecting;
        state.counters["peak_rss_mib"] = run.maxRssKb / 1024.0;
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ListenFleet)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
