#include "app/desktop_settings.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "core/log.h"

namespace tirk {
namespace {

struct SettingsProgram {
    std::vector<std::string_view> desktops;  ///< XDG_CURRENT_DESKTOP names it belongs to
    std::vector<std::string> keyboard;
    std::vector<std::string> mouse;
    /// It refuses to run on any other desktop (it starts and quits at once,
    /// so starting it elsewhere would look like success and show nothing).
    bool ownDesktopOnly = false;
};

const std::vector<SettingsProgram>& Programs() {
    static const std::vector<SettingsProgram> kPrograms = {
        {{"gnome", "unity"},
         {"gnome-control-center", "keyboard"},
         {"gnome-control-center", "mouse"},
         true},
        {{"kde"}, {"systemsettings", "kcm_keyboard"}, {"systemsettings", "kcm_mouse"}},
        {{"kde"}, {"systemsettings5", "kcm_keyboard"}, {"systemsettings5", "kcm_mouse"}},
        {{"xfce"}, {"xfce4-keyboard-settings"}, {"xfce4-mouse-settings"}},
        {{"x-cinnamon", "cinnamon"},
         {"cinnamon-settings", "keyboard"},
         {"cinnamon-settings", "mouse"}},
        {{"mate"}, {"mate-keyboard-properties"}, {"mate-mouse-properties"}},
        {{"lxqt"}, {"lxqt-config-input"}, {"lxqt-config-input"}},
        {{"lxde"}, {"lxinput"}, {"lxinput"}},
    };
    return kPrograms;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::vector<std::string> DesktopNames(std::string_view desktop) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= desktop.size()) {
        const size_t end = std::min(desktop.find(':', start), desktop.size());
        if (end > start) names.push_back(Lower(desktop.substr(start, end - start)));
        start = end + 1;
    }
    return names;
}

bool BelongsTo(const SettingsProgram& program, const std::vector<std::string>& names) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return std::find(program.desktops.begin(), program.desktops.end(), name) !=
               program.desktops.end();
    });
}

}  // namespace

std::vector<std::vector<std::string>> DesktopSettingsCommands(DesktopSettingsPage page,
                                                              std::string_view desktop) {
    const std::vector<std::string> names = DesktopNames(desktop);
    std::vector<const SettingsProgram*> ordered;
    for (const SettingsProgram& p : Programs())
        if (!p.ownDesktopOnly || BelongsTo(p, names)) ordered.push_back(&p);
    std::stable_partition(ordered.begin(), ordered.end(),
                          [&](const SettingsProgram* p) { return BelongsTo(*p, names); });
    std::vector<std::vector<std::string>> commands;
    for (const SettingsProgram* p : ordered) {
        const auto& command = page == DesktopSettingsPage::kKeyboard ? p->keyboard : p->mouse;
        if (std::find(commands.begin(), commands.end(), command) == commands.end())
            commands.push_back(command);
    }
    return commands;
}

bool OpenDesktopSettings(DesktopSettingsPage page) {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    for (const auto& command : DesktopSettingsCommands(page, desktop ? desktop : "")) {
        const QString program =
            QStandardPaths::findExecutable(QString::fromStdString(command.front()));
        if (program.isEmpty()) continue;
        QStringList arguments;
        for (size_t i = 1; i < command.size(); ++i) arguments << QString::fromStdString(command[i]);
        if (QProcess::startDetached(program, arguments)) return true;
        log::Printf("desktop settings: %s could not be started", command.front().c_str());
    }
    return false;
}

}  // namespace tirk
