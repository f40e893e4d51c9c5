// Starts weston 10 (X11 backend, pixman renderer, --debug for screenshots) in a private runtime
// directory, finds its output window, and reads its screenshots.
#include "tests/e2e/weston_session.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace {

constexpr std::chrono::milliseconds kStartTimeout{20000};
constexpr std::chrono::milliseconds kPollInterval{20};
constexpr char kOutputWindowClass[] = "Weston Compositor";
constexpr char kXwaylandNotice[] = "xserver listening on display ";

// weston's output window: the one top-level window of its class (it names it only in UTF-8).
Window FindOutputWindow(Display* display) {
    Window root = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = None;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) return None;
    for (unsigned int i = 0; i < count && found == None; ++i) {
        XClassHint hint{};
        if (XGetClassHint(display, children[i], &hint) == 0) continue;
        if (hint.res_class != nullptr && std::string(hint.res_class) == kOutputWindowClass) found = children[i];
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    if (children != nullptr) XFree(children);
    return found;
}

// The desktop shell has drawn once the output's middle is no longer black.
bool DesktopDrawn(Display* display, Window output, int width, int height) {
    XImage* image = XGetImage(display, output, width / 2, height / 2, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return false;
    const bool drawn = XGetPixel(image, 0, 0) != 0;
    XDestroyImage(image);
    return drawn;
}

}  // namespace

std::unique_ptr<WestonSession> WestonSession::Start(const XServer& server, const Settings& settings) {
    std::string runtimeTemplate = (std::filesystem::temp_directory_path() / "trenox-weston-XXXXXX").string();
    if (mkdtemp(runtimeTemplate.data()) == nullptr) return nullptr;
    const std::string socket = "trenox-e2e" + server.Name().substr(1);
    const std::string log = runtimeTemplate + "/weston.log";
    auto previous = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    };
    std::optional<std::string> previousRuntimeDir = previous("XDG_RUNTIME_DIR");
    std::optional<std::string> previousSocket = previous("WAYLAND_DISPLAY");
    // What every program started from here inherits.
    setenv("XDG_RUNTIME_DIR", runtimeTemplate.c_str(), 1);
    setenv("WAYLAND_DISPLAY", socket.c_str(), 1);
    // Keys repeat slowly (weston's own rate is 40 a second): each repeat's frame is then shown
    // long enough to be captured, even on a loaded machine.
    const std::string config = "--config=" + runtimeTemplate + "/weston.ini";
    {
        std::ofstream ini(runtimeTemplate + "/weston.ini");
        ini << "[keyboard]\nrepeat-rate=" << kKeyRepeatsPerSecond << "\nrepeat-delay=400\n";
        if (!settings.animated) ini << "[shell]\nanimation=none\nclose-animation=none\nstartup-animation=none\n";
    }
    std::vector<std::string> command{"weston", "--backend=x11-backend.so", "--use-pixman", "--debug", config,
                                     "--idle-time=0", "--socket=" + socket, "--log=" + log,
                                     "--width=" + std::to_string(settings.width),
                                     "--height=" + std::to_string(settings.height),
                                     "--scale=" + std::to_string(settings.scale)};
    if (settings.withXwayland) command.emplace_back("--xwayland");
    std::unique_ptr<WestonSession> session(new WestonSession(
        runtimeTemplate, socket, log, ChildProcess::Start(command, server.Name(), /*quiet=*/true)));
    session->previousRuntimeDir_ = std::move(previousRuntimeDir);
    session->previousSocket_ = std::move(previousSocket);

    Display* display = server.Connection();
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    const int width = settings.width * settings.scale;
    const int height = settings.height * settings.scale;
    const std::filesystem::path socketPath = std::filesystem::path(runtimeTemplate) / socket;
    while (std::chrono::steady_clock::now() < deadline && session->weston_.Running()) {
        if (session->outputWindow_ == 0) session->outputWindow_ = FindOutputWindow(display);
        const bool listening = std::filesystem::exists(socketPath);
        if (session->outputWindow_ != 0 && listening &&
            DesktopDrawn(display, session->outputWindow_, std::min(width, kScreenWidth), std::min(height, kScreenHeight)))
            return session;
        std::this_thread::sleep_for(kPollInterval);
    }
    return nullptr;
}

WestonSession::~WestonSession() {
    Kill();
    auto restore = [](const char* name, const std::optional<std::string>& value) {
        if (value) {
            setenv(name, value->c_str(), 1);
        } else {
            unsetenv(name);
        }
    };
    restore("XDG_RUNTIME_DIR", previousRuntimeDir_);
    restore("WAYLAND_DISPLAY", previousSocket_);
    std::error_code ignored;
    std::filesystem::remove_all(runtimeDir_, ignored);
}

void WestonSession::Kill() { weston_.Kill(/*gracefully=*/false); }

std::optional<std::string> WestonSession::XwaylandDisplay() const {
    std::ifstream log(log_);
    for (std::string line; std::getline(log, line);) {
        if (const auto at = line.find(kXwaylandNotice); at != std::string::npos)
            return line.substr(at + sizeof kXwaylandNotice - 1);
    }
    return std::nullopt;
}

std::optional<Capture> WestonSession::Screenshot() const {
    // weston-screenshooter writes wayland-screenshot-<time>.png into its working directory.
    const std::filesystem::path directory = std::filesystem::path(runtimeDir_) / "shots";
    std::filesystem::remove_all(directory);
    std::filesystem::create_directories(directory);
    const std::string shoot = "cd '" + directory.string() + "' && weston-screenshooter";
    if (RunTool({"sh", "-c", shoot}, "") != 0) return std::nullopt;
    std::filesystem::path png;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) png = entry.path();
    if (png.empty()) return std::nullopt;
    // As raw RGB through ImageMagick, with the size in a header line of its own.
    const std::string raw = (directory / "shot.rgb").string();
    const std::string size = (directory / "size").string();
    const std::string convert = "identify -format '%w %h' '" + png.string() + "' > '" + size + "' && convert '" +
                                png.string() + "' -depth 8 rgb:'" + raw + "'";
    if (RunTool({"sh", "-c", convert}, "") != 0) return std::nullopt;
    Capture capture;
    std::ifstream(size) >> capture.width >> capture.height;
    std::ifstream bytes(raw, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(bytes)), std::istreambuf_iterator<char>());
    const std::size_t count = static_cast<std::size_t>(capture.width) * static_cast<std::size_t>(capture.height);
    if (capture.width <= 0 || data.size() != count * 3) return std::nullopt;
    capture.pixels.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto channel = [&](std::size_t c) { return static_cast<std::uint32_t>(static_cast<unsigned char>(data[i * 3 + c])); };
        capture.pixels[i] = channel(0) << 16 | channel(1) << 8 | channel(2);
    }
    return capture;
}

namespace {
std::unique_ptr<WestonSession>& SharedCompositorSlot() {
    static std::unique_ptr<WestonSession> compositor;
    return compositor;
}
}  // namespace

void StartSharedCompositor(const XServer& server) {
    std::unique_ptr<WestonSession>& compositor = SharedCompositorSlot();
    if (compositor) return;
    compositor = WestonSession::Start(server);
    if (!compositor) {
        std::fprintf(stderr, "weston did not start on %s\n", server.Name().c_str());
        std::exit(EXIT_FAILURE);
    }
    WatchCompositorOutput(compositor->OutputWindow());
}

void EndSharedCompositor() { SharedCompositorSlot().reset(); }
