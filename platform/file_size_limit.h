#pragma once
// A process that runs under a file-size limit (`ulimit -f`) is killed by SIGXFSZ as soon as a
// write crosses it, leaving a half-written file and nobody told. Ignoring the signal makes such
// a write fail with EFBIG instead, which the writers report and handle as any failed write.

namespace kb::platform {

// Ignores SIGXFSZ for the rest of the process; programs call it first thing in main.
void IgnoreFileSizeLimitSignal();

}  // namespace kb::platform
