// Prints an xdg-activation-v1 token from the compositor WAYLAND_DISPLAY names, as a launcher gets
// one for the program it starts; exit status 1 if the compositor gives none.
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "xdg-activation-v1-client-protocol.h"

namespace {

xdg_activation_v1* activation = nullptr;
std::string token;
bool done = false;

constexpr wl_registry_listener kGlobals{
    .global = [](void*, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
        if (std::strcmp(interface, xdg_activation_v1_interface.name) == 0)
            activation = static_cast<xdg_activation_v1*>(wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1));
    },
    .global_remove = [](void*, wl_registry*, std::uint32_t) {},
};

constexpr xdg_activation_token_v1_listener kToken{
    .done = [](void*, xdg_activation_token_v1*, const char* given) {
        token = given;
        done = true;
    },
};

}  // namespace

int main() {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return 1;
    wl_registry_add_listener(wl_display_get_registry(display), &kGlobals, nullptr);
    wl_display_roundtrip(display);
    if (activation == nullptr) return 1;
    xdg_activation_token_v1* request = xdg_activation_v1_get_activation_token(activation);
    xdg_activation_token_v1_add_listener(request, &kToken, nullptr);
    xdg_activation_token_v1_set_app_id(request, "invalid.trenox.trenoxvk");
    xdg_activation_token_v1_commit(request);
    while (!done && wl_display_dispatch(display) >= 0) {}
    if (!done) return 1;
    std::puts(token.c_str());
    return 0;
}
