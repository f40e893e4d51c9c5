// What only a Wayland session has: the window as the protocol describes it, libdecor's close box,
// the compositor going away, a scale-2 output, and the X11 program under the compositor's Xwayland.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "tests/e2e/e2e_environment.h"
#include "tests/e2e/weston_session.h"

namespace {

using WaylandWindowTest = ProgramTest;

// libdecor's close box: at the right end of its title bar, above the picture's top-right corner.
constexpr int kCloseBoxX = kClientWidth - 12;
constexpr int kCloseBoxY = -12;

// Programs are watched in `session`'s output while this lives, then in the suite's again.
class WatchedIn {
public:
    explicit WatchedIn(const WestonSession& session) : before_(WatchedCompositorOutput()) {
        WatchCompositorOutput(session.OutputWindow());
    }
    WatchedIn(const WatchedIn&) = delete;
    WatchedIn& operator=(const WatchedIn&) = delete;
    ~WatchedIn() { WatchCompositorOutput(before_); }

private:
    WindowId before_;
};

std::string ReadFile(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The title, app id and size limits the program sent, from its own protocol log (WAYLAND_DEBUG=1).
TEST(WaylandProtocolTest, WindowHasTheCaptionAppIdAndAFixedSize) {
    SharedServer();
    const std::string log = (std::filesystem::temp_directory_path() / "trenox-wayland-protocol.log").string();
    std::vector<std::string> command{"sh", "-c", "WAYLAND_DEBUG=1 exec \"$@\" 2>\"$0\"", log};
    command.insert(command.end(), Options().command.begin(), Options().command.end());
    ProgramUnderTest program(SharedServer(), Frames(), command);
    ASSERT_TRUE(program.WaitForFrame([](int) { return true; }, kFrameTimeout)) << "no frame was ever shown";
    const std::string sent = ReadFile(log);
    std::filesystem::remove(log);
    EXPECT_NE(sent.find("xdg_toplevel@"), std::string::npos) << "no xdg toplevel in the protocol log";
    EXPECT_NE(sent.find(".set_title(\"" + std::string(kCaption) + "\")"), std::string::npos);
    EXPECT_NE(sent.find(".set_app_id(\"invalid.trenox.trenoxvk\")"), std::string::npos);
    // The last limits sent: the smallest and largest size alike, the picture's width (a title bar
    // drawn by the program adds to the height only).
    const std::regex limits(R"(set_(min|max)_size\((\d+), (\d+)\))");
    std::string last[2];
    for (auto it = std::sregex_iterator(sent.begin(), sent.end(), limits); it != std::sregex_iterator(); ++it)
        last[(*it)[1] == "min" ? 0 : 1] = (*it)[2].str() + "x" + (*it)[3].str();
    EXPECT_FALSE(last[0].empty()) << "no smallest size sent";
    EXPECT_EQ(last[0], last[1]) << "the window can be resized";
    EXPECT_EQ(last[0].substr(0, last[0].find('x')), std::to_string(kClientWidth));
    EXPECT_NE(sent.find("set_buffer_scale(1)"), std::string::npos) << "a scale-1 output, but no scale-1 buffer";
}

TEST_F(WaylandWindowTest, CloseBoxEndsTheProgram) {
    WaitUntilShowing();
    Program().MovePointerTo(kCloseBoxX, kCloseBoxY);
    Program().Click();
    ExpectEndsCleanly(Program());
}

// A held key types again at the rate the compositor gives, as an X server repeats keys: "." held
// while holding a frame steps on and on. The capture may miss a frame when the machine is busy, so
// a step of two is taken as two repeats; a step back or a leap is not.
TEST_F(WaylandWindowTest, HeldKeyRepeats) {
    const int held = SpeedUpAndHold();
    ASSERT_EQ(RunTool({"xdotool", "keydown", "period"}, SharedServer().Name()), 0);
    const std::vector<int> seen = Program().WatchFrames(4, kFrameTimeout);
    RunTool({"xdotool", "keyup", "period"}, SharedServer().Name());
    ASSERT_EQ(seen.size(), 4U) << "one \".\" held stepped " << seen.size() - 1 << " frames";
    EXPECT_EQ(seen[0], held);
    for (std::size_t i = 1; i < seen.size(); ++i)
        EXPECT_TRUE(seen[i] == FrameAfter(seen[i - 1], 1) || seen[i] == FrameAfter(seen[i - 1], 2))
            << "from frame " << seen[i - 1] << " to " << seen[i];
}

// On a compositor of its own, which the test then ends: the program must not spin on without it.
TEST(WaylandLossTest, ProgramEndsWhenTheCompositorGoesAway) {
    const std::unique_ptr<XServer> server = XServer::Start(/*withWindowManager=*/false);
    ASSERT_TRUE(server);
    std::unique_ptr<WestonSession> weston = WestonSession::Start(*server);
    ASSERT_TRUE(weston) << "weston did not start";
    const WatchedIn watched(*weston);
    ProgramUnderTest program(*server, Frames(), Options().command);
    ASSERT_TRUE(program.WaitForFrame([](int) { return true; }, kFrameTimeout)) << "no frame was ever shown";
    weston->Kill();
    ExpectEndsCleanly(program, "still running without its compositor");
}

// Every 2 x 2 block at `at` (device pixels) of `capture` is one colour; the picture one pixel a block.
std::optional<Capture> Halved(const Capture& capture, ClientOffset at, int& mixedBlocks) {
    Capture picture{kClientWidth, kClientHeight, std::vector<std::uint32_t>(std::size_t{kClientWidth} * kClientHeight), {}};
    mixedBlocks = 0;
    if (at.x + 2 * kClientWidth > capture.width || at.y + 2 * kClientHeight > capture.height) return std::nullopt;
    for (int y = 0; y < kClientHeight; ++y) {
        for (int x = 0; x < kClientWidth; ++x) {
            auto pixel = [&](int dx, int dy) {
                return capture.pixels[static_cast<std::size_t>(at.y + 2 * y + dy) * static_cast<std::size_t>(capture.width) +
                                      static_cast<std::size_t>(at.x + 2 * x + dx)];
            };
            const std::uint32_t colour = pixel(0, 0);
            if (pixel(1, 0) != colour || pixel(0, 1) != colour || pixel(1, 1) != colour) ++mixedBlocks;
            picture.pixels[static_cast<std::size_t>(y) * kClientWidth + x] = colour;
        }
    }
    return picture;
}

// On an output of scale 2 the program hands over a buffer of twice the size, each picture pixel a
// 2 x 2 block: weston then shows it as it is, never enlarged and smoothed after the fact. The output
// is read with weston-screenshooter, as it is bigger than the X screen.
TEST(WaylandScaleTest, ScaleTwoOutputShowsEachPicturePixelAsABlock) {
    const std::unique_ptr<XServer> server = XServer::Start(/*withWindowManager=*/false);
    ASSERT_TRUE(server);
    WestonSession::Settings settings;
    settings.width = 900;
    settings.height = 700;
    settings.scale = 2;
    std::unique_ptr<WestonSession> weston = WestonSession::Start(*server, settings);
    ASSERT_TRUE(weston) << "weston did not start";
    RunTool({"xdotool", "mousemove", "0", "0"}, server->Name());  // the pointer's sprite off the picture
    const std::string log = (std::filesystem::temp_directory_path() / "trenox-wayland-scale.log").string();
    std::vector<std::string> command{"sh", "-c", "WAYLAND_DEBUG=1 exec \"$@\" 2>\"$0\"", log};
    command.insert(command.end(), Options().command.begin(), Options().command.end());
    ChildProcess program = ChildProcess::Start(command, server->Name(), /*quiet=*/false);
    // Held still, so that one screenshot is one frame (a frame is seen in a few tries).
    constexpr int kTries = 20;
    std::optional<int> frame;
    int mixedBlocks = -1;
    for (int attempt = 0; attempt < kTries && !frame; ++attempt) {
        std::this_thread::sleep_for(kHeldFor);
        program.Pause();
        const std::optional<Capture> shot = weston->Screenshot();
        program.Resume();
        ASSERT_TRUE(shot.has_value()) << "weston-screenshooter gave no picture";
        // The picture's top-left corner: where the halved output shows a whole frame.
        Capture halvedOutput{shot->width / 2, shot->height / 2, {}, {}};
        for (int y = 0; y < halvedOutput.height; ++y)
            for (int x = 0; x < halvedOutput.width; ++x)
                halvedOutput.pixels.push_back(shot->pixels[static_cast<std::size_t>(2 * y) * static_cast<std::size_t>(shot->width) +
                                                          static_cast<std::size_t>(2 * x)]);
        const std::optional<ClientOffset> offset = Frames().Locate(halvedOutput);
        if (!offset) continue;
        const std::optional<Capture> picture = Halved(*shot, {2 * offset->x, 2 * offset->y}, mixedBlocks);
        ASSERT_TRUE(picture.has_value());
        frame = Frames().Identify(*picture, {});
    }
    ASSERT_TRUE(frame.has_value()) << "no screenshot showed a whole frame";
    EXPECT_EQ(mixedBlocks, 0) << mixedBlocks << " of " << kClientWidth * kClientHeight
                              << " picture pixels are not one colour in their 2 x 2 block";
    program.Kill(/*gracefully=*/false);
    // Drawn so by the program, not enlarged by the compositor: buffers of twice the size, scale 2.
    const std::string sent = ReadFile(log);
    std::filesystem::remove(log);
    EXPECT_NE(sent.find("set_buffer_scale(2)"), std::string::npos);
    EXPECT_NE(sent.find(", " + std::to_string(2 * kClientWidth) + ", " + std::to_string(2 * kClientHeight) + ", "),
              std::string::npos)
        << "no buffer of " << 2 * kClientWidth << " x " << 2 * kClientHeight;
}

// The X11 program, as a build without the Wayland layer runs, under weston's Xwayland.
TEST(XwaylandTest, X11ProgramRunsUnderXwayland) {
    const std::unique_ptr<XServer> server = XServer::Start(/*withWindowManager=*/false);
    ASSERT_TRUE(server);
    WestonSession::Settings settings;
    settings.withXwayland = true;
    std::unique_ptr<WestonSession> weston = WestonSession::Start(*server, settings);
    ASSERT_TRUE(weston) << "weston did not start";
    const WatchedIn watched(*weston);
    std::optional<std::string> xwayland;
    for (int attempt = 0; attempt < 100 && !xwayland; ++attempt) {
        xwayland = weston->XwaylandDisplay();
        if (!xwayland) std::this_thread::sleep_for(kHeldFor / 10);
    }
    ASSERT_TRUE(xwayland.has_value()) << "weston started no Xwayland";
    std::vector<std::string> command{"env", "TRENOX_SESSION=x11", "DISPLAY=" + *xwayland};
    command.insert(command.end(), Options().command.begin(), Options().command.end());
    ProgramUnderTest program(*server, Frames(), command);
    ASSERT_TRUE(program.WaitForFrame([](int frame) { return frame == 2; }, 3 * kFrameTimeout))
        << "the X11 program showed no frame 2 under Xwayland";
    program.PressKey("Escape");
    ExpectEndsCleanly(program);
}

}  // namespace
