#pragma once
// The identifiers of the shell extension's class, its automation interface and its type
// library, and GUID text in registry form: "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}".

#include <optional>
#include <string>

#include "shellext/com/com_base.h"

namespace kb::com {

extern const CLSID CLSID_KXShlExt;
extern const IID IID_IKXShlExt;
extern const GUID LIBID_KESTRELBINDERSHELLEXTLib;

std::string GuidText(const GUID& guid);
std::optional<GUID> ParseGuid(const std::string& text);

}  // namespace kb::com
