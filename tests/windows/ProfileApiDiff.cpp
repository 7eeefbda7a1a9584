// The settings reader (settings::ProfileFile) checked against the Windows profile API under Wine.
//
// Usage: profile_api_diff --reader ProfileApiReader.exe --work DIR [--wine PROGRAM]
//                         [--files N] [--seed S]
// Generates N settings files from seed S into DIR with a case list of questions (DIR is emptied
// first; one that holds other files and no case list is refused), runs the reader once under Wine
// (PROGRAM, default "wine") to answer all of them, reads the same questions with ReadString and
// ReadInteger, and compares, key by key. Prints the counts of files, questions, agreements and
// differences by reason (also to DIR/summary.txt); DIR/differences.txt lists every difference.
// WINEPREFIX must name the Wine prefix, so that the user's own is never touched.
// Exit status: 0 when every difference has a known reason (tests/windows/ProfileDifferences.h);
// 1 when one has none; 2 when the check could not run (usage, files, Wine, a code page that does
// not map bytes one to one).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "settings/ProfileFile.h"
#include "settings/ProfileText.h"
#include "tests/windows/ProfileCases.h"
#include "tests/windows/ProfileDifferences.h"
#include "tests/windows/ProfileFileGenerator.h"

namespace {

using namespace winprofile;

struct Options {
    std::string reader;
    std::filesystem::path work;
    std::string wine = "wine";
    std::size_t files = 600;
    std::uint32_t seed = 20240614;
};

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const std::string value = argv[i + 1];
        if (name == "--reader") {
            options.reader = value;
        } else if (name == "--work") {
            options.work = value;
        } else if (name == "--wine") {
            options.wine = value;
        } else if (name == "--files") {
            options.files = std::stoul(value);
        } else if (name == "--seed") {
            options.seed = static_cast<std::uint32_t>(std::stoul(value));
        } else {
            throw std::invalid_argument("unknown option " + name);
        }
    }
    if (argc % 2 == 0 || options.reader.empty() || options.work.empty()) {
        throw std::invalid_argument(
            "usage: profile_api_diff --reader EXE --work DIR [--wine PROGRAM] [--files N] [--seed S]");
    }
    // Wine runs in the work folder.
    options.reader = std::filesystem::absolute(options.reader).string();
    options.work = std::filesystem::absolute(options.work);
    return options;
}

// Runs `wine reader cases.list answers.txt` in the work folder and waits for it.
void RunReader(const Options& options) {
    const pid_t child = fork();
    if (child < 0) {
        throw std::runtime_error("cannot start Wine");
    }
    if (child == 0) {
        if (chdir(options.work.c_str()) == 0) {
            execlp(options.wine.c_str(), options.wine.c_str(), options.reader.c_str(), "cases.list",
                   "answers.txt", static_cast<char*>(nullptr));
        }
        std::perror(options.wine.c_str());
        _exit(127);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error("the reader under Wine failed (status " + std::to_string(status) + ")");
    }
}

// Bytes as printable text: ASCII as it is, everything else as \xHH; long texts shortened.
std::string Show(std::string_view bytes) {
    std::string out = "\"";
    for (std::size_t i = 0; i < bytes.size() && i < 48; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\' && byte != '"') {
            out += static_cast<char>(byte);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        }
    }
    out += "\"";
    if (bytes.size() > 48) {
        out += "...(" + std::to_string(bytes.size()) + " bytes)";
    }
    return out;
}

struct Tally {
    std::size_t questions = 0;
    std::map<Verdict, std::size_t> text;
    std::map<Verdict, std::size_t> integer;
    std::string details;
};

void Record(Tally& tally, const std::string& file, const Question& q, const OurReading& ours,
            const Answer& api, const Comparison& comparison) {
    ++tally.questions;
    ++tally.text[comparison.text];
    ++tally.integer[comparison.integer];
    if (comparison.text == Verdict::Same && comparison.integer == Verdict::Same) {
        return;
    }
    tally.details +=
        file + " [" + Show(q.section) + "] " + Show(q.key) + " default " + Show(q.defaultText) + "/" +
        std::to_string(q.defaultInteger) + "\n  text: " + std::string(VerdictName(comparison.text)) +
        "\n    ours " + (ours.found ? "" : "(missing) ") + Show(ours.text) + "\n    API  " +
        (api.found ? "" : "(missing) ") + Show(api.bytes) + " (" + std::to_string(api.units.size()) +
        " units)\n  integer: " + std::string(VerdictName(comparison.integer)) + ", ours " +
        std::to_string(ours.integer) + ", API " + std::to_string(api.integer) + "\n";
}

