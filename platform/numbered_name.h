#pragma once
// A name of its own for something that must not take the place of what already has a name:
// the name itself, or when that is taken the same with a number, "readme (2).txt".

#include <functional>
#include <string>

namespace kb::platform {

// `name`, or when `taken` says it is taken "name (2)", "name (3)" and so on, the first that
// is not; with keepExtension the number goes before the extension ("readme (2).txt").
std::string NumberedName(const std::string& name, bool keepExtension,
                         const std::function<bool(const std::string&)>& taken);

}  // namespace kb::platform
