// The Linux tests' fake modem as a program of its own, for the end-to-end test of the Windows window
// (scripts/win32-window-test.sh), which links a COM port of its Wine prefix to it: prints the
// pseudo-terminal's path on one line, answers until its standard input ends, then prints how many
// parts the modem took ("parts: N") and the commands it received, one a line. With --silent it
// answers nothing at all; with --reply TEXT the DTU at +8613800138000 answers TEXT after the first
// part.

#include <iostream>
#include <string>

#include "tests/modem/FakeModem.h"

int main(int argc, char** argv) {
    modem_test::FakeModem fake;
    const std::string option = argc > 1 ? argv[1] : "";
    fake.SetSilent(option == "--silent");
    if (option == "--reply" && argc > 2) {
        fake.AddDelivery(modem_test::DeliverPdu("+8613800138000", argv[2]), 300, 1);
    }
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
