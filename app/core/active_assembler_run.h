#pragma once
// The working state of one ActiveAssembler::Assemble() call, shared by the files that make up
// the join: its preparation (active_assembler_prepare.cpp) and the join itself
// (active_assembler_assemble.cpp).

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/core/active_assembler.h"

namespace kb {

// The output and the piece being read have slots of their own throughout a join.
inline constexpr int16_t kOutSlot = 1;
inline constexpr int16_t kPieceSlot = 2;

struct ActiveAssembler::Run {
    bool resumed = false;  // the call began with a pending resume
    std::string taskFile;  // then the file of the task it continues
    bool outputOpened = false;  // this call created the output
    int32_t format = aftRaw;  // a fresh join's first piece as FileFormat() tells it
    int32_t code = 0;
    int32_t count = 0;
    int32_t n = 1;
    int32_t chunk = 0;
    int64_t pieceLength = 0;
    int64_t bytesLeft = 0;
    int64_t position = 0;
    int32_t lastChunk = 0;
    uint32_t crc = 0;
    std::string tmpl;
    int64_t headerLength = 0;
    Headers h;
    PieceRecord record;
    bool askDisk = false;
    bool cancel = false;
    std::string saveStateFile;
    std::string passphrase;
    std::string finalDestDir;
    // Pieces are named from this name with tmpl; a guessed base is expanded whole.
    std::string pieceName;
    bool pieceNameIsBase = false;
    // The output's own name while BigFile is its unfinished ".part" name ("" when the output
    // is a temporary archive, or a task from before unfinished names); and whether the user
    // agreed to replace what stands under it.
    std::string finalOutput;
    bool replaceFinal = false;
    // What this call found wrong with what it joined.
    JoinFlaws flaws;
    // The output, held while this call writes it: no other join writes into it meanwhile.
    TaskLock outputLock;

    std::string Piece(const ActiveAssembler& a, int32_t i) const {
        return a.PiecePath(pieceName, i, tmpl, pieceNameIsBase);
    }
    // A fresh join that stops short would leave a shorter file under the original's name; a
    // resumed join's output stays, as its task, which stays too, still refers to it.
    void RemovePartialOutput(const std::string& output) const {
        if (outputOpened && !resumed) std::remove(output.c_str());
    }
};

}  // namespace kb
