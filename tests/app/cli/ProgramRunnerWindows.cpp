// The Windows build of ProgramRunner: CreateProcessW with standard output and standard error sent to
// files, an environment block of this process's variables with the extra ones on top.

#include "tests/app/cli/ProgramRunner.h"

#include <algorithm>
#include <map>

#include <windows.h>

#include "base/AsciiText.h"
#include "base/WideText.h"
#include "tests/sms/TempDir.h"

namespace app::testing {

namespace {

// One argument as CommandLineToArgvW and the C runtime read it back: quoted when it holds a blank or
// a quote or is empty, with the backslashes before a quote (and before the closing quote) doubled.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        return argument;
    }
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

bool IsLocaleVariable(const std::string& name) {
    const std::string upper = base::UpperCaseAscii(name);
    return upper == "LANG" || upper == "LC_ALL" || upper == "LC_MESSAGES";
}

// This process's variables with `extra` on top ("NAME=value"), sorted as Windows wants the block.
std::wstring EnvironmentBlock(const std::vector<std::string>& extra, LocaleVariables locale) {
    std::map<std::string, std::wstring> variables;  // upper-case name -> "Name=value"
    wchar_t* strings = ::GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
        const std::string text = base::ToUtf8(entry);
        // Entries such as "=C:=C:\folder" keep each drive's current folder; their name starts after '='.
        const std::string name = text.substr(0, text.find('=', 1));
        if (locale == LocaleVariables::kInherit || !IsLocaleVariable(name)) {
            variables[base::UpperCaseAscii(name)] = entry;
        }
    }
    ::FreeEnvironmentStringsW(strings);
    for (const std::string& text : extra) {
        variables[base::UpperCaseAscii(text.substr(0, text.find('=')))] = base::ToWide(text);
    }
    std::wstring block;
    for (const auto& [name, entry] : variables) {
        block += entry;
        block += L'\0';
    }
    return block + L'\0';
}

HANDLE InheritableFile(const std::wstring& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The C runtime writes each line end as CR LF in text mode, as every Windows console program does; the
// tests compare the lines, so the captured text gets the line ends they expect.
std::string WithNewlines(std::string text) {
    std::string::size_type at = 0;
    while ((at = text.find("\r\n", at)) != std::string::npos) {
        text.erase(at, 1);
    }
    return text;
}

}  // namespace

Outcome RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& extraEnvironment,
                   LocaleVariables locale) {
    return RunProgramFile(DTUSMS_PROGRAM, args, extraEnvironment, locale);
}

Outcome RunProgramFile(const std::string& program, const std::vector<std::string>& args,
                       const std::vector<std::string>& extraEnvironment, LocaleVariables locale) {
    sms::testing::TempDir capture;
    const std::wstring outPath = base::ToWide(capture.File("out"));
    const std::wstring errPath = base::ToWide(capture.File("err"));
    std::wstring commandLine = Quoted(base::ToWide(program));
    for (const std::string& argument : args) {
        commandLine += L" " + Quoted(base::ToWide(argument));
    }
    std::wstring environment = EnvironmentBlock(extraEnvironment, locale);

    Outcome outcome;
    const HANDLE input = InheritableFile(L"NUL", GENERIC_READ, OPEN_EXISTING);
    const HANDLE output = InheritableFile(outPath, GENERIC_WRITE, CREATE_ALWAYS);
    const HANDLE error = InheritableFile(errPath, GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = error;
    PROCESS_INFORMATION process{};
    if (::CreateProcessW(base::ToWide(program).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                         CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, environment.data(), nullptr, &startup,
                         &process)) {
        ::WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        if (::GetExitCodeProcess(process.hProcess, &code)) {
            outcome.status = static_cast<int>(code);
        }
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::CloseHandle(input);
    ::CloseHandle(output);
    ::CloseHandle(error);
    outcome.out = WithNewlines(sms::testing::ReadBytes(capture.File("out")));
    outcome.err = WithNewlines(sms::testing::ReadBytes(capture.File("err")));
    return outcome;
}

}  // namespace app::testing
