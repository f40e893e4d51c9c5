// The Wayland seat's keyboard and pointer coming and going, played by a small libwayland server in
// the test: each device the compositor adds is asked for and heard, even after several changes in one dispatch.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>
#include <wayland-client.h>
#include <wayland-server.h>
#include <xkbcommon/xkbcommon.h>

#include <cstring>
#include <vector>

#include "app/wayland/wayland_input.h"
#include "input/input_dispatcher.h"
#include "input/picture_area.h"
#include "playback/playback_state.h"

// The seat keeps its Wayland objects for the program's whole life (which ends through _Exit), so
// they are still held when a test's connection closes: under the sanitizers LeakSanitizer passes over
// libwayland's own allocations, and checks everything else.
extern "C" const char* __lsan_default_suppressions() {  // NOLINT(bugprone-reserved-identifier): LSan's hook
    return "leak:libwayland-client.so\nleak:libwayland-server.so\n";
}

namespace {

// The dispatcher needs a window; these cases never end the program or show a picture.
class NoWindow final : public Platform {
public:
    void ShowWindow() override {}
    void WaitForEvents() override {}
    void ProcessPendingEvents() override {}
    void ShowPicture(const Picture&) override {}
    [[noreturn]] void End(EndReason) override { std::abort(); }
};

// The compositor's side: one seat whose capabilities the test sets, and the keyboards and pointers
// the client asks for.
class SeatServer {
public:
    SeatServer() {
        server_ = wl_display_create();
        int ends[2];
        socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends);
        wl_client_create(server_, ends[0]);
        wl_global_create(server_, &wl_seat_interface, 5, this, BindSeat);
        wl_global_create(server_, &wl_compositor_interface, 4, this, BindCompositor);
        client_ = wl_display_connect_to_fd(ends[1]);
        keymap_ = KeymapText();
    }
    SeatServer(const SeatServer&) = delete;
    SeatServer& operator=(const SeatServer&) = delete;
    ~SeatServer() {
        wl_display_disconnect(client_);
        wl_display_destroy(server_);
    }

    wl_display* Client() const { return client_; }

    // Both sides read and answer what the other sent, until neither has more.
    void Exchange() {
        for (int round = 0; round < 4; ++round) {
            wl_display_flush(client_);
            wl_event_loop_dispatch(wl_display_get_event_loop(server_), 0);
            wl_display_flush_clients(server_);
            while (wl_display_prepare_read(client_) != 0) wl_display_dispatch_pending(client_);
            pollfd connection{wl_display_get_fd(client_), POLLIN, 0};
            if (poll(&connection, 1, 0) > 0) {
                wl_display_read_events(client_);
            } else {
                wl_display_cancel_read(client_);
            }
            wl_display_dispatch_pending(client_);
        }
    }

    void SetCapabilities(std::uint32_t capabilities) {
        capabilities_ = capabilities;
        for (wl_resource* seat : seats_) wl_seat_send_capabilities(seat, capabilities);
    }
    void PressAndRelease(std::uint32_t key) {
        ASSERT_FALSE(keyboards_.empty()) << "the client asked for no keyboard";
        wl_keyboard_send_key(keyboards_.back(), NextSerial(), 0, key, WL_KEYBOARD_KEY_STATE_PRESSED);
        wl_keyboard_send_key(keyboards_.back(), NextSerial(), 0, key, WL_KEYBOARD_KEY_STATE_RELEASED);
    }
    void PointAt(int x, int y) {
        ASSERT_FALSE(pointers_.empty()) << "the client asked for no pointer";
        ASSERT_NE(surface_, nullptr);
        wl_pointer_send_enter(pointers_.back(), NextSerial(), surface_, wl_fixed_from_int(0), wl_fixed_from_int(0));
        wl_pointer_send_motion(pointers_.back(), 0, wl_fixed_from_int(x), wl_fixed_from_int(y));
    }

    int keyboardsAsked = 0;
    int keyboardsReleased = 0;
    int pointersAsked = 0;

private:
    std::uint32_t NextSerial() { return wl_display_next_serial(server_); }

