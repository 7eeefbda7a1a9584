#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "settings/Settings.h"
#include "sms/SmsCommand.h"

namespace {

const char kNineKeys[] =
    "[Main]\r\nnLanguageID=0\r\nServer address mode=0\r\nPort=6000\r\nStatic IP=192.168.1.100\r\n"
    "Domain address=myserver.example.com\r\nSMS command type=0\r\nService network(APN)=0\r\n"
    "Other APN=\r\nDTU number=TQ-GP000001\r\n";

class BenchFolder {
public:
    BenchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "dtusms-bench-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~BenchFolder() { std::filesystem::remove_all(path_); }
    std::string File(const char* name) const { return (path_ / name).string(); }
    std::string Folder() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

void BM_SaveSetting(benchmark::State& state) {
    BenchFolder folder;
    const std::string path = folder.File("GPRSInfo.ini");
    std::ofstream(path, std::ios::binary) << kNineKeys;
    int port = 6000;
    for (auto _ : state) {
        // Alternating values keep the file the same size, so every round writes the same bytes count.
        port = port == 6000 ? 6001 : 6000;
        settings::SaveSetting(path, sms::keys::kPort, port);
    }
}
BENCHMARK(BM_SaveSetting)->Unit(benchmark::kMicrosecond);

// The bare minimum an atomic replace costs: the same bytes to a temporary file, fsync, rename, and
// fsync of the folder, exactly the flushing that SaveSetting does.
void BM_ReferenceAtomicWrite(benchmark::State& state) {
    BenchFolder folder;
    const std::string path = folder.File("GPRSInfo.ini");
    const std::string temporary = folder.File(".GPRSInfo.ini.tmp");
    const std::string folderPath = folder.Folder();
    const std::string content = kNineKeys;
    for (auto _ : state) {
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        benchmark::DoNotOptimize(::write(fd, content.data(), content.size()));
        ::fsync(fd);
        ::close(fd);
        ::rename(temporary.c_str(), path.c_str());
        const int dir = ::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::fsync(dir);
        ::close(dir);
    }
}
BENCHMARK(BM_ReferenceAtomicWrite)->Unit(benchmark::kMicrosecond);

void BM_GenerateSMSCommand(benchmark::State& state) {
    sms::TGPRSInfo info;
    info.StaticIP = " 192.168.1.100 ";
    info.ServiceNetwork = 3;
    info.OtherAPN = "myapn";
    for (auto _ : state) {
        benchmark::DoNotOptimize(info);
        sms::SmsCommandResult result = sms::GenerateSMSCommand(info);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_GenerateSMSCommand);

}  // namespace

BENCHMARK_MAIN();
