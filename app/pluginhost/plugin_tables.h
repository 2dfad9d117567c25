#pragma once
// How plug-in types and compatibility states are shown and what they allow.

#include <cstdint>
#include <string>

namespace kb {

// True for the types of the table (0..7).
bool IsKnownPluginType(int32_t type);
// "General", "Encryptor", ...; "Unknown" for any value outside the table.
std::string PluginTypeText(int32_t type);
// Icon key of a type: "Banana", "Padlock", ...; "Unknown" outside the table.
std::string PluginTypeIconKey(int32_t type);

// Column text of a state: "Yes", "Probable", "Possible", "No", "Conflict"; "No" otherwise.
std::string PluginCompatText(int32_t state);
// Image key of a state: "CompatExcellent", ...; "CompatBad" otherwise.
std::string PluginCompatImageKey(int32_t state);
// The sentence of the manager's details for a state.
std::string PluginCompatSentence(int32_t state);

}  // namespace kb
