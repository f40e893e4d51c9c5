// Options of TrenoxVK: one table, from which both the parsing and the usage text come.
#include "app/command_line.h"

#include <cstdlib>
#include <string_view>

#include "app/ending.h"
#include "app/usage.h"
#include "app/version.h"

namespace {

// Returns the exit status when the option answers the command line by itself, or finds it wrong.
using ApplyOption = std::optional<int> (*)(std::string_view value, RunOptions& run, OutputStreams streams);

struct Option {
    std::string_view name;      // "--name"; "--name=VALUE" when `value` is set
    std::string_view shortName;  // "-x", or empty
    std::string_view value;     // what the value stands for, as the usage shows it; empty: takes none
    std::string_view help;
    ApplyOption apply;
};

std::optional<int> PrintHelp(std::string_view, RunOptions&, OutputStreams streams);
std::optional<int> PrintVersion(std::string_view, RunOptions&, OutputStreams streams);
std::optional<int> ChooseSession(std::string_view kind, RunOptions& run, OutputStreams streams);

// A new option is one more line here (and its field in RunOptions).
constexpr Option kOptions[] = {
    {"--help", "-h", "", "print this help and exit", PrintHelp},
    {"--version", "-V", "", "print the name and version and exit", PrintVersion},
    {"--session", "", "wayland|x11", "open the window on Wayland or on X11 only", ChooseSession},
};

constexpr std::string_view kAbout =
    "Usage: TrenoxVK [OPTION]\n"
    "An animated cross-section of a single-crankshaft opposed-piston engine, in one window.\n";

void Print(std::FILE* to, std::string_view text) { std::fwrite(text.data(), 1, text.size(), to); }

void PrintUsage(std::FILE* to) {
    Print(to, kAbout);
    Print(to, "\nOptions:\n");
    for (const Option& option : kOptions) {
        char left[40];
        std::snprintf(left, sizeof left, "  %.*s%s%.*s%s%.*s", static_cast<int>(option.shortName.size()),
                      option.shortName.data(), option.shortName.empty() ? "    " : ", ",
                      static_cast<int>(option.name.size()), option.name.data(), option.value.empty() ? "" : "=",
                      static_cast<int>(option.value.size()), option.value.data());
        std::fprintf(to, "%-30s %.*s\n", left, static_cast<int>(option.help.size()), option.help.data());
    }
    Print(to, "\n");
    Print(to, InputHelp(UsageFormat::Text));
    Print(to, "\n");
    Print(to, ExitStatusHelp(UsageFormat::Text, kOnLinux));
}

// Output that could not be written (a closed or full stdout) is a failure, as in coreutils.
int Flushed(std::FILE* out) {
    return std::fflush(out) == 0 && std::ferror(out) == 0 ? ExitStatus(EndReason::Answered) : EXIT_FAILURE;
}

int UsageError(std::FILE* err, const char* problem, std::string_view argument) {
    std::fprintf(err, "TrenoxVK: %s '%.*s'\n", problem, static_cast<int>(argument.size()), argument.data());
    PrintUsage(err);
    return ExitStatus(EndReason::UsageError);  // 2, as getopt-based programs
}

std::optional<int> PrintHelp(std::string_view, RunOptions&, OutputStreams streams) {
    PrintUsage(streams.out);
    return Flushed(streams.out);
}

std::optional<int> PrintVersion(std::string_view, RunOptions&, OutputStreams streams) {
    Print(streams.out, "TrenoxVK " TRENOXVK_VERSION "\n");
    return Flushed(streams.out);
}

std::optional<int> ChooseSession(std::string_view kind, RunOptions& run, OutputStreams streams) {
    if (kind == "wayland") {
        run.session = SessionChoice::Wayland;
    } else if (kind == "x11") {
        run.session = SessionChoice::X11;
    } else {
        return UsageError(streams.err, "no such session", kind);
    }
    return std::nullopt;
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const argv[], OutputStreams streams) {
    CommandLine result;
    for (int i = 1; i < argc && !result.exitStatus; ++i) {
        const std::string_view argument = argv[i];
        const std::string_view name = argument.substr(0, argument.find('='));
        const Option* match = nullptr;
        for (const Option& option : kOptions)
            if (name == option.name || (!option.shortName.empty() && argument == option.shortName)) match = &option;
        if (match == nullptr) {
            const char* problem = argument.starts_with('-') ? "unknown option" : "unexpected argument";
            result.exitStatus = UsageError(streams.err, problem, argument);
            break;
        }
        const bool hasValue = name.size() < argument.size();
        if (hasValue == match->value.empty()) {
            const char* problem = hasValue ? "option takes no value" : "option needs a value";
            result.exitStatus = UsageError(streams.err, problem, argument);
            break;
        }
        const std::string_view value = hasValue ? argument.substr(name.size() + 1) : std::string_view{};
        result.exitStatus = match->apply(value, result.run, streams);
    }
    return result;
}
