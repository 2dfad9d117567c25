#pragma once
// The rows of the plug-in manager's list, without the widgets: the manager page shows this
// model, and the host reads its ticks. Row n (counted from 1) stands for slot n-1, always;
// a ticked row is an enabled plug-in. The ticks decide the load-complete and closing
// commands and the conflict check; broadcasts go by the host library's own enabled flags.

#include <functional>
#include <string>
#include <vector>

namespace kb {

struct PluginRow {
    std::string text;         // the plug-in's name (command 10)
    std::string smallIcon;    // icon key of the plug-in's type
    std::string tag;          // full path of the plug-in library
    std::string typeText;     // sub-item 1: "Encryptor", "Unknown", ...
    std::string compatText;   // sub-item 2: "Yes", "Probable", ...
    std::string compatIcon;   // image key of the compatibility state
    int32_t state = 0;        // the compatibility state the texts were taken from
    bool ticked = false;
};

class PluginRows {
public:
    // Number of rows.
    int Count() const { return static_cast<int>(rows_.size()); }
    // Row n, 1 <= n <= Count().
    PluginRow& Row(int n) { return rows_.at(static_cast<size_t>(n - 1)); }
    const PluginRow& Row(int n) const { return rows_.at(static_cast<size_t>(n - 1)); }
    // False for a row that does not exist.
    bool Ticked(int n) const { return n >= 1 && n <= Count() && Row(n).ticked; }

    // Inserts a row so that it becomes row n (1 <= n <= Count()+1); the rows from n move down.
    void Add(int n, PluginRow row);
    // Removes row n; the rows below move up with their slots.
    void Remove(int n);
    void SetTicked(int n, bool ticked);
    void Clear();

    // Called after every change (the manager page redraws from it).
    std::function<void()> onChanged;

private:
    void Changed() {
        if (onChanged) onChanged();
    }
    std::vector<PluginRow> rows_;
};

}  // namespace kb
