// The window's life, the same on every platform: shown, waiting for its first activation, then the
// playback loop; and the ways out with their exit statuses.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/ending.h"
#include "app/trenox_vk.h"
#include "app/usage.h"
#include "fake_platform.h"

namespace {

struct LiveWindow {
    Trenox_VK window;
    FakePlatform platform{window.images};
    InputDispatcher input{window.playback, platform};

    // Lives until the program ends; returns how.
    EndReason LiveUntilEnd() {
        try {
            window.Live(platform, input);
        } catch (const EndCalled& end) {
            return end.reason;
        }
    }
};

TEST(WindowLife, NothingIsShownOrPlayedUntilTheWindowIsFirstActivated) {
    LiveWindow life;
    life.platform.At(3, [&] {
        EXPECT_EQ(life.platform.windowShown, 1) << "shown before its events are waited for";
        EXPECT_TRUE(life.platform.shown.empty()) << "a picture before activation";
        life.input.Dispatch(InputEvent::Activated());
    });
    // Three waits for the activation, the start sequence's seventeen event passes, then two passes.
    life.platform.At(3 + 17 + 2, [&] { life.input.Dispatch(InputEvent::Typed(kKeyEscape)); });
    EXPECT_EQ(life.LiveUntilEnd(), EndReason::Quit);
    EXPECT_EQ(life.platform.windowShown, 1);
    EXPECT_EQ(life.platform.shown, (std::vector<int>{0, 1, 2})) << "frame 1, then the loop from slot 1";
}

TEST(WindowLife, AWindowClosedBeforeItIsActiveEndsAsClosed) {
    LiveWindow life;
    life.platform.At(1, [&] { life.input.Dispatch(InputEvent::CloseRequested()); });
    EXPECT_EQ(life.LiveUntilEnd(), EndReason::WindowClosed);
    EXPECT_TRUE(life.platform.shown.empty());
}

TEST(WaysOut, EndsTheUserOrTheDesktopAskedForSucceedAndFaultsFail) {
    for (const EndReason reason : {EndReason::Quit, EndReason::WindowClosed, EndReason::Signal, EndReason::DisplayLost,
                                   EndReason::Answered})
        EXPECT_EQ(ExitStatus(reason), 0) << static_cast<int>(reason);
    for (const EndReason reason : {EndReason::NoDisplay, EndReason::ProtocolError, EndReason::NoColours,
                                   EndReason::NoWindow, EndReason::DamagedFrame})
        EXPECT_EQ(ExitStatus(reason), 1) << static_cast<int>(reason);
    EXPECT_EQ(ExitStatus(EndReason::UsageError), 2);
    // Every reason is in the table once, so none falls through to a guess.
    for (int reason = 0; reason <= static_cast<int>(EndReason::UsageError); ++reason) {
        int rows = 0;
        for (const WayOut& way : WaysOut()) rows += static_cast<int>(way.reason) == reason ? 1 : 0;
        EXPECT_EQ(rows, 1) << "reason " << reason;
    }
}

TEST(Usage, TheWindowsReadMeListsOnlyWhatHappensOnWindows) {
    const std::string windows = ExitStatusHelp(UsageFormat::Text, kOnWindows);
    EXPECT_NE(windows.find("Esc, a double-click"), std::string::npos) << windows;
    EXPECT_EQ(windows.find("SIGTERM"), std::string::npos) << windows;
    EXPECT_EQ(windows.find("  2  "), std::string::npos) << "Windows takes no command line:\n" << windows;
    for (std::size_t line = 0; line < windows.size();) {
        const std::size_t end = windows.find('\n', line);
        EXPECT_LE(end - line, 79U) << windows.substr(line, end - line);
        line = end + 1;
    }
}

// The README's table of keys and mouse actions is the one the program's usage prints.
TEST(Usage, TheReadMeListsTheKeysAsTheProgramDoes) {
    std::ifstream readme(TRENOX_SOURCE_DIR "/README.md");
    ASSERT_TRUE(readme.good());
    std::stringstream text;
    text << readme.rdbuf();
    const std::string table = InputHelp(UsageFormat::Markdown);
    EXPECT_NE(text.str().find(table), std::string::npos) << "README.md should have this table:\n" << table;
}

}  // namespace