    static std::string KeymapText() {
        xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        xkb_rule_names us{.rules = nullptr, .model = nullptr, .layout = "us", .variant = nullptr, .options = nullptr};
        xkb_keymap* keymap = xkb_keymap_new_from_names(context, &us, XKB_KEYMAP_COMPILE_NO_FLAGS);
        std::string text;
        if (keymap != nullptr) {
            char* string = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
            text = string;
            free(string);  // NOLINT(cppcoreguidelines-no-malloc): libxkbcommon's allocation
            xkb_keymap_unref(keymap);
        }
        xkb_context_unref(context);
        return text;
    }

    static SeatServer& Of(wl_resource* resource) { return *static_cast<SeatServer*>(wl_resource_get_user_data(resource)); }
    static void Destroy(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }

    static void BindSeat(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
        auto& self = *static_cast<SeatServer*>(data);
        wl_resource* seat = wl_resource_create(client, &wl_seat_interface, static_cast<int>(version), id);
        static constexpr struct wl_seat_interface kSeat{
            .get_pointer = [](wl_client* c, wl_resource* seat, std::uint32_t id) { Of(seat).CreatePointer(c, seat, id); },
            .get_keyboard = [](wl_client* c, wl_resource* seat, std::uint32_t id) { Of(seat).CreateKeyboard(c, seat, id); },
            .get_touch = [](wl_client*, wl_resource*, std::uint32_t) {},
            .release = Destroy,
        };
        wl_resource_set_implementation(seat, &kSeat, &self, nullptr);
        self.seats_.push_back(seat);
        wl_seat_send_capabilities(seat, self.capabilities_);
    }

    static void BindCompositor(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
        wl_resource* compositor = wl_resource_create(client, &wl_compositor_interface, static_cast<int>(version), id);
        static constexpr struct wl_compositor_interface kCompositor{
            .create_surface = [](wl_client* c, wl_resource* compositor, std::uint32_t id) {
                Of(compositor).surface_ =
                    wl_resource_create(c, &wl_surface_interface, wl_resource_get_version(compositor), id);
            },
            .create_region = [](wl_client*, wl_resource*, std::uint32_t) {},
        };
        wl_resource_set_implementation(compositor, &kCompositor, data, nullptr);
    }

    void CreateKeyboard(wl_client* client, wl_resource* seat, std::uint32_t id) {
        ++keyboardsAsked;
        wl_resource* keyboard = wl_resource_create(client, &wl_keyboard_interface, wl_resource_get_version(seat), id);
        static constexpr struct wl_keyboard_interface kKeyboard{.release = [](wl_client*, wl_resource* keyboard) {
            ++Of(keyboard).keyboardsReleased;
            wl_resource_destroy(keyboard);
        }};
        wl_resource_set_implementation(keyboard, &kKeyboard, this, nullptr);
        keyboards_.push_back(keyboard);
        const int fd = memfd_create("keymap", MFD_CLOEXEC);
        const std::size_t size = keymap_.size() + 1;
        if (ftruncate(fd, static_cast<off_t>(size)) == 0) {
            void* mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
            std::memcpy(mapped, keymap_.c_str(), size);
            munmap(mapped, size);
        }
        wl_keyboard_send_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, static_cast<std::uint32_t>(size));
        close(fd);
        wl_keyboard_send_repeat_info(keyboard, 0, 0);
    }

    void CreatePointer(wl_client* client, wl_resource* seat, std::uint32_t id) {
        ++pointersAsked;
        wl_resource* pointer = wl_resource_create(client, &wl_pointer_interface, wl_resource_get_version(seat), id);
        static constexpr struct wl_pointer_interface kPointer{
            .set_cursor = [](wl_client*, wl_resource*, std::uint32_t, wl_resource*, std::int32_t, std::int32_t) {},
            .release = Destroy,
        };
        wl_resource_set_implementation(pointer, &kPointer, this, nullptr);
        pointers_.push_back(pointer);
    }

    wl_display* server_ = nullptr;
    wl_display* client_ = nullptr;
    std::string keymap_;
    std::uint32_t capabilities_ = 0;
    std::vector<wl_resource*> seats_;
    std::vector<wl_resource*> keyboards_;
    std::vector<wl_resource*> pointers_;
    wl_resource* surface_ = nullptr;
};

