#pragma once
// The program's only way into the settings registry: write a string value, read a value back
// as text. Failures are never reported beyond the result: False, or the empty text.

#include <cstdint>
#include <string>

#include "platform/registry.h"

namespace kb {

using platform::HKEY_CURRENT_USER;
using platform::HKEY_LOCAL_MACHINE;

// Creates or opens Root\SubKey and writes ValueName as REG_SZ. An empty Value is stored as one
// blank, and the caller's variable becomes that blank too, since an empty text is never stored.
bool RegWriteString(uint32_t root, const std::string& subKey, const std::string& valueName,
                    std::string& value);

// The value as text: REG_SZ and REG_EXPAND_SZ as stored (no expansion), up to the first NUL;
// REG_DWORD as unsigned decimal; any other type, a missing key or value, or a value that does
// not fit the 1024-byte buffer (text of 1024 characters or more) gives "".
std::string RegReadString(uint32_t root, const std::string& subKey, const std::string& valueName);

}  // namespace kb
