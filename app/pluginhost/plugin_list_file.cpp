#include "app/pluginhost/plugin_list_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>

#include "app/core/paths.h"
#include "app/core/prompter.h"
#include "app/core/text.h"
#include "app/core/version.h"
#include "app/pluginhost/include/kb_plugin.h"
#include "app/pluginhost/kbplugin.h"
#include "app/pluginhost/plugin_rows.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/pluginhost/plugin_text.h"
#include "platform/program_folder.h"

namespace kb {
namespace {

constexpr const char* kCrLf = "\r\n";
constexpr const char* kEndMarker = "~end~";

bool IsComment(const std::string& item) { return !item.empty() && item[0] == '#'; }
bool IsMarker(const std::string& item) { return !item.empty() && item[0] == '~'; }

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool SamePlugin(const std::string& entryPath, const std::string& path) {
    return Lower(StripFolder(entryPath)) == Lower(StripFolder(path));
}

// Items end at commas and line ends, so a path holding one would come back as several entries
// and every entry after it would stand for the wrong slot.
bool ListCanHold(const std::string& path) {
    return path.find_first_of(",\r\n") == std::string::npos;
}

std::string CommentLines() {
    return "#Created by: Tarnwolde Kestrelbinder " + std::to_string(kVersionMajor) + "." +
           std::to_string(kVersionMinor) + kCrLf +
           "#It is not recommended that you try to modify this file." + kCrLf +
           "#If you want to reset the plugin list delete this file instead." + kCrLf;
}

// The file's items, or false when it cannot be read.
bool ReadItems(std::vector<std::string>& items) {
    if (!FileExists(PluginListPath())) return false;
    std::ifstream in(PluginListPath(), std::ios::binary);
    if (!in) return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    items = ReadPluginListItems(bytes);
    return true;
}

// Puts text over the file from its first byte, leaving whatever lies beyond it. A file that
// cannot be written (an installed, read-only program folder, or a missing "Plugins" folder) is
// left alone: the plug-ins stay as they are for this run, the list keeps its old text, and the
// user is told, since the change will be gone at the next start.
void WriteOver(const std::string& text) {
    const std::string path = PluginListPath();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    int error = fd < 0 ? errno : 0;
    size_t done = 0;
    while (fd >= 0 && done < text.size()) {
        const ssize_t n = ::pwrite(fd, text.data() + done, text.size() - done,
                                   static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        done += static_cast<size_t>(n);
    }
    if (fd >= 0 && ::close(fd) != 0 && error == 0) error = errno;
    if (error == 0) return;
    MsgBox("The plug-in list could not be saved to " + path + " (" + std::strerror(error) +
               ").\rThe change lasts only until Kestrelbinder is closed.",
           mb::OKOnly | mb::Exclamation);
}

// Rewrites the entry of the plug-in with path's file name as `rewrite` makes it of the old
// entry (flag and path); items of 2 characters or fewer and markers are dropped.
void RewriteEntry(const std::string& path,
                  const std::function<std::string(const std::string&)>& rewrite) {
    std::string text;
    std::vector<std::string> items;
    if (ReadItems(items)) {
        for (const std::string& item : items) {
            if (item.size() <= 2 || IsMarker(item)) continue;
            const bool match = !IsComment(item) && SamePlugin(item.substr(1), path);
            text += (match ? rewrite(item) : item) + kCrLf;
        }
    } else {
        text = CommentLines();
    }
    text += std::string(kEndMarker) + kCrLf;
    WriteOver(text);
}

}  // namespace

std::vector<std::string> ReadPluginListFile() {
    std::vector<std::string> items;
    ReadItems(items);
    return items;
}

int32_t PluginResourceMask(PluginHost& host, int16_t slot) {
    int32_t mask = 0;
    host.SendPluginCommand(slot, PLUGIN_CMD_GET_RESOURCE_MASK, mask);
    return mask;
}

std::string PluginFolder() {
    std::string folder = platform::ProgramFolder();
    return RemoveTrailingBackslash(folder, true) + "/Plugins";
}

std::string PluginListPath() { return PluginFolder() + "/Plugins.lst"; }

std::string PluginEntryLibrary(const std::string& listedPath) {
    if (FileExists(listedPath)) return listedPath;
    const std::string own = PluginFolder() + "/" + StripFolder(listedPath);
    return FileExists(own) ? own : listedPath;
}

std::vector<std::string> ReadPluginListItems(const std::string& bytes) {
    std::vector<std::string> items;
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        while (i < n && (bytes[i] == ' ' || bytes[i] == '\t')) ++i;
        const size_t start = i;
        while (i < n && bytes[i] != ',' && bytes[i] != '\r' && bytes[i] != '\n') ++i;
        std::string item = bytes.substr(start, i - start);
        if (i < n) i += (bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n') ? 2 : 1;
        // An empty line is no entry: counting it would shift every entry after it off its slot.
        if (item.empty()) continue;
        items.push_back(std::move(item));
        if (items.back() == kEndMarker) break;
    }
    return items;
}

bool LoadAndRegisterPlugin(PluginHost& host, const std::string& path, int16_t& slot, int32_t& state,
                           int16_t& conflictSlot, int32_t& conflictMask, bool addToList) {
    std::string text;
    if (addToList) {
        std::vector<std::string> items;
        if (ReadItems(items)) {
            for (const std::string& item : items) {
                if (item.size() <= 2 || IsMarker(item)) continue;
                if (!IsComment(item) && SamePlugin(item.substr(1), path)) slot = -2;
                text += item + kCrLf;
            }
        } else {
            text = CommentLines();
        }
    }

    if (addToList && slot >= 0 && !ListCanHold(path)) slot = -1;
    if (slot >= 0) slot = host.LoadPluginSlot(path);
    const bool loaded = slot >= 0;
    bool result = false;
    if (!loaded) {
        state = PLUGIN_COMPAT_BAD;
    } else {
        float hostVersion = GetVersionNumber();
        PluginTextArg reason;
        int32_t zero = 0;
        if (host.CallPluginMain(slot, PLUGIN_CMD_CHECK_COMPATIBILITY, &state, &hostVersion,
                                reason.Var(), &zero) < 0) {
            state = PLUGIN_COMPAT_MAYBE;
        }
        if (state == PLUGIN_COMPAT_BAD) {
            result = false;
        } else if (FindPluginConflict(host, slot, conflictSlot, conflictMask)) {
            state = PLUGIN_COMPAT_CONFLICT;
            result = false;
        } else {
            result = true;
        }
    }

    if (addToList) {
        if (loaded) text += (result ? "1" : "0") + path + kCrLf;
        text += std::string(kEndMarker) + kCrLf;
        WriteOver(text);
    }
    return result;
}

void SetPluginListFlag(const std::string& path, bool enabled) {
    RewriteEntry(path, [enabled](const std::string& item) {
        return (enabled ? "1" : "0") + item.substr(1);
    });
}

void SetPluginListEntryPath(const std::string& path) {
    if (!ListCanHold(path)) return;
    RewriteEntry(path, [&path](const std::string& item) { return item.substr(0, 1) + path; });
}

void RemovePluginFromList(PluginHost& host, int16_t index, bool unload) {
    std::vector<std::string> items;
    // A list that has vanished is not made again just to drop an entry from it.
    if (ReadItems(items)) {
        std::string text;
        int entry = 0;
        for (const std::string& item : items) {
            if (IsMarker(item)) continue;
            if (!IsComment(item) && entry++ == index) continue;
            text += item + kCrLf;
        }
        text += std::string(kEndMarker) + kCrLf;
        WriteOver(text);
    }
    if (unload) host.UnloadPluginSlot(index);
}

bool FindPluginConflict(PluginHost& host, int16_t slot, int16_t& conflictSlot,
                        int32_t& commonBits) {
    const int32_t mask = PluginResourceMask(host, slot);
    for (int16_t j = 0; j < host.PluginCount; ++j) {
        if (j == slot || !host.PluginList.Ticked(j + 1)) continue;
        const int32_t common = PluginResourceMask(host, j) & mask;
        if (common != 0) {
            conflictSlot = j;
            commonBits = common;
            return true;
        }
    }
    return false;
}

}  // namespace kb
