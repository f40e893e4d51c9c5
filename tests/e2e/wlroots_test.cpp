// The program on wlroots compositors, headless: sway (floating fixed-size window, its own title
// bar, exact frames, keys, scale 2, the launcher's activation token, fullscreen) and cage (a kiosk's
// maximised window). Usage: trenox_e2e_wlroots [gtest options] --program P --first-window P --token-tool P
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "tests/e2e/frame_catalog.h"
#include "tests/e2e/wlroots_session.h"

using namespace std::chrono_literals;

namespace {

struct Tools {
    std::string program;      // TrenoxVK
    std::string firstWindow;  // a plain client whose window a workspace has first
    std::string tokenTool;    // prints an activation token
};
Tools tools;

constexpr char kAppId[] = "invalid.trenox.trenoxvk";
constexpr auto kWindowTimeout = 20s;
constexpr auto kFrameTimeout = 20s;
constexpr auto kExitTimeout = 10s;
// At the starting pace a frame stays about a second: a held frame stays longer than this.
constexpr auto kHeldFor = 3s;
constexpr int kOutputWidth = 1280;
constexpr int kOutputHeight = 800;

const FrameCatalog& Frames() {
    static const FrameCatalog catalog;
    return catalog;
}

ChildProcess StartProgram(const std::vector<std::string>& environment = {}) {
    std::vector<std::string> command{"env"};
    command.insert(command.end(), environment.begin(), environment.end());
    command.push_back(tools.program);
    return ChildProcess::Start(command, "", /*quiet=*/true);
}

std::string Read(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// One sway for the suite: sway's own title bars, activation requests obeyed, and no focus on
// their own for the program's windows (which a workspace's first window still gets).
class SwayTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        sway_ = WlrootsSession::StartSway(std::string("default_border normal\nfocus_on_window_activation focus\n") +
                                          "no_focus [app_id=\"" + kAppId + "\"]\n");
        ASSERT_NE(sway_, nullptr) << "sway did not start";
    }
    static void TearDownTestSuite() { sway_.reset(); }

    void SetUp() override {
        if (!sway_) GTEST_SKIP() << "no sway";
    }

    // The window once sway has settled it: the same place, size and border in two reads in a row.
    // Just mapped, it can be in the tree before its title bar, which then moves the picture down.
    static SwayWindow WaitForWindow() {
        const auto deadline = std::chrono::steady_clock::now() + kWindowTimeout;
        std::optional<SwayWindow> before;
        while (std::chrono::steady_clock::now() < deadline) {
            const std::optional<SwayWindow> window = sway_->FindWindow(kAppId);
            if (window && window->width > 0 && before && window->x == before->x && window->y == before->y &&
                window->width == before->width && window->height == before->height &&
                window->serverDecorated == before->serverDecorated)
                return *window;
            before = window;
            std::this_thread::sleep_for(100ms);
        }
        ADD_FAILURE() << "no window with app id " << kAppId;
        return {};
    }

    // The frame the window's picture shows exactly now, at `scale` device pixels a pixel.
    static std::optional<int> FrameShown(const SwayWindow& window, int scale = 1) {
        const std::optional<Capture> shot = sway_->Screenshot();
        if (!shot) return std::nullopt;
        const std::optional<Capture> picture = Downscaled(*shot, window.x, window.y, kClientWidth, kClientHeight, scale);
        if (!picture) return std::nullopt;
        return Frames().Identify(*picture, {});
    }

    // Every frame seen until `count` different ones have been, or the time is up.
    // NOLINTNEXTLINE(bugprone-easily-swappable-parameters): a count and a factor, never confused
    static std::set<int> WatchFrames(const SwayWindow& window, std::size_t count, int scale = 1) {
        std::set<int> seen;
        const auto deadline = std::chrono::steady_clock::now() + kFrameTimeout;
        while (seen.size() < count && std::chrono::steady_clock::now() < deadline) {
            if (const auto frame = FrameShown(window, scale)) seen.insert(*frame);
            std::this_thread::sleep_for(100ms);
        }
        return seen;
    }

    // The frames shown one after another, each once, until `count` have been or the time is up.
    static std::vector<int> WatchSequence(const SwayWindow& window, std::size_t count) {
        std::vector<int> seen;
        const auto deadline = std::chrono::steady_clock::now() + kFrameTimeout;
        while (seen.size() < count && std::chrono::steady_clock::now() < deadline) {
            if (const auto frame = FrameShown(window); frame && (seen.empty() || seen.back() != *frame))
                seen.push_back(*frame);
            std::this_thread::sleep_for(50ms);
        }
        return seen;
    }

