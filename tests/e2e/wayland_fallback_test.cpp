// On a compositor that draws no title bars (weston), without libdecor or without its plugin: the
// window opens without a title bar, plays, ESC ends it, and one line on stderr says what is missing.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/e2e/e2e_environment.h"

namespace {

std::string ReadLog(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Runs `shell` (which ends in exec "$@" 2>"$0") with a log file and the program, and expects the
// window to play and ESC to end it; returns what it printed.
std::string PlayAndEnd(const std::string& shell) {
    const std::string log = (std::filesystem::temp_directory_path() / "trenox-fallback.log").string();
    std::vector<std::string> command{"sh", "-c", shell, log};
    command.insert(command.end(), Options().command.begin(), Options().command.end());
    {
        ProgramUnderTest program(SharedServer(), Frames(), command);
        EXPECT_TRUE(program.WaitForFrame([](int) { return true; }, kFrameTimeout)) << "no frame was ever shown";
        program.PressKey("Escape");
        ExpectEndsCleanly(program);
    }
    std::string printed = ReadLog(log);
    std::filesystem::remove(log);
    return printed;
}

std::size_t Lines(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

TEST(WaylandFallbackTest, WithoutLibdecorTheWindowPlaysWithoutATitleBar) {
    if (geteuid() != 0) GTEST_SKIP() << "hiding libdecor takes a mount namespace of its own (root)";
    // libdecor hidden in a private mount namespace: an empty file where the system has it.
    const std::string printed = PlayAndEnd(
        "lib=$(ldconfig -p | awk '/libdecor-0\\.so\\.0 /{print $NF; exit}') && "
        "exec unshare -m sh -c 'mount --bind /dev/null \"$0\" && exec \"$@\"' \"$lib\" \"$@\" 2>\"$0\"");
    EXPECT_NE(printed.find("libdecor-0.so.0 is missing"), std::string::npos) << printed;
    EXPECT_EQ(Lines(printed), 1U) << printed;
}

TEST(WaylandFallbackTest, WithoutLibdecorsPluginTheWindowPlaysWithoutATitleBar) {
    const std::filesystem::path empty = std::filesystem::temp_directory_path() / "trenox-no-plugins";
    std::filesystem::create_directories(empty);
    const std::string printed =
        PlayAndEnd("LIBDECOR_PLUGIN_DIR='" + empty.string() + "' exec \"$@\" 2>\"$0\"");
    std::filesystem::remove(empty);
    // libdecor's own line.
    EXPECT_NE(printed.find("No plugins found"), std::string::npos) << printed;
    EXPECT_EQ(Lines(printed), 1U) << printed;
}

}  // namespace
