// kbwizard assemble FIRSTPIECE DESTFOLDER [--segment BYTES]
//   chooses the set in the assembler wizard, goes to the destination page and runs page 3
//   (join and post-processing), as a user clicking Next does.
// kbwizard unpack ARCHIVE DESTFOLDER
//   unpacks a CAB archive as the wizard's post-processing does: on a worker thread, with the
//   wizard's progress panel following every entry.
// Boxes are answered with their default button and printed on standard error (a box repeated
// in a row is given up on after a few Retry answers, and a run whose boxes go round without
// end is ended: bench/default_answers.h).
#include <QApplication>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/pluginhost/plugin_sys.h"
#include "app/ui/assembler/assembler_flow.h"
#include "app/ui/assembler/uc_assembler.h"
#include "app/ui/common/blocking_call.h"
#include "bench/default_answers.h"
#include "platform/cab_archive.h"
#include "platform/file_size_limit.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: kbwizard assemble FIRSTPIECE DESTFOLDER [--segment BYTES]\n"
                         "       kbwizard unpack ARCHIVE DESTFOLDER\n");
    return 2;
}

int Assemble(kb::ucAssembler& w, const std::string& first, const std::string& dest) {
    w.SetSrcToAssemble(first);
    if (!w.cmdNext()->isEnabled()) {
        std::fprintf(stderr, "the set cannot be assembled:\n%s\n", w.CurrentSetInfo().c_str());
        return 1;
    }
    w.cmdNext()->click();
    w.SetDestPath(dest);
    w.cmdNext()->click();
    return 0;
}

int Unpack(kb::ucAssembler& w, const std::string& archive, const std::string& dest) {
    try {
        kb::RunBlockingCall(
            [&](const kb::BlockingCallProgress& report) {
                kb::platform::ExtractCab(archive, dest, report);
            },
            [&](const std::string& name, int percent) {
                w.Flow().ecExtractor_Progress(name, percent);
            });
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    kb::platform::IgnoreFileSizeLimitSignal();
    if (argc < 4) return Usage();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    kb::bench::DefaultAnswers prompter;
    kb::ScopedPrompter scoped(prompter);
    kb::PluginHost plugins;
    kb::ucAssembler w(nullptr, nullptr, plugins);
    const std::string command = argv[1];
    if (argc == 6 && std::string(argv[4]) == "--segment") w.SetSegmentSize(std::atoi(argv[5]));
    if (command == "assemble") return Assemble(w, argv[2], argv[3]);
    if (command == "unpack") return Unpack(w, argv[2], argv[3]);
    return Usage();
}
