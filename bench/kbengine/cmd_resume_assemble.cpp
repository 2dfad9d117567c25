// kbengine resume-assemble TASKFILE [--cancel-after CHUNKS --save TASKFILE]
// Loads an assemble task file and continues the join it describes (its own segment size and
// destination). Last line as for "assemble".

#include "app/core/active_assembler.h"
#include "bench/kbengine/assemble_run.h"
#include "bench/kbengine/command_registry.h"
#include "bench/kbengine/engine_output.h"

namespace {

int RunResumeAssemble(kb::engine::Args& args) {
    kb::engine::BoxPrinter boxes(args);
    kb::engine::CommandLineAnswers answers(args);
    const std::string task = args.Finish(1)[0];
    kb::ActiveAssembler a;
    a.SetListener(&answers);
    if (!a.SetResumeInfo(task)) {
        kb::engine::PrintJoinLine(1, "", 0, 0.0, {});
        return 1;
    }
    std::string destination;
    return kb::engine::AssembleAndReport(a, destination);
}

}  // namespace

KB_ENGINE_COMMAND("resume-assemble",
                  "TASKFILE [--cancel-after CHUNKS --save TASKFILE]", RunResumeAssemble);
