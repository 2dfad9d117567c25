#include "platform/file_size_limit.h"

#include <csignal>

namespace kb::platform {

void IgnoreFileSizeLimitSignal() { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace kb::platform
