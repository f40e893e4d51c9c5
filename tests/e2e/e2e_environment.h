// What the whole end-to-end suite shares: the command under test, its X server, the frames.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/frame_catalog.h"
#include "tests/e2e/program_under_test.h"
#include "tests/e2e/x_server.h"

struct E2eOptions {
    std::vector<std::string> command;  // the program to test, e.g. {"build/TrenoxVK"} or {"wine", "TrenoxVK.exe"}
    bool withWindowManager = false;     // run openbox on the test display
    bool withSharedMemory = true;       // false: an X server without MIT-SHM, as a remote display is
    bool inWeston = false;              // in a Wayland session: weston on the test display
    int depth = kDefaultDepth;          // of the X server's screen
};

// Set once by main() from its command line and the environment.
E2eOptions& Options();
// The X server of the suite, started on first use and ended when the suite ends.
XServer& SharedServer();
const FrameCatalog& Frames();

// How long the tests wait for the program to end (a frame: kFrameTimeout), and how long a frame
// must stay to count as held.
inline constexpr auto kExitTimeout = 10s;
inline constexpr auto kHeldFor = 300ms;
// At the starting pace a frame stays about a second while the run goes on, and input takes effect
// only at the end of that pass: a stop is seen only in a frame that stays longer than that.
inline constexpr auto kLongerThanAPass = 2s;
// Near the picture's top-left corner the idle count is a few dozen iterations: frames follow at
// once. This many of them would take several seconds at the starting pace.
inline constexpr int kNearCorner = 40;
inline constexpr std::size_t kFastFrames = 8;

// Expects the frame `wanted` to come and stay; `after` names what asked for it, for the messages.
void ExpectShowsAndHolds(ProgramUnderTest& program, int wanted, const std::string& after);
// Expects the program to end within kExitTimeout, with status 0.
void ExpectEndsCleanly(ProgramUnderTest& program, const std::string& stillRunning = "still running");

// A test that starts the program in its own window on the shared server.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    ProgramUnderTest& Program() { return *program_; }

    // Waits for the first frame, which also tells where the client area is.
    void WaitUntilShowing();
    // Waits until the loop runs (frame 1 gone): the start sequence would overwrite the pace that a
    // pointer move sets, and the request that a key sets.
    void WaitUntilRunning();
    // Moves the pointer over the picture (which makes the run fast) and stops the run;
    // returns the frame it holds.
    int SpeedUpAndHold();
    // Presses a key and expects the frame `wanted` to come and stay.
    void ExpectKeyShows(const std::string& keyName, int wanted);

private:
    std::unique_ptr<ProgramUnderTest> program_;
};
