// The right-click menus of the annotations and the editor commands their items
// raise. The menus are the tray host's in name; they open at the pointer.

#include <map>

#include "editor/Form1.h"
#include "platform/Desktop.h"

namespace orv {

const Menu& Form1::cd() {
    static const Menu m{QStringLiteral("cd"),
                        {{"delyanse", "Change the line color", {}},
                         {"Deleteline", "Delete", {}},
                         {"btmbjs", "Change background color", {}},
                         {"tmbjs", "Transparent Background color", {}},
                         {"shizhi", "Custom text", {}}}};
    return m;
}

const Menu& Form1::cdd() {
    static const Menu m{QStringLiteral("cdd"),
                        {{"delys", "Change the line color", {}},
                         {"delcolo", "Delete", {}},
                         {"fzts", "Copy color code", {}},
                         {"getweb", "Web color", {}},
                         {"getrgb", "RGB color", {}},
                         {"coltran", "Transparent Background color", {}},
                         {"tjbjs", "Change background color", {}},
                         {"contrast", "Contrast with\u2026", {}}}};
    return m;
}

const Menu& Form1::cddd() {
    static const Menu m{QStringLiteral("cddd"),
                        {{"editys", "Change Background color", {}},
                         {"editfore", "Change color", {}},
                         {"Delete", "Delete", {}},
                         {"backtm", "Transparent Background color", {}},
                         {"backno", "Change background color", {}}}};
    return m;
}

void Form1::PopupAnnotationMenu(const Menu& menu) {
    const QString chosen = desktop.PopupMenu(menu);
    if (!chosen.isEmpty()) RunAnnotationCommand(chosen);
}

bool Form1::RunAnnotationCommand(const QString& item) {
    using Command = void (Form1::*)();
    static const std::map<QString, Command> commands = {
        {"delyanse", &Form1::Command9_Click}, {"Deleteline", &Form1::delline_Click},
        {"btmbjs", &Form1::Command18_Click},  {"tmbjs", &Form1::Command20_Click},
        {"shizhi", &Form1::Command25_Click},  {"delys", &Form1::Command10_Click},
        {"delcolo", &Form1::delzbb_Click},    {"fzts", &Form1::Command11_Click},
        {"getweb", &Form1::towebrgb_Click},   {"getrgb", &Form1::torgb_Click},
        {"coltran", &Form1::coltm_Click},     {"tjbjs", &Form1::Command21_Click},
        {"editys", &Form1::Command16_Click},  {"editfore", &Form1::Command13_Click},
        {"Delete", &Form1::Command19_Click},  {"backtm", &Form1::Command15_Click},
        {"backno", &Form1::Command17_Click},  {"contrast", &Form1::contrast_Click},
    };
    if (RunKindCommand(item)) return true;
    const auto it = commands.find(item);
    if (it == commands.end()) return false;
    (this->*(it->second))();
    return true;
}

}  // namespace orv
