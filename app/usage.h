// The user's help, written once: the keys (from the handlers' own table), the mouse actions and the
// exit statuses (from the ways out), as --help, the manual page, the Windows read-me and the
// README show them.
#pragma once

#include <string>

enum class UsageFormat { Text, Man, Markdown };

// "Keys:" and "Mouse:" with a line each (Text); the KEYS and MOUSE sections (Man); one table of
// both (Markdown).
std::string InputHelp(UsageFormat format);

// "Exit status:" and the ways out of the programs in `platforms` (WayOutPlatforms), by status.
std::string ExitStatusHelp(UsageFormat format, unsigned platforms);
