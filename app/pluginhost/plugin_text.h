#pragma once
// Text across the plug-in boundary. The program's text is 8-bit bytes already, so converting is
// copying bytes into and out of string handles; what matters is who owns which handle.

#include <string>

#include "app/pluginhost/include/kb_plugin.h"

namespace kb {

// A fresh handle holding the bytes of Text (an empty text gives a handle of length 0, not a
// null one). Throws std::bad_alloc when memory runs out.
PluginBstr MakePluginBstr(const std::string& text);

// The bytes of a handle as text, all of them, NULs included; a null handle is "".
std::string PluginBstrText(PluginBstr s);

// Cuts Text before its first NUL when that NUL is the second character or later; a text that
// starts with NUL, or holds none, is left as it is.
void TrimAtNullInPlace(std::string& text);

// One string-handle variable that the host owns for the length of one call: it starts with a
// fresh handle of the given text, the plug-in may replace the handle, and whatever handle the
// variable holds at the end is freed.
class PluginTextArg {
public:
    explicit PluginTextArg(const std::string& text = "") : handle_(MakePluginBstr(text)) {}
    ~PluginTextArg() { PluginBstrFree(handle_); }
    PluginTextArg(const PluginTextArg&) = delete;
    PluginTextArg& operator=(const PluginTextArg&) = delete;

    // The address passed to the plug-in.
    PluginBstr* Var() { return &handle_; }
    // The bytes the variable holds now.
    std::string Text() const { return PluginBstrText(handle_); }

private:
    PluginBstr handle_;
};

}  // namespace kb
