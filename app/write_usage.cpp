// Fills the user's help into a document at build time: the manual page and the Windows read-me.
// Usage: write_usage text|man linux|windows TEMPLATE OUTPUT; the template's lines "{{INPUT}}" and
// "{{EXIT_STATUS}}" become the keys and mouse actions and the exit statuses.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "app/ending.h"
#include "app/usage.h"

int main(int argc, char* argv[]) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: write_usage text|man linux|windows TEMPLATE OUTPUT\n");
        return 2;
    }
    const std::string_view kind = argv[1];
    const std::string_view platform = argv[2];
    const UsageFormat format = kind == "man" ? UsageFormat::Man : UsageFormat::Text;
    const unsigned platforms = platform == "windows" ? kOnWindows : kOnLinux;
    std::ifstream in(argv[3]);
    std::ostringstream out;
    for (std::string line; std::getline(in, line);) {
        if (line == "{{INPUT}}") {
            out << InputHelp(format);
        } else if (line == "{{EXIT_STATUS}}") {
            out << ExitStatusHelp(format, platforms);
        } else {
            out << line << '\n';
        }
    }
    if (!in.eof()) {
        std::fprintf(stderr, "write_usage: cannot read %s\n", argv[3]);
        return 1;
    }
    std::ofstream(argv[4]) << out.str();
    return EXIT_SUCCESS;
}
