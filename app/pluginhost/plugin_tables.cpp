#include "app/pluginhost/plugin_tables.h"

#include "app/pluginhost/include/kb_plugin.h"

namespace kb {
namespace {

struct TypeRow {
    const char* text;
    const char* icon;
};

constexpr TypeRow kTypes[] = {
    {"General", "Banana"},          {"Sound extension", "Speaker"},
    {"Visual extension", "Eye"},    {"Compressor", "Package"},
    {"Encryptor", "Padlock"},       {"Script Maker", "Scriptpad"},
    {"EXE Maker", "Executable"},    {"Extra file maker", "Scriptpad"},
};

}  // namespace

bool IsKnownPluginType(int32_t type) {
    return type >= PLUGIN_TYPE_GENERAL && type <= PLUGIN_TYPE_EXTRA_FILE_MAKER;
}

std::string PluginTypeText(int32_t type) { return IsKnownPluginType(type) ? kTypes[type].text : "Unknown"; }

std::string PluginTypeIconKey(int32_t type) {
    return IsKnownPluginType(type) ? kTypes[type].icon : "Unknown";
}

std::string PluginCompatText(int32_t state) {
    switch (state) {
    case PLUGIN_COMPAT_EXCELLENT: return "Yes";
    case PLUGIN_COMPAT_GOOD: return "Probable";
    case PLUGIN_COMPAT_MAYBE: return "Possible";
    case PLUGIN_COMPAT_CONFLICT: return "Conflict";
    default: return "No";
    }
}

std::string PluginCompatImageKey(int32_t state) {
    switch (state) {
    case PLUGIN_COMPAT_EXCELLENT: return "CompatExcellent";
    case PLUGIN_COMPAT_GOOD: return "CompatGood";
    case PLUGIN_COMPAT_MAYBE: return "CompatMaybe";
    case PLUGIN_COMPAT_CONFLICT: return "Conflict";
    default: return "CompatBad";
    }
}

std::string PluginCompatSentence(int32_t state) {
    switch (state) {
    case PLUGIN_COMPAT_EXCELLENT: return "This plug-in should run without any problems.";
    case PLUGIN_COMPAT_GOOD:
        return "It is unlikely that you will have problems running this plug-in.";
    case PLUGIN_COMPAT_MAYBE:
        return "You may have problems running this plug-in, but you may attempt to try anyway "
               "if you wish.";
    case PLUGIN_COMPAT_CONFLICT:
        return "This plug-in conflicts with another. Click the conflicts button to "
               "troubleshoot.";
    default:
        return "Unfortunately this plug-in is designed for a different version of "
               "Kestrelbinder and cannot be used at all.";
    }
}

}  // namespace kb
