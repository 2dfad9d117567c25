#pragma once
// The settings registry: three predefined roots, keys as "\"-separated paths compared without
// regard to case, and typed values. Each root is one text file (platform/registry_store.h)
// in RegistryFolder():
//   $KESTRELBINDER_REGISTRY, else $XDG_CONFIG_HOME/Tarnwolde/registry,
//   else ~/.config/Tarnwolde/registry.
//
// Reads take the file as it stands, without a lock: a change never rewrites it in place, so a
// reader always sees a whole file. Every change takes an exclusive advisory lock on the root's
// lock file, reads the file again inside the lock (so two programs writing different values
// both keep theirs), writes the new text to a temporary file in the same folder, syncs it and
// renames it over the old one. A program killed half way leaves the old or the new file; the
// next change removes its stray temporary file.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry_store.h"

namespace kb::platform {

using HKEY = uint32_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

// Access rights a key is opened with.
constexpr uint32_t KEY_QUERY_VALUE = 0x0001;
constexpr uint32_t KEY_SET_VALUE = 0x0002;
constexpr uint32_t KEY_CREATE_SUB_KEY = 0x0004;
constexpr uint32_t KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr uint32_t KEY_READ = 0x20019;
constexpr uint32_t KEY_WRITE = 0x20006;
constexpr uint32_t KEY_ALL_ACCESS = 0xF003F;

// Results.
constexpr int32_t ERROR_SUCCESS = 0;
constexpr int32_t ERROR_FILE_NOT_FOUND = 2;      // no such key or value
constexpr int32_t ERROR_ACCESS_DENIED = 5;       // the key was not opened for this
constexpr int32_t ERROR_INVALID_HANDLE = 6;      // not a predefined root, or a closed key
constexpr int32_t ERROR_INVALID_PARAMETER = 87;  // unknown type, or a DWORD not 4 bytes long
constexpr int32_t ERROR_MORE_DATA = 234;         // the caller's buffer is too small
constexpr int32_t ERROR_REGISTRY_IO_FAILED = 1016;  // the root's file could not be read or written
constexpr int32_t ERROR_KEY_DELETED = 1018;      // the open key was deleted meanwhile

// An open key. It holds no file or lock; every call reads the root's file afresh.
struct RegKey {
    HKEY root = 0;
    std::string path;
    uint32_t access = 0;
    bool IsOpen() const { return root != 0; }
};

// Opens SubKey below Root, creating it and its missing parents first. *created (when given)
// tells whether the key was new.
int32_t RegCreateKeyEx(HKEY root, const std::string& subKey, uint32_t access, RegKey& key,
                       bool* created = nullptr);
// Opens an existing key; ERROR_FILE_NOT_FOUND when there is none.
int32_t RegOpenKeyEx(HKEY root, const std::string& subKey, uint32_t access, RegKey& key);
int32_t RegCloseKey(RegKey& key);

// Writes a value of type REG_SZ, REG_EXPAND_SZ, REG_BINARY or REG_DWORD (exactly 4 bytes,
// little-endian). "" names the key's default value. Text is stored as given, with no NUL added.
int32_t RegSetValueEx(const RegKey& key, const std::string& valueName, uint32_t type,
                      const void* data, uint32_t size);
// Reads a value. *size is the buffer's size on entry and the value's size on return; text
// values count a terminating NUL, which is added when the stored bytes lack it. With data
// null only the type and size are returned; a buffer too small gives ERROR_MORE_DATA.
int32_t RegQueryValueEx(const RegKey& key, const std::string& valueName, uint32_t* type,
                        void* data, uint32_t* size);
int32_t RegDeleteValue(const RegKey& key, const std::string& valueName);
// Deletes SubKey with all its subkeys. The root itself cannot be deleted.
int32_t RegDeleteKey(HKEY root, const std::string& subKey);
// The names of the key's direct subkeys, in order of name without regard to case.
int32_t RegEnumKeys(const RegKey& key, std::vector<std::string>& names);

// Where the roots' files live, without a trailing "/".
std::string RegistryFolder();
// "HKEY_CURRENT_USER" and so on; "" for anything but a predefined root.
std::string RegistryRootName(HKEY root);
// The root's file ("" for anything but a predefined root).
std::string RegistryRootFile(HKEY root);

// For tests only: called after the temporary file of a change is written and synced and
// before it is renamed over the root's file.
void SetRegistryBeforeRenameHook(void (*hook)());

}  // namespace kb::platform
