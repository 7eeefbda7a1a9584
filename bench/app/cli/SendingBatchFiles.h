#pragma once

// The files of a sending batch benchmark, in a folder of their own under the working folder: a fleet
// of `rows` DTUs with phone numbers only, a settings file with the other fields, and the output's
// path. The folder goes with the object.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace bench {

class SendingBatchFiles {
public:
    SendingBatchFiles(const std::string& name, int rows)
        : folder(MadeFolder(name)),
          input((folder / "fleet.csv").string()),
          settings((folder / "GPRSInfo.ini").string()),
          output((folder / "out.csv").string()) {
        std::ofstream csv(input, std::ios::binary);
        csv << "dtu,phone\r\n";
        for (int row = 0; row < rows; ++row) {
            csv << "TQ-GP" << 100000 + row << ",138" << 10000000 + row << "\r\n";
        }
        std::ofstream(settings, std::ios::binary) << "[Main]\r\nStatic IP=192.168.1.100\r\nPort=6000\r\n";
    }
    ~SendingBatchFiles() { std::filesystem::remove_all(folder); }
    SendingBatchFiles(const SendingBatchFiles&) = delete;
    SendingBatchFiles& operator=(const SendingBatchFiles&) = delete;

    const std::filesystem::path folder;
    const std::string input;
    const std::string settings;
    const std::string output;

private:
    static std::filesystem::path MadeFolder(const std::string& name) {
        std::string pattern = (std::filesystem::current_path() / (name + "-XXXXXX")).string();
        return ::mkdtemp(pattern.data());
    }
};

}  // namespace bench
