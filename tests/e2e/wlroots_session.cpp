// Starts sway 1.7 or cage 0.1.4 on wlroots' headless backend with the pixman renderer, as a user
// made for the tests when they run as root, and reads the output with grim (PPM).
#include "tests/e2e/wlroots_session.h"

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

constexpr std::chrono::milliseconds kStartTimeout{20000};
constexpr std::chrono::milliseconds kPollInterval{20};
constexpr char kTestUser[] = "trenoxe2e";
constexpr char kSwayOutput[] = "output * mode 1280x800 bg #204060 solid_color\n";

// The compositor's user: this one, unless it is root, which sway and cage refuse.
std::optional<passwd> CompositorUser() {
    if (geteuid() != 0) return std::nullopt;
    if (getpwnam(kTestUser) == nullptr &&
        RunTool({"useradd", "--system", "--no-create-home", "--shell", "/usr/sbin/nologin", kTestUser}, "") != 0) {
        std::fprintf(stderr, "could not create the user %s for the compositor\n", kTestUser);
    }
    const passwd* user = getpwnam(kTestUser);
    return user != nullptr ? std::optional<passwd>(*user) : std::nullopt;
}

std::string Output(const std::string& shellCommand) {
    std::string text;
    if (FILE* pipe = popen(shellCommand.c_str(), "r"); pipe != nullptr) {
        std::array<char, 4096> chunk{};
        for (std::size_t n; (n = fread(chunk.data(), 1, chunk.size(), pipe)) > 0;) text.append(chunk.data(), n);
        pclose(pipe);
    }
    return text;
}

}  // namespace

std::unique_ptr<WlrootsSession> WlrootsSession::Start(const std::vector<std::string>& compositor) {
    std::string runtimeTemplate = (std::filesystem::temp_directory_path() / "trenox-wlroots-XXXXXX").string();
    if (mkdtemp(runtimeTemplate.data()) == nullptr) return nullptr;
    std::vector<std::string> command;
    if (const std::optional<passwd> user = CompositorUser()) {
        if (chown(runtimeTemplate.c_str(), user->pw_uid, user->pw_gid) != 0) return nullptr;
        command = {"setpriv", "--reuid=" + std::string(kTestUser), "--regid=" + std::string(kTestUser), "--init-groups"};
    }
    command.insert(command.end(), {"env", "-u", "WAYLAND_DISPLAY", "-u", "SWAYSOCK", "XDG_RUNTIME_DIR=" + runtimeTemplate,
                                   "WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman"});
    command.insert(command.end(), compositor.begin(), compositor.end());
    std::unique_ptr<WlrootsSession> session(
        new WlrootsSession(runtimeTemplate, ChildProcess::Start(command, "", /*quiet=*/true)));

    // The socket the compositor chose: wayland-<n>, beside its lock file.
    std::string socket;
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (socket.empty()) {
        if (std::chrono::steady_clock::now() > deadline || !session->compositor_.Running()) return nullptr;
        std::this_thread::sleep_for(kPollInterval);
        for (const auto& entry : std::filesystem::directory_iterator(runtimeTemplate)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("wayland-", 0) == 0 && entry.is_socket()) socket = name;
        }
    }
    // What every program started from here inherits; the environment as it was comes back at the end.
    auto set = [&](const char* name, const std::string& value) {
        const char* before = std::getenv(name);
        session->previousEnvironment_.emplace_back(name, before != nullptr ? std::optional<std::string>(before) : std::nullopt);
        setenv(name, value.c_str(), 1);
    };
    set("XDG_RUNTIME_DIR", runtimeTemplate);
    set("WAYLAND_DISPLAY", socket);
    set("SWAYSOCK", "");  // sway's, once it has made it
    return session;
}

std::unique_ptr<WlrootsSession> WlrootsSession::StartSway(const std::string& config) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("trenox-sway-" + std::to_string(getpid()) + ".config");
    std::ofstream(file) << kSwayOutput << config;
    std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                           std::filesystem::perms::others_read | std::filesystem::perms::group_read);
    auto session = Start({"sway", "-c", file.string()});
    if (!session) {
        std::filesystem::remove(file);
        return nullptr;
    }
    // Its IPC socket comes after the Wayland one: wait until swaymsg gets an answer.
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        for (const auto& entry : std::filesystem::directory_iterator(session->runtimeDir_)) {
            if (entry.path().filename().string().rfind("sway-ipc.", 0) == 0) {
                setenv("SWAYSOCK", entry.path().c_str(), 1);
                if (session->SwayCommand("nop") == 0) {
                    std::filesystem::remove(file);  // read once sway answers
                    return session;
                }
            }
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    std::filesystem::remove(file);
    return nullptr;
}

