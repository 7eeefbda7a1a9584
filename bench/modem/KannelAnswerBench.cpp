// Kannel's own answer time: COUNT sendsms requests, one after the other, each on its own
// connection as dtusms makes them, from the thinnest client there is (a blocking socket, the request
// written by hand, the answer read to its end). kannel_bench.sh sets the difference from dtusms.
//
//   bench_kannel_answer PORT USER PASSWORD COUNT [DLR_PORT]
// With DLR_PORT, each request asks for delivery reports at http://127.0.0.1:DLR_PORT/kannel/dlr, as
// dtusms does with --gateway-listen.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// One request; true when Kannel took the message.
bool SendOne(int port, const std::string& target) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return false;
    }
    const std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string answer;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0) {
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return answer.find("\r\n\r\n0: Accepted") != std::string::npos ||
           answer.find("\r\n\r\n3: Queued") != std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr, "usage: %s PORT USER PASSWORD COUNT [DLR_PORT]\n", argv[0]);
        return 2;
    }
    const int port = std::atoi(argv[1]);
    const std::string user = argv[2];
    const std::string password = argv[3];
    const int count = std::atoi(argv[4]);
    const std::string dlr = argc == 6 ? std::string("&dlr-mask=31&dlr-url=http%3A%2F%2F127.0.0.1%3A") +
                                            argv[5] + "%2Fkannel%2Fdlr%3Fref%3Dbench%26status%3D%25d"
                                      : std::string();
    int accepted = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        // The same shape of request as dtusms sends: a DTU command to a distinct number.
        const std::string target = "/cgi-bin/sendsms?username=" + user + "&password=" + password +
                                   "&to=%2B86139" + std::to_string(10000000 + i) +
                                   "&text=%28A55A%231%2A10.0.0.1%2A5000%233%2ACMNET%234%2A" +
                                   std::to_string(10000000000LL + i) + "%29&charset=UTF-8" + dlr;
        accepted += SendOne(port, target) ? 1 : 0;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("kannel_answer_total_s=%.3f per_sms_ms=%.3f accepted=%d of %d\n", seconds,
                seconds * 1000 / count, accepted, count);
    return accepted == count ? 0 : 1;
}
