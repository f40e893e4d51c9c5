// The launcher's start-up notification on X11: DESKTOP_STARTUP_ID becomes the window's
// _NET_STARTUP_ID, and once the window is mapped the "remove" message for it reaches the root window.
#include "tests/e2e/e2e_environment.h"

// After the project's headers: Xlib's macros clash with the frames' names.
#include <X11/Xlib.h>

#include <chrono>
#include <thread>

namespace {

// A launch id with a quote and a space, which the message must escape.
constexpr char kLaunchId[] = "trenox-e2e launch\"1_TIME42";

TEST(StartupNotificationTest, LaunchIdIsSetAndRemovedOnceMapped) {
    // A connection of its own that hears the root window's start-up messages.
    Display* listener = XOpenDisplay(SharedServer().Name().c_str());
    ASSERT_NE(listener, nullptr);
    XSelectInput(listener, DefaultRootWindow(listener), PropertyChangeMask);
    const Atom begin = XInternAtom(listener, "_NET_STARTUP_INFO_BEGIN", False);
    const Atom more = XInternAtom(listener, "_NET_STARTUP_INFO", False);
    XSync(listener, False);

    std::vector<std::string> command{"env", std::string("DESKTOP_STARTUP_ID=") + kLaunchId};
    command.insert(command.end(), Options().command.begin(), Options().command.end());
    ProgramUnderTest program(SharedServer(), Frames(), command);
    ASSERT_NE(program.ProgramWindow(), 0U);
    EXPECT_EQ(TextPropertyOf(listener, program.ProgramWindow(), "_NET_STARTUP_ID"), kLaunchId);

    std::string message;
    bool ended = false;
    const auto deadline = std::chrono::steady_clock::now() + kExitTimeout;
    while (!ended && std::chrono::steady_clock::now() < deadline) {
        if (XPending(listener) == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            continue;
        }
        XEvent event{};
        XNextEvent(listener, &event);
        if (event.type != ClientMessage || event.xclient.format != 8) continue;
        if (event.xclient.message_type == begin) message.clear();
        if (event.xclient.message_type != begin && event.xclient.message_type != more) continue;
        for (const char byte : event.xclient.data.b) {
            if (byte == '\0') {
                ended = true;
                break;
            }
            message += byte;
        }
    }
    XCloseDisplay(listener);
    EXPECT_TRUE(ended) << "no whole start-up message; had: " << message;
    EXPECT_EQ(message, R"(remove: ID="trenox-e2e launch\"1_TIME42")");
}

}  // namespace
