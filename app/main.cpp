#include "app/WindowStartup.h"

int main(int argc, char** argv) {
    return app::RunWindow(argc, argv);
}
