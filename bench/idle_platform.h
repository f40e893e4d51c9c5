// A window that does nothing: the pacing delay's own cost is measured alone.
#pragma once

#include <cstdlib>

#include "playback/platform.h"

class IdlePlatform final : public Platform {
public:
    void ShowWindow() override {}
    void WaitForEvents() override {}
    void ShowPicture(const Picture& /*picture*/) override {}
    void ProcessPendingEvents() override {}
    [[noreturn]] void End(EndReason /*reason*/) override { std::abort(); }
};
