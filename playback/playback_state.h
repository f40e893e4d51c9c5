// The one record of animation state, shared by the playback loop and the input handlers.
#pragma once

// Values of PlaybackState::request: commands from the handlers to the next pass of the loop.
inline constexpr int kRequestHold = 0;           // no movement
inline constexpr int kRequestRun = 1;            // one frame per pass, in the running direction
inline constexpr int kRequestStartBackward = -1;
inline constexpr int kRequestStartForward = 3;
inline constexpr int kRequestStepBack = -2;      // stop if running, else one frame back
inline constexpr int kRequestStepForward = 2;    // stop if running, else one frame forward

struct PlaybackState {
    int position = 0;  // frame-table slot to show, 0 to 17
    int request = 0;
    int runningForward = 0;   // 1 while a run started by kRequestStartForward is in force
    int runningBackward = 0;  // 1 while a run started by kRequestStartBackward is in force
    float delayCount = 0;     // idle iterations of the pacing delay
    int manualMode = 0;       // 0 automatic, 1 stepping with the pointer
    float lastPointerY = 0;   // pointer y at the previous move in manual mode
    int savedRequest = 0;     // copies kept while manual mode is on
    int savedRunningForward = 0;
    int savedRunningBackward = 0;
};
