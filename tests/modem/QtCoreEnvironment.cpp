// The QCoreApplication that the serial port and D-Bus code needs, for the whole test program.

#include <memory>

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

class QtCoreEnvironment final : public testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "modem-test";
        static char* argv[] = {name, nullptr};
        application_ = std::make_unique<QCoreApplication>(argc, argv);
    }
    void TearDown() override { application_.reset(); }

private:
    std::unique_ptr<QCoreApplication> application_;
};

[[maybe_unused]] testing::Environment* const environment =
    testing::AddGlobalTestEnvironment(new QtCoreEnvironment);

}  // namespace
