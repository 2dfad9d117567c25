// kbengine crc FILE [--segment BYTES]
// The file's CRC-32, read through the engine's own path (slot 1, bigfileRead, UpdateCrc32) in
// chunks of the segment size, as the splitter reads a source:
//   {"crc32": "<8 hex digits>", "bytes": N, "seconds": S, "mb_per_s": X}
// (mb_per_s counts 1,000,000 bytes to the MB).

#include <vector>

#include "app/core/big_file.h"
#include "app/core/crc32.h"
#include "app/core/kb_error.h"
#include "bench/kbengine/command_registry.h"
#include "bench/kbengine/engine_output.h"

namespace {

constexpr int16_t kSlot = 1;

int RunCrc(kb::engine::Args& args) {
    const auto segment = static_cast<int32_t>(args.Number("segment", 262144, 1, 0x7FFFFFFF));
    const std::string path = args.Finish(1)[0];

    kb::engine::Stopwatch clock;
    kb::OpenBF(path, kSlot, "rb");
    const int64_t size = kb::FileSizeBF(path);
    std::vector<uint8_t> buffer(static_cast<size_t>(segment));
    uint32_t crc = kb::UpdateCrc32(nullptr, 0, true);
    int64_t total = 0;
    for (;;) {
        const int32_t n = kb::bigfileRead(buffer.data(), segment, kSlot);
        if (n <= 0) break;
        crc = kb::UpdateCrc32(buffer.data(), static_cast<size_t>(n), false);
        total += n;
    }
    kb::CloseBF(kSlot);
    // bigfileRead reports an error like the end of the file: a CRC of part of the file must
    // not pass for the file's.
    if (total < size)
        throw kb::KbError(kb::err::DeviceIO, "crc",
                          "Unable to read the whole file: read " + std::to_string(total) +
                              " of " + std::to_string(size) + " bytes.");
    const double seconds = clock.Seconds();

    kb::engine::JsonLine()
        .Add("crc32", kb::engine::Hex8(crc))
        .Add("bytes", total)
        .Add("seconds", seconds)
        .Add("mb_per_s", seconds > 0 ? static_cast<double>(total) / 1e6 / seconds : 0.0)
        .Print();
    return 0;
}

}  // namespace

KB_ENGINE_COMMAND("crc", "FILE [--segment BYTES]", RunCrc);
