#pragma once
// One registry root held in memory, and the text it is kept in on disk.
//
// Text form (one file per root, UTF-8 or any 8-bit text, "\n" line ends):
//
//   # comment lines and blank lines are ignored
//   [Software\Tarnwolde\Kestrelbinder]        a key: its full path below the root
//   "DefaultSource" = sz "/home/ann/Documents" REG_SZ: the bytes as stored, no NUL added
//   "Template" = expand_sz "%25HOME%25/x"      REG_EXPAND_SZ: the same
//   "SegmentSize" = dword 8                    REG_DWORD: decimal, 0 to 4294967295
//   "Blob" = binary 01ff                       REG_BINARY: two hexadecimal digits a byte
//   "" = sz "Default"                          the key's unnamed (default) value
//
// Inside the brackets and the double quotes, "%", the double quote, and bytes below 32 or 127
// are written as "%" and two hexadecimal digits; every other byte stands for itself, so paths
// with "\" and ordinary values stay readable. "[]" is the root key itself.
//
// Reading is forgiving, because people edit these files and files get cut short: a line that
// does not parse is skipped, values under a key line that does not parse are skipped up to the
// next sound key line, and a last line without its line end is taken as cut short and dropped.
// Whatever was read is written back whole by the next change.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kb::platform {

struct RegValue {
    uint32_t type = 0;
    std::string data;  // the stored bytes
    bool operator==(const RegValue&) const = default;
};

class RegistryTree {
public:
    RegistryTree();

    // Paths are "\"-separated; empty parts ("\a\\b\") are ignored, so "" is the root itself.
    // Key and value names compare without regard to ASCII letter case and keep the spelling
    // they were created with.
    bool HasKey(std::string_view path) const;
    // Creates the key and every missing parent; true when anything was created.
    bool CreateKey(std::string_view path);
    // Removes the key with all its subkeys; false when it does not exist. The root stays.
    bool DeleteKey(std::string_view path);
    // Names of the key's direct subkeys, in order of their folded names.
    std::vector<std::string> SubKeys(std::string_view path) const;

    // nullptr when the key or the value does not exist.
    const RegValue* FindValue(std::string_view path, std::string_view name) const;
    // Sets or replaces a value of an existing key; true when the tree changed.
    bool SetValue(std::string_view path, std::string_view name, RegValue value);
    // True when the value existed and was removed.
    bool DeleteValue(std::string_view path, std::string_view name);

    std::string Serialize(std::string_view rootName) const;
    static RegistryTree Parse(std::string_view text);

    bool operator==(const RegistryTree& other) const;

private:
    struct Key {
        std::string path;  // as first spelt
        std::vector<std::pair<std::string, RegValue>> values;  // in the order first set
    };
    Key* Find(std::string_view path);
    const Key* Find(std::string_view path) const;

    std::map<std::string, Key> keys_;  // by folded, normalised path; "" is always present
};

// Value types that the store knows.
constexpr uint32_t REG_SZ = 1;
constexpr uint32_t REG_EXPAND_SZ = 2;
constexpr uint32_t REG_BINARY = 3;
constexpr uint32_t REG_DWORD = 4;

}  // namespace kb::platform
