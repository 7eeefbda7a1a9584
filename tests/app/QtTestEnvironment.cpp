#include <memory>

#include <gtest/gtest.h>

#include "tests/app/WindowTestSupport.h"

namespace apptest {

namespace {

class QtEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "dtusms-window-test";
        static char* argv[] = {name, nullptr};
        application = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { application.reset(); }

    std::unique_ptr<QApplication> application;
};

QtEnvironment* const environment =
    static_cast<QtEnvironment*>(::testing::AddGlobalTestEnvironment(new QtEnvironment));

}  // namespace

QApplication& Application() {
    return *environment->application;
}

}  // namespace apptest