std::unique_ptr<WlrootsSession> WlrootsSession::StartCage(const std::vector<std::string>& options,
                                                         const std::vector<std::string>& placeholder) {
    std::vector<std::string> command{"cage"};
    command.insert(command.end(), options.begin(), options.end());
    command.emplace_back("--");
    command.insert(command.end(), placeholder.begin(), placeholder.end());
    return Start(command);
}

WlrootsSession::~WlrootsSession() {
    compositor_.Kill();
    for (const auto& [name, value] : previousEnvironment_) {
        if (value) {
            setenv(name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(runtimeDir_, ignored);
}

std::optional<Capture> WlrootsSession::Screenshot() const {
    const std::string file = runtimeDir_ + "/shot.ppm";
    if (RunTool({"grim", "-t", "ppm", file}, "") != 0) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    std::string magic;
    Capture capture;
    int maximum = 0;
    in >> magic >> capture.width >> capture.height >> maximum;
    in.get();  // the one whitespace before the pixels
    if (magic != "P6" || maximum != 255 || capture.width <= 0 || capture.height <= 0) return std::nullopt;
    const std::size_t count = static_cast<std::size_t>(capture.width) * static_cast<std::size_t>(capture.height);
    std::vector<unsigned char> bytes(count * 3);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) return std::nullopt;
    capture.pixels.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        capture.pixels[i] = std::uint32_t{bytes[i * 3]} << 16 | std::uint32_t{bytes[i * 3 + 1]} << 8 | bytes[i * 3 + 2];
    return capture;
}

int WlrootsSession::SwayCommand(const std::string& command) const { return RunTool({"swaymsg", command}, ""); }

std::optional<SwayWindow> WlrootsSession::FindWindow(const std::string& appId) const {
    if (appId.empty()) return std::nullopt;
    // One line: x y width height type focused border app_id, then the title on a line of its own.
    const std::string query =
        "swaymsg -r -t get_tree | jq -r --arg id '" + appId +
        "' '[.. | objects | select(.app_id? == $id)] | first | select(. != null) | "
        "\"\\(.rect.x + .window_rect.x) \\(.rect.y + .window_rect.y) \\(.window_rect.width) "
        "\\(.window_rect.height) \\(.type) \\(.focused) \\(.border) \\(.app_id)\\n\\(.name)\"'";
    std::istringstream answer(Output(query));
    SwayWindow window;
    std::string focused;
    std::string border;
    if (!(answer >> window.x >> window.y >> window.width >> window.height >> window.type >> focused >> border >>
          window.appId))
        return std::nullopt;
    answer.get();
    std::getline(answer, window.name);
    window.focused = focused == "true";
    window.serverDecorated = border == "normal";
    return window;
}

bool WlrootsSession::HasWindowOf(int pid) const {
    const std::string query = "swaymsg -r -t get_tree | jq '[.. | objects | select(.pid? == " + std::to_string(pid) +
                              ")] | length'";
    return std::atoi(Output(query).c_str()) > 0;
}

std::optional<Capture> Downscaled(const Capture& capture, int x, int y, int width, int height, int scale) {
    if (x < 0 || y < 0 || (x + width) * scale > capture.width || (y + height) * scale > capture.height) return std::nullopt;
    Capture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    auto at = [&](int px, int py) { return capture.pixels[static_cast<std::size_t>(py) * capture.width + px]; };
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const std::uint32_t colour = at((x + column) * scale, (y + row) * scale);
            for (int dy = 0; dy < scale; ++dy) {
                for (int dx = 0; dx < scale; ++dx) {
                    if (at((x + column) * scale + dx, (y + row) * scale + dy) != colour) return std::nullopt;
                }
            }
            picture.pixels.push_back(colour);
        }
    }
    return picture;
}