// The program's side: the seat and a surface bound as the layer binds them, input going to a dispatcher.
class WaylandSeatTest : public testing::Test {
protected:
    void SetUp() override {
        wl_registry* registry = wl_display_get_registry(server_.Client());
        static constexpr wl_registry_listener kGlobals{
            .global = [](void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
                auto& test = *static_cast<WaylandSeatTest*>(data);
                if (std::strcmp(interface, wl_seat_interface.name) == 0) {
                    test.seat_.Attach(static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 5)));
                } else if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
                    auto* compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
                    test.surface_ = wl_compositor_create_surface(compositor);
                    test.seat_.SetPicture(test.surface_);
                }
            },
            .global_remove = [](void*, wl_registry*, std::uint32_t) {},
        };
        wl_registry_add_listener(registry, &kGlobals, this);
        server_.Exchange();
        ASSERT_NE(surface_, nullptr);
        state_.request = kRequestHold;
    }

    SeatServer server_;
    PlaybackState state_;
    NoWindow window_;
    InputDispatcher input_{state_, window_};
    WaylandInput seat_{input_};
    wl_surface* surface_ = nullptr;
};

TEST_F(WaylandSeatTest, KeyboardThatAppearsLaterTypes) {
    server_.Exchange();
    EXPECT_EQ(server_.keyboardsAsked, 0) << "a keyboard asked for on a seat that has none";
    server_.SetCapabilities(WL_SEAT_CAPABILITY_KEYBOARD);
    server_.Exchange();
    server_.PressAndRelease(KEY_DOT);
    server_.Exchange();
    EXPECT_EQ(state_.request, kRequestStepForward) << "'.' from the keyboard added later was not typed";
}

// Taken away and given back before the client reads either change: the keyboard it had is dead
// on the compositor's side, so only a new one hears the keys.
TEST_F(WaylandSeatTest, KeyboardGoneAndBackInOneDispatchIsAskedForAnew) {
    server_.SetCapabilities(WL_SEAT_CAPABILITY_KEYBOARD);
    server_.Exchange();
    server_.SetCapabilities(0);
    server_.SetCapabilities(WL_SEAT_CAPABILITY_KEYBOARD);
    server_.Exchange();
    EXPECT_EQ(server_.keyboardsAsked, 2);
    EXPECT_EQ(server_.keyboardsReleased, 1);
    server_.PressAndRelease(KEY_SLASH);
    server_.Exchange();
    EXPECT_EQ(state_.request, kRequestStepBack) << "'/' from the keyboard given back was not typed";
}

// Added and taken away in one dispatch, then added for good: the keys of the last one count.
TEST_F(WaylandSeatTest, KeyboardAddedAndGoneInOneDispatchLeavesNothingBehind) {
    server_.SetCapabilities(WL_SEAT_CAPABILITY_KEYBOARD);
    server_.SetCapabilities(0);
    server_.Exchange();
    EXPECT_EQ(server_.keyboardsAsked, server_.keyboardsReleased) << "a keyboard kept that the seat no longer has";
    server_.SetCapabilities(WL_SEAT_CAPABILITY_KEYBOARD | WL_SEAT_CAPABILITY_POINTER);
    server_.Exchange();
    server_.PressAndRelease(KEY_DOT);
    server_.Exchange();
    EXPECT_EQ(state_.request, kRequestStepForward);
    EXPECT_EQ(server_.pointersAsked, 1);
}

// The pointer added later reports picture pixels: where the surface is larger than the picture
// (a kiosk's maximised window), the picture's offset on it is taken off.
TEST_F(WaylandSeatTest, PointerThatAppearsLaterReportsPicturePixels) {
    constexpr int kOriginX = 240;
    constexpr int kOriginY = 61;
    constexpr int kPictureRow = 300;
    seat_.SetPictureOrigin(kOriginX, kOriginY);
    state_.manualMode = 1;  // where a move's row is kept
    server_.SetCapabilities(WL_SEAT_CAPABILITY_POINTER);
    server_.Exchange();
    server_.PointAt(kOriginX + 100, kOriginY + kPictureRow);
    server_.Exchange();
    EXPECT_FLOAT_EQ(state_.lastPointerY, PictureY(kPictureRow));
}

}  // namespace