    static void ExpectEndsCleanly(ChildProcess& program) {
        const std::optional<ExitStatus> status = program.WaitForExit(kExitTimeout);
        ASSERT_TRUE(status.has_value()) << "still running";
        EXPECT_TRUE(status->exited && status->code == 0) << Describe(*status);
    }

    static std::unique_ptr<WlrootsSession> sway_;
};
std::unique_ptr<WlrootsSession> SwayTest::sway_;

// Floating at the picture's size, with the title and app id it asked for, in sway's title bar, and
// with no drawing library of its own loaded for one.
TEST_F(SwayTest, FloatsAtItsSizeInSwaysTitleBarWithoutDrawingLibraries) {
    ChildProcess program = StartProgram();
    const SwayWindow window = WaitForWindow();
    EXPECT_EQ(window.type, "floating_con");
    EXPECT_EQ(window.width, kClientWidth);
    EXPECT_EQ(window.height, kClientHeight);
    EXPECT_EQ(window.name, std::string(kCaption));
    EXPECT_EQ(window.appId, kAppId);
    EXPECT_TRUE(window.serverDecorated) << "sway draws no title bar for it";
    ASSERT_FALSE(WatchFrames(window, 1).empty()) << "no exact frame shown";
    const std::string maps = Read("/proc/" + std::to_string(program.Pid()) + "/maps");
    ASSERT_FALSE(maps.empty());
    for (const char* library : {"libdecor", "libcairo", "libpango", "libharfbuzz", "libfreetype", "libfontconfig"})
        EXPECT_EQ(maps.find(library), std::string::npos) << library << " is loaded";
}

// Frames follow one another exactly; a key typed reaches the program ('-' runs backward), ESC ends it.
TEST_F(SwayTest, FramesAreExactAndKeysReachTheProgram) {
    // A keyboard on the seat for as long as the case runs: the program's keyboard comes with it.
    ChildProcess keyboard = ChildProcess::Start({"wtype", "-s", "600000", ""}, "", /*quiet=*/true);
    ChildProcess program = StartProgram();
    const SwayWindow window = WaitForWindow();
    EXPECT_TRUE(window.focused);
    EXPECT_GE(WatchFrames(window, 3).size(), 3U) << "the animation does not run in exact frames";
    ASSERT_EQ(RunTool({"wtype", "-k", "minus"}, ""), 0);
    std::this_thread::sleep_for(kHeldFor);  // the pass that takes the key ends
    const std::vector<int> backward = WatchSequence(window, 3);
    ASSERT_EQ(backward.size(), 3U) << "the run stopped";
    // Each frame a few behind the one before (a screenshot may miss one), none ahead.
    constexpr int kMostMissed = 3;
    for (std::size_t i = 1; i < backward.size(); ++i) {
        const int behind = (backward[i - 1] - backward[i] + kFrameCount) % kFrameCount;
        EXPECT_TRUE(behind >= 1 && behind <= kMostMissed)
            << "'-' did not run it backward: " << backward[i - 1] << " then " << backward[i];
    }
    ASSERT_EQ(RunTool({"wtype", "-k", "Escape"}, ""), 0);
    ExpectEndsCleanly(program);
}

// Scale 2 set while the program runs (on an output large enough to hold the window at 2x): each
// picture pixel becomes a 2x2 block of its colour.
TEST_F(SwayTest, ScaleTwoMakesEachPixelABlock) {
    ASSERT_EQ(sway_->SwayCommand("output * mode 1800x1300"), 0);
    ChildProcess program = StartProgram();
    WaitForWindow();
    ASSERT_EQ(sway_->SwayCommand("output * scale 2"), 0);
    // sway leaves a floating window where it was, now partly off the smaller logical output.
    ASSERT_EQ(sway_->SwayCommand(std::string("[app_id=\"") + kAppId + "\"] move position center"), 0);
    std::this_thread::sleep_for(1s);
    const SwayWindow scaled = WaitForWindow();
    EXPECT_FALSE(WatchFrames(scaled, 1, 2).empty()) << "no exact frame in 2x2 blocks at scale 2";
    sway_->SwayCommand("output * mode 1280x800 scale 1");
}

