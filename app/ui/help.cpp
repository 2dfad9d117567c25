#include "app/ui/help.h"

#include <string>

#include "app/core/debug_log.h"

namespace kb {

void ShowHelpTopic(int topic) { DebugLog("Help topic requested: " + std::to_string(topic)); }

}  // namespace kb
