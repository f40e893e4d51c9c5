// The command line: what --help, --version and wrong arguments print, where, and the exit status.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Parses `arguments` after the program name, capturing what goes to stdout and stderr.
struct Parsed {
    CommandLine result;
    std::string out;
    std::string err;
};

std::string Contents(std::FILE* file) {
    std::rewind(file);
    std::string text;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text.push_back(static_cast<char>(c));
    std::fclose(file);
    return text;
}

Parsed Parse(const std::vector<const char*>& arguments) {
    std::vector<const char*> argv{"TrenoxVK"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Parsed parsed{ParseCommandLine(static_cast<int>(argv.size()), argv.data(), {.out = out, .err = err}), {}, {}};
    parsed.out = Contents(out);
    parsed.err = Contents(err);
    return parsed;
}

// The usage as a user needs it: every option, the keys and mouse, the exit statuses.
void ExpectFullUsage(const std::string& text) {
    for (const char* part : {"Usage: TrenoxVK", "--help", "--version", "Esc", "double-click", "Exit status:",
                             "  2  a wrong command line"})
        EXPECT_NE(text.find(part), std::string::npos) << "usage lacks \"" << part << "\":\n" << text;
}

TEST(CommandLineTest, NoArgumentsRunsTheProgramSilently) {
    const Parsed parsed = Parse({});
    EXPECT_FALSE(parsed.result.exitStatus.has_value());
    EXPECT_EQ(parsed.out, "");
    EXPECT_EQ(parsed.err, "");
}

TEST(CommandLineTest, HelpPrintsTheUsageOnStdoutAndSucceeds) {
    for (const char* help : {"--help", "-h"}) {
        const Parsed parsed = Parse({help});
        ASSERT_TRUE(parsed.result.exitStatus.has_value()) << help;
        EXPECT_EQ(*parsed.result.exitStatus, EXIT_SUCCESS) << help;
        ExpectFullUsage(parsed.out);
        EXPECT_EQ(parsed.err, "") << help;
    }
}

TEST(CommandLineTest, VersionPrintsNameAndVersionOnOneLine) {
    for (const char* version : {"--version", "-V"}) {
        const Parsed parsed = Parse({version});
        ASSERT_TRUE(parsed.result.exitStatus.has_value()) << version;
        EXPECT_EQ(*parsed.result.exitStatus, EXIT_SUCCESS);
        ASSERT_TRUE(parsed.out.starts_with("TrenoxVK ")) << parsed.out;
        EXPECT_EQ(parsed.out.find('\n'), parsed.out.size() - 1) << parsed.out;
        EXPECT_EQ(parsed.err, "");
    }
}

TEST(CommandLineTest, TheFirstAnsweringOptionEndsTheParsing) {
    const Parsed parsed = Parse({"--version", "--bogus"});
    EXPECT_EQ(parsed.result.exitStatus, EXIT_SUCCESS);
    EXPECT_EQ(parsed.err, "");
}

// A wrong command line: one line naming the culprit, the usage, all on stderr, status 2.
TEST(CommandLineTest, WrongArgumentsAreUsageErrors) {
    const struct {
        std::vector<const char*> arguments;
        std::string firstLine;
    } cases[] = {
        {{"--bogus"}, "TrenoxVK: unknown option '--bogus'"},
        {{"-x"}, "TrenoxVK: unknown option '-x'"},
        {{"--hel"}, "TrenoxVK: unknown option '--hel'"},
        {{"frames.bmp"}, "TrenoxVK: unexpected argument 'frames.bmp'"},
        {{"--version=2"}, "TrenoxVK: option takes no value '--version=2'"},
        {{"-h=1"}, "TrenoxVK: unknown option '-h=1'"},
        {{"--bogus", "--help"}, "TrenoxVK: unknown option '--bogus'"},
        {{"--session"}, "TrenoxVK: option needs a value '--session'"},
        {{"--session=mir"}, "TrenoxVK: no such session 'mir'"},
        {{"--session="}, "TrenoxVK: no such session ''"},
    };
    for (const auto& wrong : cases) {
        const Parsed parsed = Parse(wrong.arguments);
        EXPECT_EQ(parsed.result.exitStatus, 2) << wrong.firstLine;
        EXPECT_EQ(parsed.out, "") << wrong.firstLine;
        EXPECT_EQ(parsed.err.substr(0, parsed.err.find('\n')), wrong.firstLine);
        ExpectFullUsage(parsed.err);
    }
}

TEST(CommandLineTest, SessionChoosesWaylandOrX11AndTheLastOneCounts) {
    EXPECT_EQ(Parse({}).result.run.session, SessionChoice::Either);
    const Parsed wayland = Parse({"--session=wayland"});
    EXPECT_FALSE(wayland.result.exitStatus.has_value());
    EXPECT_EQ(wayland.result.run.session, SessionChoice::Wayland);
    EXPECT_EQ(wayland.out + wayland.err, "");
    EXPECT_EQ(Parse({"--session=wayland", "--session=x11"}).result.run.session, SessionChoice::X11);
    EXPECT_NE(Parse({"--help"}).out.find("--session=wayland|x11"), std::string::npos);
}

TEST(CommandLineTest, OutputThatCannotBeWrittenFails) {
    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    const char* argv[] = {"TrenoxVK", "--help"};
    EXPECT_EQ(ParseCommandLine(2, argv, {.out = full, .err = stderr}).exitStatus, EXIT_FAILURE);
    std::fclose(full);
}

}  // namespace
