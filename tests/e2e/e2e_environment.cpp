// The suite's shared state, and main(): which program to test and whether a window manager runs.
#include "tests/e2e/e2e_environment.h"

#include "tests/e2e/weston_session.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>

namespace {

std::unique_ptr<XServer>& ServerSlot() {
    static std::unique_ptr<XServer> server;
    return server;
}

// Ends the shared X server (and its window manager) once every test has run.
class SharedServerEnvironment final : public ::testing::Environment {
public:
    void TearDown() override {
        EndSharedCompositor();
        ServerSlot().reset();
    }
};

std::vector<std::string> SplitWords(const std::string& text) {
    std::istringstream words(text);
    std::vector<std::string> result;
    for (std::string word; words >> word;) result.push_back(word);
    return result;
}

}  // namespace

E2eOptions& Options() {
    static E2eOptions options;
    return options;
}

XServer& SharedServer() {
    std::unique_ptr<XServer>& server = ServerSlot();
    if (!server) server = XServer::Start(Options().withWindowManager, Options().withSharedMemory, Options().depth);
    if (!server) {
        std::cerr << "no free X display could be started\n";
        std::exit(EXIT_FAILURE);
    }
    if (Options().inWeston) StartSharedCompositor(*server);
    return *server;
}

const FrameCatalog& Frames() {
    // As the shared server's screen shows them.
    static const FrameCatalog frames(ScreenColours::Of(SharedServer().Connection()));
    return frames;
}

void ExpectShowsAndHolds(ProgramUnderTest& program, int wanted, const std::string& after) {
    EXPECT_TRUE(program.WaitForFrame([wanted](int frame) { return frame == wanted; }, kFrameTimeout))
        << "after " << after << ": frame " << wanted << " never came";
    EXPECT_EQ(program.WaitForSteadyFrame(kHeldFor, kFrameTimeout), wanted) << "after " << after;
}

void ExpectEndsCleanly(ProgramUnderTest& program, const std::string& stillRunning) {
    const std::optional<ExitStatus> status = program.Process().WaitForExit(kExitTimeout);
    ASSERT_TRUE(status.has_value()) << stillRunning;
    EXPECT_TRUE(status->exited && status->code == 0) << Describe(*status);
}

void ProgramTest::SetUp() {
    program_ = std::make_unique<ProgramUnderTest>(SharedServer(), Frames(), Options().command);
    ASSERT_NE(program_->ProgramWindow(), 0U) << "the program's window never came up";
}

void ProgramTest::WaitUntilShowing() {
    ASSERT_TRUE(program_->WaitForFrame([](int) { return true; }, kFrameTimeout)) << "no frame was ever shown";
}

void ProgramTest::WaitUntilRunning() {
    WaitUntilShowing();
    ASSERT_TRUE(program_->WaitForFrame([](int frame) { return frame != 1; }, kFrameTimeout)) << "the loop never ran";
}

int ProgramTest::SpeedUpAndHold() {
    WaitUntilRunning();
    program_->MovePointerTo(kNearCorner, kNearCorner);
    // Only a fast run makes a frame that stays a held one, not just one of the slow run.
    EXPECT_EQ(program_->WatchFrames(kFastFrames, kFrameTimeout).size(), kFastFrames) << "the run did not go on";
    program_->PressKey("asterisk");
    const std::optional<int> held = program_->WaitForSteadyFrame(kHeldFor, kFrameTimeout);
    EXPECT_TRUE(held.has_value()) << "the run did not stop";
    return held.value_or(0);
}

void ProgramTest::ExpectKeyShows(const std::string& keyName, int wanted) {
    program_->PressKey(keyName);
    ExpectShowsAndHolds(*program_, wanted, keyName);
}

// Usage: trenox_e2e [gtest options] [--window-manager] [--without-mit-shm] [--depth N] [--weston]
//        -- program [arguments...]
// The program may instead come from TRENOX_E2E_PROGRAM (split at spaces), the window manager
// from TRENOX_E2E_WINDOW_MANAGER=1.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    E2eOptions& options = Options();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--window-manager") == 0) {
            options.withWindowManager = true;
        } else if (std::strcmp(argv[i], "--without-mit-shm") == 0) {
            options.withSharedMemory = false;
        } else if (std::strcmp(argv[i], "--weston") == 0) {
            options.inWeston = true;
        } else if (std::strcmp(argv[i], "--depth") == 0 && i + 1 < argc) {
            options.depth = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--") == 0) {
            options.command.assign(argv + i + 1, argv + argc);
            break;
        }
    }
    if (const char* program = std::getenv("TRENOX_E2E_PROGRAM"); options.command.empty() && program != nullptr)
        options.command = SplitWords(program);
    if (const char* manager = std::getenv("TRENOX_E2E_WINDOW_MANAGER"); manager != nullptr && *manager == '1')
        options.withWindowManager = true;
    if (options.command.empty()) {
        std::cerr << "usage: " << argv[0]
                  << " [--window-manager] [--without-mit-shm] [--depth N] -- program [arguments...]\n";
        return EXIT_FAILURE;
    }
    ::testing::AddGlobalTestEnvironment(new SharedServerEnvironment);
    return RUN_ALL_TESTS();
}
