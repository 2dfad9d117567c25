// kbengine info FIRSTPIECE
// What the joining engine makes of a first piece:
//   {"format": F, "count": N, "template": "...", "name": "...", "compression": C, "encryption": E}

#include "app/core/active_assembler.h"
#include "bench/kbengine/command_registry.h"
#include "bench/kbengine/engine_output.h"

namespace {

int RunInfo(kb::engine::Args& args) {
    kb::engine::BoxPrinter boxes(args);
    const std::string first = args.Finish(1)[0];
    kb::ActiveAssembler a;
    a.SetFileToAssemble(first);
    int32_t format = a.FileFormat();
    // Described as it is joined: from the first piece of its series.
    if (format == kb::aftRaw && a.ChooseSeriesStart()) format = a.FileFormat();
    const int32_t count = a.FragmentCount();
    std::string tmpl;
    int32_t compression = 0;
    int32_t encryption = 0;
    if (format == kb::aftRaw) {
        tmpl = a.GuessFragnameTemplate();
    } else {
        const auto h = a.ReadFragmentHeaders();
        if (h.Common.version > 3) {
            tmpl = h.Format4.namingTemplate;
            compression = h.Format4.compressionId;
            encryption = h.Format4.encryptionId;
        } else {
            tmpl = a.GuessFragnameTemplate();
            compression = h.Legacy.IsCab ? 2 : 0;
        }
    }
    kb::engine::JsonLine()
        .Add("format", format)
        .Add("count", count)
        .Add("template", tmpl)
        .Add("name", a.AssembledFilename())
        .Add("compression", compression)
        .Add("encryption", encryption)
        .Print();
    return 0;
}

}  // namespace

KB_ENGINE_COMMAND("info", "FIRSTPIECE", RunInfo);
