// A scripted stand-in for the window: runs given actions at given event passes, records what is shown.
#pragma once

#include <functional>
#include <map>
#include <vector>

#include "playback/platform.h"
#include "frames/frame_set.h"

// Thrown by the fake's end so a test can see the program end without ending the test.
struct EndCalled {
    EndReason reason;
};

class FakePlatform final : public Platform {
public:
    explicit FakePlatform(const FrameHolders& holders) : holders_(holders) {}

    // Runs `action` inside the event processing numbered `eventPass` (the first is 1).
    void At(int eventPass, std::function<void()> action) { script_[eventPass].push_back(std::move(action)); }

    void ShowWindow() override { ++windowShown; }
    void WaitForEvents() override { ProcessPendingEvents(); }
    void ShowPicture(const Picture& picture) override { shown.push_back(static_cast<int>(&picture - holders_.data())); }
    void ProcessPendingEvents() override {
        ++eventPasses;
        for (auto& action : script_[eventPasses]) action();
    }
    [[noreturn]] void End(EndReason reason) override { throw EndCalled{reason}; }
    void Breathe() override { ++breaths; }

    std::vector<int> shown;  // holder index of every picture shown, in order
    int eventPasses = 0;
    int windowShown = 0;
    int breaths = 0;

private:
    const FrameHolders& holders_;
    std::map<int, std::vector<std::function<void()>>> script_;
};
