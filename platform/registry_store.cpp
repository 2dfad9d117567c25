#include "platform/registry_store.h"

#include <algorithm>
#include <optional>

namespace kb::platform {

namespace {

char FoldChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Fold(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = FoldChar(c);
    return out;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldChar(x) == FoldChar(y); });
}

std::string Normalize(std::string_view path) {
    std::string out;
    size_t i = 0;
    while (i <= path.size()) {
        size_t j = path.find('\\', i);
        if (j == std::string_view::npos) j = path.size();
        if (j > i) {
            if (!out.empty()) out += '\\';
            out.append(path.substr(i, j - i));
        }
        i = j + 1;
    }
    return out;
}

// ---- text form -------------------------------------------------------------------------

const char kHex[] = "0123456789ABCDEF";

std::string Encode(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char ch : s) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 32 || c == 127 || c == '%' || c == '"') {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> Decode(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out += s[i];
            continue;
        }
        if (i + 2 >= s.size()) return std::nullopt;
        int hi = HexDigit(s[i + 1]), lo = HexDigit(s[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

// A cursor over one line of a value entry.
struct LineReader {
    std::string_view rest;

    void SkipBlanks() {
        while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
    }
    bool Take(char c) {
        SkipBlanks();
        if (rest.empty() || rest.front() != c) return false;
        rest.remove_prefix(1);
        return true;
    }
    std::optional<std::string> Quoted() {
        if (!Take('"')) return std::nullopt;
        size_t end = rest.find('"');
        if (end == std::string_view::npos) return std::nullopt;
        auto text = Decode(rest.substr(0, end));
        rest.remove_prefix(end + 1);
        return text;
    }
    std::string_view Word() {
        SkipBlanks();
        size_t n = 0;
        while (n < rest.size() && rest[n] != ' ' && rest[n] != '\t') ++n;
        std::string_view w = rest.substr(0, n);
        rest.remove_prefix(n);
        return w;
    }
    bool AtEnd() {
        SkipBlanks();
        return rest.empty();
    }
};

std::optional<std::string> ParseHex(std::string_view w) {
    if (w.size() % 2 != 0) return std::nullopt;
    std::string out;
    for (size_t i = 0; i < w.size(); i += 2) {
        int hi = HexDigit(w[i]), lo = HexDigit(w[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
    }
    return out;
}

std::optional<std::string> ParseDword(std::string_view w) {
    if (w.empty() || w.size() > 10) return std::nullopt;
    uint64_t v = 0;
    for (char c : w) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    if (v > 0xFFFFFFFFu) return std::nullopt;
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return out;
}

// One value line: "name" = type data
std::optional<std::pair<std::string, RegValue>> ParseValueLine(std::string_view line) {
    LineReader r{line};
    auto name = r.Quoted();
    if (!name || !r.Take('=')) return std::nullopt;
    std::string_view type = r.Word();
    RegValue v;
    std::optional<std::string> data;
    if (type == "sz" || type == "expand_sz") {
        v.type = type == "sz" ? REG_SZ : REG_EXPAND_SZ;
        data = r.Quoted();
    } else if (type == "dword") {
        v.type = REG_DWORD;
        data = ParseDword(r.Word());
    } else if (type == "binary") {
        v.type = REG_BINARY;
        data = ParseHex(r.Word());
    }
    if (!data || !r.AtEnd()) return std::nullopt;
    v.data = std::move(*data);
    return std::make_pair(std::move(*name), std::move(v));
}

std::string FormatValue(const RegValue& v) {
    switch (v.type) {
    case REG_SZ: return "sz \"" + Encode(v.data) + "\"";
    case REG_EXPAND_SZ: return "expand_sz \"" + Encode(v.data) + "\"";
    case REG_DWORD: {
        uint32_t n = 0;
        for (size_t i = 0; i < 4 && i < v.data.size(); ++i)
            n |= static_cast<uint32_t>(static_cast<unsigned char>(v.data[i])) << (8 * i);
        return "dword " + std::to_string(n);
    }
    default: {
        std::string out = "binary ";
        for (char ch : v.data) {
            auto c = static_cast<unsigned char>(ch);
            out += "0123456789abcdef"[c >> 4];
            out += "0123456789abcdef"[c & 15];
        }
        return out;
    }
    }
}

}  // namespace

RegistryTree::RegistryTree() { keys_[""] = Key{}; }

RegistryTree::Key* RegistryTree::Find(std::string_view path) {
    auto it = keys_.find(Fold(Normalize(path)));
    return it == keys_.end() ? nullptr : &it->second;
}

const RegistryTree::Key* RegistryTree::Find(std::string_view path) const {
    auto it = keys_.find(Fold(Normalize(path)));
    return it == keys_.end() ? nullptr : &it->second;
}

bool RegistryTree::HasKey(std::string_view path) const { return Find(path) != nullptr; }

bool RegistryTree::CreateKey(std::string_view path) {
    std::string full = Normalize(path);
    bool created = false;
    size_t pos = 0;
    while (pos != std::string::npos && !full.empty()) {
        pos = full.find('\\', pos + 1);
        std::string prefix = full.substr(0, pos);
        auto [it, inserted] = keys_.try_emplace(Fold(prefix));
        if (inserted) {
            it->second.path = prefix;
            created = true;
        }
    }
    return created;
}

bool RegistryTree::DeleteKey(std::string_view path) {
    std::string folded = Fold(Normalize(path));
    if (folded.empty()) return false;
    auto it = keys_.find(folded);
    if (it == keys_.end()) return false;
    keys_.erase(it);
    // The subkeys do not follow the key at once: a sibling such as "a b" or "a-2" sorts between
    // "a" and "a\x". They do stand together from the first name that begins with the prefix.
    std::string prefix = folded + '\\';
    it = keys_.lower_bound(prefix);
    while (it != keys_.end() && it->first.compare(0, prefix.size(), prefix) == 0) it = keys_.erase(it);
    return true;
}

std::vector<std::string> RegistryTree::SubKeys(std::string_view path) const {
    std::string folded = Fold(Normalize(path));
    std::vector<std::string> names;
    if (keys_.find(folded) == keys_.end()) return names;
    std::string prefix = folded.empty() ? "" : folded + '\\';
    for (auto it = keys_.lower_bound(prefix); it != keys_.end(); ++it) {
        if (it->first.compare(0, prefix.size(), prefix) != 0) break;
        if (it->first.size() == prefix.size()) continue;  // the root itself
        if (it->first.find('\\', prefix.size()) != std::string::npos) continue;
        names.push_back(it->second.path.substr(prefix.size()));
    }
    return names;
}

const RegValue* RegistryTree::FindValue(std::string_view path, std::string_view name) const {
    const Key* key = Find(path);
    if (!key) return nullptr;
    for (const auto& [n, v] : key->values)
        if (SameName(n, name)) return &v;
    return nullptr;
}

bool RegistryTree::SetValue(std::string_view path, std::string_view name, RegValue value) {
    Key* key = Find(path);
    if (!key) return false;
    for (auto& [n, v] : key->values) {
        if (!SameName(n, name)) continue;
        if (v == value) return false;
        v = std::move(value);
        return true;
    }
    key->values.emplace_back(std::string(name), std::move(value));
    return true;
}

bool RegistryTree::DeleteValue(std::string_view path, std::string_view name) {
    Key* key = Find(path);
    if (!key) return false;
    auto it = std::find_if(key->values.begin(), key->values.end(),
                           [&](const auto& entry) { return SameName(entry.first, name); });
    if (it == key->values.end()) return false;
    key->values.erase(it);
    return true;
}

std::string RegistryTree::Serialize(std::string_view rootName) const {
    std::string out = "# Kestrelbinder settings store, root ";
    out.append(rootName);
    out += ".\n# The program rewrites this file whole; edit it only while no copy is running.\n";
    for (const auto& [folded, key] : keys_) {
        if (folded.empty() && key.values.empty()) continue;
        // Piece by piece: `"text" + string` inserts at the front of a temporary, which GCC 12
        // at -O3 takes for an overlapping copy (-Wrestrict), and it copies more besides.
        out += "\n[";
        out += Encode(key.path);
        out += "]\n";
        for (const auto& [name, value] : key.values) {
            out += '"';
            out += Encode(name);
            out += "\" = ";
            out += FormatValue(value);
            out += '\n';
        }
    }
    return out;
}

RegistryTree RegistryTree::Parse(std::string_view text) {
    RegistryTree tree;
    std::optional<std::string> current;  // the key that value lines belong to
    while (!text.empty()) {
        size_t end = text.find('\n');
        if (end == std::string_view::npos) break;  // cut short: the last line is incomplete
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        LineReader probe{line};
        probe.SkipBlanks();
        line = probe.rest;
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            current.reset();
            while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
            if (line.size() < 2 || line.back() != ']') continue;
            auto path = Decode(line.substr(1, line.size() - 2));
            if (!path) continue;
            tree.CreateKey(*path);
            current = Normalize(*path);
            continue;
        }
        if (!current) continue;
        if (auto entry = ParseValueLine(line)) tree.SetValue(*current, entry->first, std::move(entry->second));
    }
    return tree;
}

bool RegistryTree::operator==(const RegistryTree& other) const {
    if (keys_.size() != other.keys_.size()) return false;
    for (auto a = keys_.begin(), b = other.keys_.begin(); a != keys_.end(); ++a, ++b) {
        if (a->first != b->first || a->second.path != b->second.path) return false;
        if (a->second.values != b->second.values) return false;
    }
    return true;
}

}  // namespace kb::platform
