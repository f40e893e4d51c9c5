// How the program ends besides its own keys: its window closed, its display gone.
#include "tests/e2e/e2e_environment.h"

namespace {

using LifetimeTest = ProgramTest;

TEST_F(LifetimeTest, ClosingTheWindowEndsTheProgram) {
    WaitUntilShowing();
    Program().Close();
    ExpectEndsCleanly(Program());
}

// On a server of its own, which the test then ends: the program must not spin on without it.
TEST(DisplayLossTest, ProgramEndsWhenItsDisplayGoesAway) {
    const std::unique_ptr<XServer> server =
        XServer::Start(Options().withWindowManager, Options().withSharedMemory, Options().depth);
    ASSERT_TRUE(server);
    ProgramUnderTest program(*server, Frames(), Options().command);
    ASSERT_TRUE(program.WaitForFrame([](int) { return true; }, kFrameTimeout)) << "no frame was ever shown";
    server->Kill();
    ExpectEndsCleanly(program, "still running without its display");
}

}  // namespace