// Made fullscreen (as a kiosk makes its window), the surface takes the output's size: the picture
// in its middle, the rest the window's background.
TEST_F(SwayTest, FullscreenCentresThePictureOnTheBackground) {
    ChildProcess program = StartProgram();
    WaitForWindow();
    ASSERT_EQ(sway_->SwayCommand(std::string("[app_id=\"") + kAppId + "\"] fullscreen enable"), 0);
    SwayWindow centred;
    centred.x = (kOutputWidth - kClientWidth) / 2;
    centred.y = (kOutputHeight - kClientHeight) / 2;
    // Until the program has answered: sway shows a smaller surface centred on black meanwhile.
    int notBackground = -1;
    const auto deadline = std::chrono::steady_clock::now() + kFrameTimeout;
    while (notBackground != 0 && std::chrono::steady_clock::now() < deadline) {
        const std::optional<Capture> shot = sway_->Screenshot();
        ASSERT_TRUE(shot.has_value());
        notBackground = 0;
        for (int y = 0; y < shot->height; ++y) {
            for (int x = 0; x < shot->width; ++x) {
                const bool inPicture = x >= centred.x && x < centred.x + kClientWidth && y >= centred.y &&
                                       y < centred.y + kClientHeight;
                if (!inPicture && shot->pixels[static_cast<std::size_t>(y) * shot->width + x] != kBackgroundRgb)
                    ++notBackground;
            }
        }
    }
    EXPECT_EQ(notBackground, 0) << "pixels around the picture that are not the background";
    EXPECT_FALSE(WatchFrames(centred, 1).empty()) << "no exact frame in the middle of the output";
}

