#include "shellext/menu_entries.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kb::shellext {

namespace {

constexpr char kMarker[] =
    "# Kestrelbinder's \"Split\" entry, written when its shell extension was registered.";
constexpr char kHelpText[] = "Splits the selection using Tarnwolde's Kestrelbinder";

std::string DataHome() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return data;
    std::string home;
    if (const char* h = std::getenv("HOME"); h && *h) {
        home = h;
    } else if (passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) {
        home = pw->pw_dir;
    }
    return home + "/.local/share";
}

// An argument of an Exec line, quoted as the desktop entry format asks, then escaped as a
// string value of that format ("\" doubled, "%" doubled for the field codes).
std::string ExecArgument(const std::string& path) {
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    std::string out;
    for (char c : quoted) {
        if (c == '\\') out += '\\';
        if (c == '%') out += '%';
        out += c;
    }
    return out;
}

std::string ShellArgument(const std::string& path) {
    std::string out = "'";
    for (char c : path) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string DolphinEntry(const std::string& launcher) {
    return std::string(kMarker) +
           "\n[Desktop Entry]\nType=Service\nServiceTypes=KonqPopupMenu/Plugin\n"
           "MimeType=all/all;\nActions=split;\nX-KDE-Priority=TopLevel\n\n"
           "[Desktop Action split]\nName=Split\nIcon=kestrelbinder\nExec=" +
           ExecArgument(launcher) + " -- %F\n";
}

std::string NautilusScript(const std::string& launcher) {
    return "#!/bin/sh\n" + std::string(kMarker) + "\nexec " + ShellArgument(launcher) + " -- \"$@\"\n";
}

std::string NemoAction(const std::string& launcher) {
    return std::string(kMarker) + "\n[Nemo Action]\nName=Split\nComment=" + kHelpText +
           "\nIcon-Name=kestrelbinder\nExec=" + ExecArgument(launcher) +
           " -- %F\nSelection=notnone\nExtensions=any;\nQuote=double\n";
}

bool MakeFolders(const std::string& folder) {
    for (size_t pos = 1; pos <= folder.size(); ++pos) {
        if (pos != folder.size() && folder[pos] != '/') continue;
        if (mkdir(folder.substr(0, pos).c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    return true;
}

// 0: missing; 1: ours; -1: someone else's (or unreadable).
int Ownership(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? 0 : -1;
    std::string text;
    char buf[4096];
    ssize_t n;
    while (text.size() < 65536 && (n = read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<size_t>(n));
    close(fd);
    return text.find(kMarker) != std::string::npos ? 1 : -1;
}

bool WriteEntry(const std::string& path, const std::string& text, mode_t mode) {
    const int owner = Ownership(path);
    if (owner < 0) return true;  // the user's own file of that name stays
    const std::string folder = path.substr(0, path.rfind('/'));
    if (!MakeFolders(folder)) return false;
    std::string tmp = path + ".tmpXXXXXX";
    const int fd = mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ok = fchmod(fd, mode) == 0 && ok;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(tmp.c_str(), path.c_str()) != 0) {
        unlink(tmp.c_str());
        return false;
    }
    return true;
}

// One entry file: where it lives under the data folder, what it holds for a launcher and the
// permissions it gets (Dolphin runs only executable service menus).
struct MenuEntry {
    const char* relativePath;
    std::string (*text)(const std::string& launcher);
    mode_t mode;
};

const MenuEntry kEntries[] = {
    {"/kio/servicemenus/kestrelbinder-split.desktop", DolphinEntry, 0755},
    {"/nautilus/scripts/Split", NautilusScript, 0755},
    {"/nemo/actions/kestrelbinder-split.nemo_action", NemoAction, 0644},
};

}  // namespace

std::vector<std::string> MenuEntryFiles() {
    const std::string data = DataHome();
    std::vector<std::string> files;
    for (const MenuEntry& entry : kEntries) files.push_back(data + entry.relativePath);
    return files;
}

bool InstallMenuEntries(const std::string& launcher) {
    if (launcher.find_first_of("\r\n") != std::string::npos) return false;
    const std::string data = DataHome();
    bool ok = true;
    for (const MenuEntry& entry : kEntries)
        ok = WriteEntry(data + entry.relativePath, entry.text(launcher), entry.mode) && ok;
    return ok;
}

bool RemoveMenuEntries() {
    bool ok = true;
    for (const std::string& file : MenuEntryFiles())
        if (Ownership(file) == 1 && unlink(file.c_str()) != 0 && errno != ENOENT) ok = false;
    return ok;
}

}  // namespace kb::shellext
