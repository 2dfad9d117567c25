// kbengine assemble FIRSTPIECE DESTFOLDER [--segment BYTES] [--passphrase TEXT]
//                   [--cancel-after CHUNKS --save TASKFILE]
// Joins a series with the joining engine; boxes go to standard error, answered with their
// default button. Last line:
//   {"result": R, "output": "<path written, "" when none is left>", "bytes": N, "seconds": S,
//    "mb_per_s": X, "failed_pieces": [...], "unread_pieces": [...], "missing_piece": M,
//    "joined_length": J, "header_length": H}
// (the last five what the join found wrong with what it joined: bench/kbengine/assemble_run.h).

#include "app/core/active_assembler.h"
#include "bench/kbengine/assemble_run.h"
#include "bench/kbengine/command_registry.h"
#include "bench/kbengine/engine_output.h"

namespace {

int RunAssemble(kb::engine::Args& args) {
    kb::engine::BoxPrinter boxes(args);
    kb::engine::CommandLineAnswers answers(args);
    const auto segment = static_cast<int32_t>(args.Number("segment", 262144, 1, 64 << 20));
    const auto positional = args.Finish(2);
    kb::ActiveAssembler a;
    a.SetListener(&answers);
    a.SegmentSize = segment;
    a.SetFileToAssemble(positional[0]);
    a.SetDestinationFolder(positional[1]);
    std::string destination = positional[1];
    return kb::engine::AssembleAndReport(a, destination);
}

}  // namespace

KB_ENGINE_COMMAND("assemble",
                  "FIRSTPIECE DESTFOLDER [--segment BYTES] [--passphrase TEXT] "
                  "[--cancel-after CHUNKS --save TASKFILE]",
                  RunAssemble);
