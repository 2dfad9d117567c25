#include "bench/kbengine/assemble_run.h"

#include <cstdio>
#include <iostream>

#include "app/core/big_file.h"
#include "bench/kbengine/engine_output.h"

namespace kb::engine {

CommandLineAnswers::CommandLineAnswers(Args& args) {
    if (auto p = args.Option("passphrase")) {
        passphrase_ = *p;
        havePassphrase_ = true;
    }
    cancelAfter_ = args.Number("cancel-after", 0, 0, INT64_MAX);
    save_ = args.Option("save").value_or("");
}

void CommandLineAnswers::AssembleInterval(int32_t, int32_t, bool& Cancel,
                                          std::string& SaveStateFile) {
    if (++intervals_ == cancelAfter_) {
        Cancel = true;
        SaveStateFile = save_;
    }
}

void CommandLineAnswers::RequireNextDisk(int32_t& DiskNumber, bool& Cancel,
                                         std::string& SaveStateFile) {
    std::cerr << "box: Disk request: Please insert disk " << DiskNumber << " and click OK."
              << std::endl;
    if (DiskNumber == lastDisk_) {
        Cancel = true;
        SaveStateFile = save_;
    }
    lastDisk_ = DiskNumber;
}

void CommandLineAnswers::ConfirmStop(bool& Cancel, std::string& SaveStateFile) {
    Cancel = true;
    SaveStateFile = save_;
}

void CommandLineAnswers::RequirePassphrase(std::string& Passphrase, bool& Cancel,
                                           bool FirstRequest) {
    if (FirstRequest && havePassphrase_) {
        Passphrase = passphrase_;
        return;
    }
    if (!FirstRequest) std::cerr << "box: Decryption failed: Incorrect passphrase" << std::endl;
    Cancel = true;
}

int AssembleAndReport(ActiveAssembler& a, std::string& destination) {
    Stopwatch clock;
    const int16_t result = a.Assemble(destination);
    const double seconds = clock.Seconds();
    // A join stopped without keeping anything leaves no file to name.
    const int64_t size = a.BigFile.empty() ? -1 : FileSizeBF(a.BigFile);
    PrintJoinLine(result, size >= 0 ? a.BigFile : "", std::max<int64_t>(size, 0), seconds,
                  a.Flaws());
    return result == 0 ? 0 : 1;
}

void PrintJoinLine(int16_t result, const std::string& output, int64_t bytes, double seconds,
                   const JoinFlaws& flaws) {
    JsonLine()
        .Add("result", int32_t{result})
        .Add("output", output)
        .Add("bytes", bytes)
        .Add("seconds", seconds)
        .Add("mb_per_s", seconds > 0 ? static_cast<double>(bytes) / 1e6 / seconds : 0.0)
        .Add("failed_pieces", flaws.failedPieces)
        .Add("unread_pieces", flaws.unreadPieces)
        .Add("missing_piece", flaws.missingPiece)
        .Add("joined_length", flaws.joinedLength)
        .Add("header_length", flaws.headerLength)
        .Print();
}

}  // namespace kb::engine
