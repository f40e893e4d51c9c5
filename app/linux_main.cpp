// TrenoxVK on Linux: loads the frames, then opens its window on the Wayland compositor of the
// session if it can reach one, else on the X display. --session or TRENOX_SESSION chooses.
#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "app/command_line.h"
#include "app/ending.h"
#include "app/posix_signals.h"
#include "app/wayland/wayland_module.h"
#include "app/x11/x11_platform.h"

namespace {

using Session = SessionChoice;

// The command line's choice, else the environment's; an unknown value there is reported and left out.
Session Forced(Session chosen) {
    if (chosen != Session::Either) return chosen;
    const char* forced = std::getenv("TRENOX_SESSION");
    if (forced == nullptr || *forced == '\0') return Session::Either;
    if (std::strcmp(forced, "wayland") == 0) return Session::Wayland;
    if (std::strcmp(forced, "x11") == 0) return Session::X11;
    std::fprintf(stderr, "TrenoxVK: TRENOX_SESSION=%s is neither wayland nor x11; ignored\n", forced);
    return Session::Either;
}

bool NamesCompositor() {
    for (const char* variable : {"WAYLAND_DISPLAY", "WAYLAND_SOCKET"}) {
        if (const char* value = std::getenv(variable); value != nullptr && *value != '\0') return true;
    }
    return false;
}

// The Wayland module beside the program (the build tree) or in its installed place, relative to bin/.
RunWaylandSession LoadWaylandModule() {
    std::array<char, 4096> self{};
    const ssize_t length = readlink("/proc/self/exe", self.data(), self.size() - 1);
    if (length <= 0) return nullptr;
    std::string directory(self.data(), static_cast<std::size_t>(length));
    directory.erase(directory.rfind('/') + 1);
    for (const std::string place : {"", "../" TRENOX_WAYLAND_MODULE_DIR "/"}) {
        const std::string path = directory + place + kWaylandModuleName;
        if (access(path.c_str(), F_OK) != 0) continue;
        void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            std::fprintf(stderr, "TrenoxVK: %s\n", dlerror());
            return nullptr;
        }
        return reinterpret_cast<RunWaylandSession>(dlsym(module, kWaylandEntryName));
    }
    return nullptr;
}

}  // namespace

int main(int argc, char* argv[]) {
    const CommandLine command = ParseCommandLine(argc, argv, {.out = stdout, .err = stderr});
    if (command.exitStatus) return *command.exitStatus;
    EndOnSignals();
    // Static: the window lives for the whole run, and the loop never returns to free it.
    static Trenox_VK window;
    if (!window.LoadPictures()) EndProcess(EndReason::DamagedFrame);
    const Session session = Forced(command.run.session);
    if (session == Session::Wayland || (session == Session::Either && NamesCompositor())) {
        const RunWaylandSession runWayland = LoadWaylandModule();
        // The module has said why in one line.
        if (runWayland != nullptr && runWayland(window) == WaylandStart::Failed) EndProcess(EndReason::NoWindow);
        if (session == Session::Wayland) {
            if (runWayland == nullptr) {
                std::fprintf(stderr, "TrenoxVK: no Wayland layer found (%s beside the program)\n", kWaylandModuleName);
                EndProcess(EndReason::NoWindow);
            }
            const char* name = std::getenv("WAYLAND_DISPLAY");
            std::fprintf(stderr, "TrenoxVK: no display found (cannot reach the Wayland compositor %s)\n",
                         name != nullptr && *name != '\0' ? name : "wayland-0");
            EndProcess(EndReason::NoDisplay);
        }
    }
    static X11Platform x11(window);
    if (const std::optional<EndReason> failure = x11.Open()) EndProcess(*failure);
    window.Live(x11, x11.Input());
}
