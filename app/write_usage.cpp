// Fills the user's help into a document at build time: the manual page, the Windows read-me and
// the page's markup. Usage: write_usage text|man|page linux|windows|web TEMPLATE OUTPUT; the
// template's lines "{{INPUT}}" and "{{EXIT_STATUS}}" become the keys and mouse actions and the exit
// statuses; in the page's, "{{CAPTION}}", "{{CLIENT_WIDTH}}" and "{{CLIENT_HEIGHT}}" the window's.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "app/ending.h"
#include "app/usage.h"
#include "app/window_layout.h"

namespace {

// `text` with each of HTML's special characters as its reference.
std::string HtmlEscaped(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            default: escaped += c;
        }
    }
    return escaped;
}

// `line` with every `token` in it as `value`.
void Replace(std::string& line, std::string_view token, const std::string& value) {
    for (auto at = line.find(token); at != std::string::npos; at = line.find(token, at + value.size()))
        line.replace(at, token.size(), value);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: write_usage text|man|page linux|windows|web TEMPLATE OUTPUT\n");
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
            if (kind == "page") {
                Replace(line, "{{CAPTION}}", HtmlEscaped(kCaption));
                Replace(line, "{{CLIENT_WIDTH}}", std::to_string(kClientWidth));
                Replace(line, "{{CLIENT_HEIGHT}}", std::to_string(kClientHeight));
            }
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
