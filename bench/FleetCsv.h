#pragma once

// The fleet spreadsheet that the CSV benchmarks read: `kFleetRows` rows as a fleet's spreadsheet has
// them (a number, a SIM, an address, a port, an APN and a quoted note with a comma), CRLF line ends.

#include <string>

namespace bench {

constexpr int kFleetRows = 10'000;

inline std::string TypicalFleetCsv() {
    std::string text = "dtu,phone,ip,port,apn,site\r\n";
    for (int i = 0; i < kFleetRows; ++i) {
        const std::string n = std::to_string(i);
        text += "TQ-GP" + std::string(6 - n.size(), '0') + n + ",138" + std::string(8 - n.size(), '0') + n +
                ",10.0." + std::to_string(i / 256 % 256) + "." + std::to_string(i % 256) + "," +
                std::to_string(6000 + i % 100) + (i % 10 == 0 ? ",cmwap" : ",cmnet") + ",\"Site " + n +
                ", pier " + std::to_string(i % 7) + "\"\r\n";
    }
    return text;
}

}  // namespace bench
