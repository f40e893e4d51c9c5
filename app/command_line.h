// The command line as a Unix user expects it: --help and --version answer without opening a window,
// anything else unknown is a usage error.
#pragma once

#include <cstdio>
#include <optional>

// What the command line chose about the run itself (none of its options does yet).
struct RunOptions {};

struct CommandLine {
    std::optional<int> exitStatus;  // set: the command line is answered, end with this status
    RunOptions run;
};

// Reads the arguments after the program name; prints help and version on `out`, errors and the
// usage that follows them on `err`.
CommandLine ParseCommandLine(int argc, const char* const argv[], std::FILE* out, std::FILE* err);