Tally CompareAll(const Options& options, const std::vector<GeneratedFile>& files, const Answers& answers) {
    Tally tally;
    std::size_t next = 0;
    for (const GeneratedFile& file : files) {
        const std::string path = (options.work / file.cases.name).string();
        const settings::ProfileFile profile(path);
        const settings::ProfileText parsed(file.text);
        for (const Question& q : file.cases.questions) {
            if (next >= answers.answers.size()) {
                throw std::runtime_error("fewer answers than questions");
            }
            OurReading ours;
            ours.found = parsed.Find(q.section, q.key).has_value();
            ours.text = profile.ReadString(q.section, q.key, q.defaultText);
            ours.integer = profile.ReadInteger(q.section, q.key, q.defaultInteger);
            const Answer& api = answers.answers[next++];
            Record(tally, file.cases.name, q, ours, api, Compare(file.text, q, ours, api));
        }
    }
    if (next != answers.answers.size()) {
        throw std::runtime_error("more answers than questions");
    }
    return tally;
}

template <typename... Args>
std::string Format(const char* format, Args... args) {
    char line[256];
    std::snprintf(line, sizeof line, format, args...);
    return line;
}

std::string Counts(const char* what, const std::map<Verdict, std::size_t>& counts) {
    std::string out = Format("  %s:\n", what);
    for (const auto& [verdict, count] : counts) {
        out += Format("    %-45s %zu\n", std::string(VerdictName(verdict)).c_str(), count);
    }
    return out;
}

int Run(const Options& options) {
    // Without a prefix of its own, Wine would make or change the user's ~/.wine.
    if (std::getenv("WINEPREFIX") == nullptr) {
        throw std::runtime_error("WINEPREFIX is not set; name the Wine prefix to run the reader in");
    }
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    // The folder is emptied, so it must be one this program made (or a new one).
    if (std::filesystem::exists(options.work) && !std::filesystem::is_empty(options.work) &&
        !std::filesystem::exists(options.work / "cases.list")) {
        throw std::runtime_error(options.work.string() +
                                 " holds files of its own; give a new or earlier work folder");
    }
    std::filesystem::remove_all(options.work);
    std::filesystem::create_directories(options.work);
    const std::vector<GeneratedFile> files = GenerateProfileFiles(options.seed, options.files);
    std::vector<CaseFile> cases;
    std::bitset<kShapeCount> shapes;
    for (const GeneratedFile& file : files) {
        WriteBinaryFile(options.work / file.cases.name, file.text);
        cases.push_back(file.cases);
        shapes |= file.shapes;
    }
    WriteBinaryFile(options.work / "cases.list", FormatCaseList(cases));
    const auto generated = Clock::now();
    RunReader(options);
    const auto answered = Clock::now();
    const Answers answers = ParseAnswers(ReadBinaryFile(options.work / "answers.txt"));
    if (!answers.codePageRoundTrips) {
        throw std::runtime_error(
            "ANSI code page " + std::to_string(answers.codePage) +
            " does not map every byte to a character and back; run Wine with LC_ALL=C.UTF-8");
    }
    const Tally tally = CompareAll(options, files, answers);
    WriteBinaryFile(options.work / "differences.txt", tally.details);

    const auto seconds = [](auto from, auto to) { return std::chrono::duration<double>(to - from).count(); };
    std::string summary = Format(
        "profile differential: seed %u, %zu files, %zu questions (text and integer each), "
        "ANSI code page %u\n",
        options.seed, files.size(), tally.questions, answers.codePage);
    summary += Format("  shapes present: %zu of %zu; generate %.2f s, Wine %.2f s, compare %.2f s\n",
                      shapes.count(), kShapeCount, seconds(start, generated), seconds(generated, answered),
                      seconds(answered, Clock::now()));
    summary += Counts("text", tally.text) + Counts("integer", tally.integer);
    const bool unexplained =
        tally.text.contains(Verdict::Unexplained) || tally.integer.contains(Verdict::Unexplained);
    if (unexplained) {
        summary +=
            "Differences without a known reason: see " + (options.work / "differences.txt").string() + "\n";
    }
    std::fputs(summary.c_str(), stdout);
    WriteBinaryFile(options.work / "summary.txt", summary);
    return unexplained ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(ParseOptions(argc, argv));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "profile_api_diff: %s\n", error.what());
        return 2;
    }
}
