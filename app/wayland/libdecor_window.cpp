// libdecor opened with dlopen, as the program opens this module: a compositor that draws its own
// title bars never has libdecor, its plugin or their drawing libraries loaded.
#include "app/wayland/libdecor_window.h"

#include <dlfcn.h>
#include <libdecor.h>

#include <cstdio>

#include "app/ending.h"
#include "app/wayland/wayland_platform.h"
#include "app/window_layout.h"

namespace {

constexpr char kLibdecorName[] = "libdecor-0.so.0";

// The functions used, found in the library once it is open.
struct Libdecor {
    decltype(&libdecor_new) create = nullptr;
    decltype(&libdecor_decorate) decorate = nullptr;
    decltype(&libdecor_frame_set_title) setTitle = nullptr;
    decltype(&libdecor_frame_set_app_id) setAppId = nullptr;
    decltype(&libdecor_frame_set_min_content_size) setMinSize = nullptr;
    decltype(&libdecor_frame_set_max_content_size) setMaxSize = nullptr;
    decltype(&libdecor_frame_unset_capabilities) unsetCapabilities = nullptr;
    decltype(&libdecor_frame_map) map = nullptr;
    decltype(&libdecor_frame_commit) commit = nullptr;
    decltype(&libdecor_state_new) newState = nullptr;
    decltype(&libdecor_state_free) freeState = nullptr;
    decltype(&libdecor_configuration_get_window_state) windowState = nullptr;
    decltype(&libdecor_configuration_get_content_size) contentSize = nullptr;
};
Libdecor lib;

template <typename Function>
bool Find(void* library, Function& function, const char* name) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

bool Open() {
    if (lib.create != nullptr) return true;
    void* library = dlopen(kLibdecorName, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "TrenoxVK: %s is missing, so the window has no title bar\n", kLibdecorName);
        return false;
    }
    if (Find(library, lib.create, "libdecor_new") && Find(library, lib.decorate, "libdecor_decorate") &&
        Find(library, lib.setTitle, "libdecor_frame_set_title") &&
        Find(library, lib.setAppId, "libdecor_frame_set_app_id") &&
        Find(library, lib.setMinSize, "libdecor_frame_set_min_content_size") &&
        Find(library, lib.setMaxSize, "libdecor_frame_set_max_content_size") &&
        Find(library, lib.unsetCapabilities, "libdecor_frame_unset_capabilities") &&
        Find(library, lib.map, "libdecor_frame_map") && Find(library, lib.commit, "libdecor_frame_commit") &&
        Find(library, lib.newState, "libdecor_state_new") && Find(library, lib.freeState, "libdecor_state_free") &&
        Find(library, lib.windowState, "libdecor_configuration_get_window_state") &&
        Find(library, lib.contentSize, "libdecor_configuration_get_content_size")) {
        return true;
    }
    std::fprintf(stderr, "TrenoxVK: %s lacks %s, so the window has no title bar\n", kLibdecorName, dlerror());
    dlclose(library);
    lib = Libdecor{};
    return false;
}

LibdecorWindow& WindowOf(void* data) { return *static_cast<LibdecorWindow*>(data); }

// libdecor's interfaces carry reserved members: set only the ones it calls.
libdecor_interface DecorInterface() {
    libdecor_interface events{};
    events.error = [](libdecor*, libdecor_error, const char* message) {
        std::fprintf(stderr, "TrenoxVK: Wayland window error: %s\n", message);
        EndProcess(EndReason::ProtocolError);
    };
    return events;
}
libdecor_interface decorInterface = DecorInterface();

libdecor_frame_interface FrameInterface() {
    libdecor_frame_interface events{};
    events.configure = [](libdecor_frame* frame, libdecor_configuration* configuration, void* data) {
        WindowOf(data).OnConfigure(frame, configuration);
    };
    events.close = [](libdecor_frame*, void* data) { WindowOf(data).OnClose(); };
    events.commit = [](libdecor_frame*, void*) {};
    events.dismiss_popup = [](libdecor_frame*, const char*, void*) {};
    return events;
}
libdecor_frame_interface frameInterface = FrameInterface();

}  // namespace

bool LibdecorWindow::Load() { return Open(); }

bool LibdecorWindow::Create(wl_display* display, wl_surface* surface, WaylandPlatform& platform) {
    if (!Open()) return false;
    platform_ = &platform;
    decor_ = lib.create(display, &decorInterface);
    frame_ = lib.decorate(decor_, surface, &frameInterface, this);
    lib.setTitle(frame_, kCaption.data());  // a literal's view: NUL-terminated
    lib.setAppId(frame_, kAppId);
    // Fixed size: no resizing, and with it no maximise button or maximising by the title bar.
    lib.setMinSize(frame_, kClientWidth, kClientHeight);
    lib.setMaxSize(frame_, kClientWidth, kClientHeight);
    lib.unsetCapabilities(frame_, static_cast<libdecor_capabilities>(LIBDECOR_ACTION_RESIZE | LIBDECOR_ACTION_FULLSCREEN));
    return true;
}

void LibdecorWindow::Map() { lib.map(frame_); }

void LibdecorWindow::OnConfigure(libdecor_frame* frame, libdecor_configuration* configuration) {
    frame_ = frame;
    configuration_ = configuration;
    WindowConfigure configure{};
    libdecor_window_state state = LIBDECOR_WINDOW_STATE_NONE;
    if (lib.windowState(configuration, &state)) {
        configure.activated = (state & LIBDECOR_WINDOW_STATE_ACTIVE) != 0;
        // The content's share of a size the frame must take, the title bar's taken off.
        int width = 0;
        int height = 0;
        if ((state & (LIBDECOR_WINDOW_STATE_MAXIMIZED | LIBDECOR_WINDOW_STATE_FULLSCREEN)) != 0 &&
            lib.contentSize(configuration, frame, &width, &height)) {
            configure.width = width;
            configure.height = height;
        }
    }
    platform_->OnConfigure(configure);
    configuration_ = nullptr;
}

void LibdecorWindow::Acknowledge(int width, int height) {
    libdecor_state* state = lib.newState(width, height);
    lib.commit(frame_, state, configuration_);
    lib.freeState(state);
}

void LibdecorWindow::OnClose() { platform_->OnCloseRequested(); }
