#include "platform/numbered_name.h"

namespace kb::platform {

std::string NumberedName(const std::string& name, bool keepExtension,
                         const std::function<bool(const std::string&)>& taken) {
    const size_t dot = keepExtension ? name.rfind('.') : std::string::npos;
    const bool hasExtension = dot != std::string::npos && dot > 0;
    const std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? name.substr(dot) : "";
    std::string numbered = name;
    for (int n = 2; taken(numbered); ++n)
        numbered = stem + " (" + std::to_string(n) + ")" + extension;
    return numbered;
}

}  // namespace kb::platform
