#include "app/pluginhost/plugin_rows.h"

#include <stdexcept>

namespace kb {

void PluginRows::Add(int n, PluginRow row) {
    if (n < 1 || n > Count() + 1) throw std::out_of_range("PluginRows::Add");
    rows_.insert(rows_.begin() + (n - 1), std::move(row));
    Changed();
}

void PluginRows::Remove(int n) {
    if (n < 1 || n > Count()) throw std::out_of_range("PluginRows::Remove");
    rows_.erase(rows_.begin() + (n - 1));
    Changed();
}

void PluginRows::SetTicked(int n, bool ticked) {
    Row(n).ticked = ticked;
    Changed();
}

void PluginRows::Clear() {
    rows_.clear();
    Changed();
}

}  // namespace kb