// Under a rule that keeps its windows from taking the focus, the program started with a launcher's
// token is activated and plays; started without one it shows its background and waits.
TEST_F(SwayTest, LaunchersTokenHandsOverTheFocus) {
    // The workspace's first window, which no rule keeps from the focus, is there before the program's.
    ChildProcess first = ChildProcess::Start({tools.firstWindow}, "", /*quiet=*/true);
    const auto mapped = std::chrono::steady_clock::now() + kWindowTimeout;
    while (!sway_->HasWindowOf(first.Pid()) && std::chrono::steady_clock::now() < mapped)
        std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(sway_->HasWindowOf(first.Pid())) << "the first window did not appear";
    {
        ChildProcess program = StartProgram();
        const SwayWindow window = WaitForWindow();
        EXPECT_FALSE(window.focused);
        std::this_thread::sleep_for(2s);
        const std::optional<Capture> shot = sway_->Screenshot();
        ASSERT_TRUE(shot.has_value());
        const std::optional<Capture> picture = Downscaled(*shot, window.x, window.y, kClientWidth, kClientHeight, 1);
        ASSERT_TRUE(picture.has_value());
        EXPECT_TRUE(std::all_of(picture->pixels.begin(), picture->pixels.end(),
                                [](std::uint32_t pixel) { return pixel == kBackgroundRgb; }))
            << "a window never activated shows more than its background";
    }
    std::this_thread::sleep_for(500ms);  // the window gone
    FILE* pipe = popen(tools.tokenTool.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::array<char, 256> token{};
    const bool read = std::fgets(token.data(), token.size(), pipe) != nullptr;
    ASSERT_EQ(pclose(pipe), 0);
    ASSERT_TRUE(read);
    token[std::strcspn(token.data(), "\n")] = '\0';
    ChildProcess program = StartProgram({std::string("XDG_ACTIVATION_TOKEN=") + token.data()});
    const SwayWindow window = WaitForWindow();
    EXPECT_FALSE(WatchFrames(window, 1).empty()) << "the token did not activate the window";
    EXPECT_TRUE(WaitForWindow().focused);
}

// A sway whose rule has windows draw their own title bars ("border csd"): after the program's
// window first shows, sway answers that it draws none, and the window moves into libdecor's frame.
class SwayClientSideTest : public SwayTest {
protected:
    static void SetUpTestSuite() {
        sway_ = WlrootsSession::StartSway(std::string("default_border normal\nfor_window [app_id=\"") + kAppId +
                                          "\"] border csd\n");
        ASSERT_NE(sway_, nullptr) << "sway did not start";
    }
};

// libdecor's title bar above the picture, inside the window, and the frames go on below it.
TEST_F(SwayClientSideTest, TitleBarRefusedTheWindowDrawsItsOwn) {
    ChildProcess program = StartProgram();
    std::optional<SwayWindow> framed;
    const auto deadline = std::chrono::steady_clock::now() + kWindowTimeout;
    while (!(framed && framed->height > kClientHeight) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(50ms);
        framed = sway_->FindWindow(kAppId);
    }
    ASSERT_TRUE(framed.has_value()) << "no window";
    framed = WaitForWindow();
    EXPECT_FALSE(framed->serverDecorated);
    EXPECT_EQ(framed->width, kClientWidth);
    ASSERT_GT(framed->height, kClientHeight) << "no title bar of the program's own";
    EXPECT_NE(Read("/proc/" + std::to_string(program.Pid()) + "/maps").find("libdecor"), std::string::npos);
    SwayWindow picture = *framed;
    picture.y += framed->height - kClientHeight;
    EXPECT_GE(WatchFrames(picture, 2).size(), 2U) << "no exact frames below the title bar";
    EXPECT_TRUE(program.Running());
}

// The program in a cage started with `options`: the size of its maximised window and of the first
// picture-sized buffer after it (its own protocol log), and whether libdecor is loaded.
struct CageRun {
    std::string maximised;  // "WxH", empty if cage sent no maximised configure
    std::string picture;    // "WxH", empty if no buffer followed it
    bool libdecorLoaded = false;
    bool running = false;
};

CageRun RunInCage(const std::vector<std::string>& options) {
    CageRun run;
    auto cage = WlrootsSession::StartCage(options, {"sleep", "600"});
    if (!cage) {
        ADD_FAILURE() << "cage did not start";
        return run;
    }
    const std::string log = (std::filesystem::temp_directory_path() / "trenox-cage-protocol.log").string();
    ChildProcess program = ChildProcess::Start({"sh", "-c", "WAYLAND_DEBUG=1 exec \"$0\" 2>\"$1\"", tools.program, log},
                                               "", /*quiet=*/true);
    const std::regex configure(R"(xdg_toplevel@\d+\.configure\((\d+), (\d+), array\[8\]\))");
    const std::regex buffer(R"(create_buffer\(new id wl_buffer@\d+, 0, (\d+), (\d+),)");
    const auto deadline = std::chrono::steady_clock::now() + kWindowTimeout;
    while (run.picture.empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(100ms);
        const std::string sent = Read(log);
        std::smatch maximised;
        if (!std::regex_search(sent, maximised, configure)) continue;
        run.maximised = maximised[1].str() + "x" + maximised[2].str();
        // A title bar's buffer, if there is one, is not the picture's.
        for (auto it = std::sregex_iterator(maximised[0].second, sent.cend(), buffer); it != std::sregex_iterator(); ++it) {
            if (std::stoi((*it)[2].str()) < kClientHeight) continue;
            run.picture = (*it)[1].str() + "x" + (*it)[2].str();
            break;
        }
    }
    std::filesystem::remove(log);
    run.libdecorLoaded = Read("/proc/" + std::to_string(program.Pid()) + "/maps").find("libdecor") != std::string::npos;
    run.running = program.Running();
    return run;
}

// A kiosk that draws no title bars ("cage -d") maximises the window to its 1280x720 output: the
// program answers with a surface of that size, the picture centred on it as the fullscreen case shows.
TEST(CageTest, KioskWindowTakesTheOutputsSize) {
    const CageRun run = RunInCage({"-d"});
    ASSERT_FALSE(run.maximised.empty()) << "cage sent no maximised configure";
    EXPECT_EQ(run.picture, run.maximised);
    EXPECT_FALSE(run.libdecorLoaded);
    EXPECT_TRUE(run.running);
}

// Plain cage answers that windows draw their own title bars: the program's window moves into
// libdecor's frame, its title bar across the top, the picture's surface the rest of the output.
TEST(CageTest, WithoutDecorationsByCageTheWindowDrawsItsTitleBar) {
    const CageRun run = RunInCage({});
    ASSERT_FALSE(run.maximised.empty()) << "cage sent no maximised configure";
    EXPECT_TRUE(run.libdecorLoaded);
    ASSERT_FALSE(run.picture.empty()) << "no picture after the maximised configure";
    const int width = std::stoi(run.maximised);
    const int height = std::stoi(run.maximised.substr(run.maximised.find('x') + 1));
    const int pictureHeight = std::stoi(run.picture.substr(run.picture.find('x') + 1));
    EXPECT_EQ(std::stoi(run.picture), width);
    EXPECT_LT(pictureHeight, height) << "no room for the title bar";
    EXPECT_GT(pictureHeight, height - 64) << "more than a title bar taken off";
    EXPECT_TRUE(run.running);
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--program") tools.program = argv[i + 1];
        if (option == "--first-window") tools.firstWindow = argv[i + 1];
        if (option == "--token-tool") tools.tokenTool = argv[i + 1];
    }
    if (tools.program.empty() || tools.firstWindow.empty() || tools.tokenTool.empty()) {
        std::fprintf(stderr, "usage: %s [gtest options] --program P --first-window P --token-tool P\n", argv[0]);
        return 2;
    }
    return RUN_ALL_TESTS();
}
