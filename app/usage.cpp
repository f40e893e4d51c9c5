// The keys, mouse actions and exit statuses as text, groff and Markdown.
#include "app/usage.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "app/ending.h"
#include "input/picture1_handlers.h"
#include "playback/playback_state.h"

namespace {

struct Action {
    std::string input;  // the keys or the mouse action, as the user names them
    std::string_view effect;
};

// What each request does, in the order the usage lists the keys.
struct RequestHelp {
    int request;
    std::string_view effect;
};
constexpr RequestHelp kRequestHelp[] = {
    {kRequestStartForward, "run forward (the crank turns clockwise)"},
    {kRequestStartBackward, "run backward"},
    {kRequestStepBack, "stop if running, else step one frame back"},
    {kRequestStepForward, "stop if running, else step one frame forward"},
};
constexpr std::string_view kEscapeHelp = "end the program";

struct MouseHelp {
    std::string_view action;
    std::string_view effect;
};
constexpr MouseHelp kMouse[] = {
    {"pointer move", "sets the pace: fast near the top or left edge, slower towards the bottom-right corner"},
    {"click", "manual mode: moving the pointer down steps forward, up steps back; a second click resumes the run"},
    {"double-click", "end the program"},
};

constexpr std::size_t kWidth = 79;

// Appends the pieces in turn, with no temporary strings in between.
void Append(std::string& out, std::initializer_list<std::string_view> pieces) {
    for (const std::string_view piece : pieces) out += piece;
}

// "a", "a or b", "a, b or c".
std::string Listed(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() ? " or " : ", ";
        text += items[i];
    }
    return text;
}

std::string KeyName(char key, UsageFormat format) {
    if (key == ' ') return "space";
    if (format == UsageFormat::Markdown) return std::string("`") + key + "`";
    if (format == UsageFormat::Man && key == '-') return "\\-";
    return {key};
}

std::vector<Action> Keys(UsageFormat format) {
    std::vector<Action> keys;
    for (const RequestHelp& help : kRequestHelp) {
        std::vector<std::string> names;
        for (const KeyCommand& command : KeyCommands()) {
            if (command.request == help.request) names.push_back(KeyName(command.character, format));
        }
        keys.push_back({Listed(names), help.effect});
    }
    keys.push_back({format == UsageFormat::Markdown ? "ESC" : "Esc", kEscapeHelp});
    return keys;
}

// `text` in lines of at most kWidth, the first after `first`, the others indented as deep.
std::string Wrapped(std::string_view first, std::string_view text) {
    std::string out(first);
    std::size_t column = first.size();
    const std::string indent(first.size(), ' ');
    while (!text.empty()) {
        const std::size_t end = text.find(' ');
        const std::string_view word = text.substr(0, end);
        if (column > first.size() && column + 1 + word.size() > kWidth) {
            out += "\n" + indent;
            column = indent.size();
        } else if (column > first.size()) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    }
    return out + "\n";
}

std::string Capitalised(std::string_view text) {
    std::string out(text);
    if (!out.empty() && out[0] >= 'a' && out[0] <= 'z') out[0] = static_cast<char>(out[0] - 'a' + 'A');
    return out;
}

// Options' dashes as groff's minus signs, so that they can be copied.
std::string ManText(std::string text) {
    for (std::size_t at = text.find("--"); at != std::string::npos; at = text.find("--", at + 4))
        text.replace(at, 2, "\\-\\-");
    return text;
}

std::string TextSection(std::string_view title, const std::vector<Action>& actions) {
    constexpr std::size_t kColumn = 15;
    std::string out = std::string(title) + ":\n";
    for (const Action& action : actions) {
        std::string first = "  " + action.input;
        first.resize(std::max(first.size() + 1, kColumn + 2), ' ');
        out += Wrapped(first, action.effect);
    }
    return out;
}

std::string ManSection(std::string_view title, const std::vector<Action>& actions) {
    std::string out = ".SH " + std::string(title) + "\n";
    for (const Action& action : actions) Append(out, {".TP\n.B \"", action.input, "\"\n", Capitalised(action.effect), ".\n"});
    return out;
}

}  // namespace

std::string InputHelp(UsageFormat format) {
    std::vector<Action> keys = Keys(format);
    std::vector<Action> mouse;
    for (const MouseHelp& help : kMouse) mouse.push_back({std::string(help.action), help.effect});
    switch (format) {
        case UsageFormat::Text: return TextSection("Keys", keys) + TextSection("Mouse", mouse);
        case UsageFormat::Man:
            return ManSection("KEYS", keys) + ".PP\nAny other key changes nothing.\n" + ManSection("MOUSE", mouse);
        case UsageFormat::Markdown: break;
    }
    std::string out = "| Key or mouse | What it does |\n|---|---|\n";
    for (const std::vector<Action>* group : {&keys, &mouse}) {
        for (const Action& action : *group) Append(out, {"| ", action.input, " | ", action.effect, " |\n"});
    }
    return out;
}

std::string ExitStatusHelp(UsageFormat format, unsigned platforms) {
    std::string out = format == UsageFormat::Man ? ".SH \"EXIT STATUS\"\n" : "Exit status:\n";
    if (format == UsageFormat::Markdown) out = "| Exit status | When |\n|---|---|\n";
    for (int status = 0; status <= 2; ++status) {
        std::vector<std::string> ways;
        for (const WayOut& way : WaysOut()) {
            if (way.status == status && (way.platforms & platforms) != 0) ways.emplace_back(way.text);
        }
        if (ways.empty()) continue;
        const std::string when = Listed(ways);
        const std::string digit = std::to_string(status);
        switch (format) {
            case UsageFormat::Text: out += Wrapped("  " + digit + "  ", when); break;
            case UsageFormat::Man: Append(out, {".TP\n.B ", digit, "\n", ManText(Capitalised(when)), ".\n"}); break;
            case UsageFormat::Markdown: Append(out, {"| ", digit, " | ", when, " |\n"}); break;
        }
    }
    return out;
}
