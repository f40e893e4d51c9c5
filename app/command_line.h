// The command line as a Unix user expects it: --help and --version answer without opening a window,
// anything else unknown is a usage error.
#pragma once

#include <cstdio>
#include <optional>

// Which kind of display session to open: by default the Wayland compositor the environment names, if
// it can be reached, else the X display.
enum class SessionChoice { Either, Wayland, X11 };

// What the command line chose about the run itself.
struct RunOptions {
    SessionChoice session = SessionChoice::Either;
};

struct CommandLine {
    std::optional<int> exitStatus;  // set: the command line is answered, end with this status
    RunOptions run;
};

// Where the answers go: help and version to `out`, errors and the usage after them to `err`.
struct OutputStreams {
    std::FILE* out;
    std::FILE* err;
};

// Reads the arguments after the program name.
CommandLine ParseCommandLine(int argc, const char* const argv[], OutputStreams streams);
