// Asks the Windows profile API the questions of a case list (tests/windows/ProfileCases.h) and
// writes its answers, so that a Linux program can compare them with what settings::ProfileFile reads.
//
// Usage: ProfileApiReader.exe <case list> <answers file>
// Settings files are found relative to the case list's folder; tests/windows/ProfileApi.h says how
// each question is asked. Exit status: 0 answers written; 1 a file could not be read or written,
// or the list is malformed; 2 wrong usage.

#include <windows.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/windows/ProfileApi.h"
#include "tests/windows/ProfileCases.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("usage: ProfileApiReader.exe <case list> <answers file>\n", stderr);
        return 2;
    }
    try {
        const std::filesystem::path list = std::filesystem::absolute(argv[1]);
        const std::vector<winprofile::CaseFile> files =
            winprofile::ParseCaseList(winprofile::ReadBinaryFile(list));
        std::string answers = winprofile::FormatAnswersHeader(GetACP(), winprofile::AnsiCodePageRoundTrips());
        for (const winprofile::CaseFile& file : files) {
            answers += winprofile::AnswerFile(file, list.parent_path());
        }
        winprofile::WriteBinaryFile(argv[2], answers);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ProfileApiReader: %s\n", error.what());
        return 1;
    }
    return 0;
}
