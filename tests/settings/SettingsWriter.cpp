// A settings writer that never stops, for the test that ends writers at random moments: it writes
// "Port" of the settings file named by its argument, 1111 and 2222 by turns, until it is ended.

#include <cstdio>
#include <exception>

#include "settings/ProfileFile.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: settings_writer FILE\n");
        return 2;
    }
    const settings::ProfileFile file(argv[1]);
    for (int i = 0;; ++i) {
        try {
            file.WriteString("Main", "Port", i % 2 ? "1111" : "2222");
        } catch (const std::exception& error) {
            std::fprintf(stderr, "settings_writer: %s\n", error.what());
            return 1;
        }
    }
}
