// The Linux tests' fake modem as a program of its own, for the end-to-end test of the Windows window
// (scripts/win32-window-test.sh), which links a COM port of its Wine prefix to it: prints the
// pseudo-terminal's path on one line, answers until its standard input ends, then prints how many
// parts the modem took ("parts: N") and the commands it received, one a line. With --silent it
// answers nothing at all.

#include <iostream>
#include <string>

#include "tests/modem/FakeModem.h"

int main(int argc, char** argv) {
    modem_test::FakeModem fake;
    fake.SetSilent(argc > 1 && std::string(argv[1]) == "--silent");
    std::cout << fake.path() << std::endl;
    std::string ignored;
    while (std::getline(std::cin, ignored)) {
    }
    std::cout << "parts: " << fake.Pdus().size() << '\n';
    for (const std::string& command : fake.Commands()) {
        std::cout << command << '\n';
    }
    return 0;
}
