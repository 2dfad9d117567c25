#include "app/core/assembler_task_record.h"

#include "app/core/big_file.h"
#include "app/core/kb_error.h"
#include "app/core/slot_values.h"

namespace kb {

namespace {

constexpr int64_t kScale = 10000;

void WriteText(int16_t slot, const std::string& text) {
    if (WriteStringBF(text, slot) != static_cast<int32_t>(text.size()))
        throw KbError(err::DiskFull, "WriteAssemblerTaskRecord", "Unable to write the task file.");
}

int64_t ReadScaled(int16_t slot) {
    const int64_t v = ReadValueBF<int64_t>(slot);
    if (v < 0 || v % kScale != 0)
        throw KbError(err::InvalidFileFormat, "SetResumeInfo",
                      "The unfinished task holds a size that is not a byte count.");
    return v / kScale;
}

}  // namespace

void WriteAssemblerTaskRecord(int16_t slot, const AssemblerTaskRecord& t) {
    const char* who = "WriteAssemblerTaskRecord";
    WriteValueBF<int16_t>(slot, t.TaskKind, who);
    WriteText(slot, t.FirstPiece);
    WriteValueBF<int32_t>(slot, t.FormatCode, who);
    if (t.FormatCode == 11) {
        Format4Header h = t.Header;
        h.pieceCount = t.PieceCount;
        const std::string bytes = EncodeFormat4Header(h);
        if (bigfileWrite(bytes.data(), static_cast<int32_t>(bytes.size()), slot) !=
            static_cast<int32_t>(bytes.size()))
            throw KbError(err::DiskFull, who, "Unable to write the task file.");
    } else {
        WriteValueBF<int32_t>(slot, t.PieceCount, who);
    }
    WriteValueBF<int32_t>(slot, t.PieceNumber, who);
    WriteValueBF<int32_t>(slot, t.ChunkCounter, who);
    WriteValueBF<int64_t>(slot, t.PieceLength * kScale, who);
    WriteValueBF<int64_t>(slot, t.BytesLeft * kScale, who);
    WriteValueBF<int32_t>(slot, t.SegmentSize, who);
    WriteValueBF<int32_t>(slot, t.LastChunkSize, who);
    WriteText(slot, t.OutputPath);
    WriteValueBF<uint32_t>(slot, t.RunningCrc, who);
    WriteValueBF<int64_t>(slot, t.Position * kScale, who);
    WriteText(slot, t.Destination);
    WriteValueBF<int16_t>(slot, t.AskDisk ? int16_t{-1} : int16_t{0}, who);
}

bool ReadAssemblerTaskHead(int16_t slot, AssemblerTaskRecord& t) {
    t.TaskKind = ReadValueBF<int16_t>(slot);
    t.FirstPiece = ReadStringBF(slot);
    t.FormatCode = ReadValueBF<int32_t>(slot);
    if (t.FormatCode == 11) {
        t.Header = ReadFormat4Header(slot);
        t.PieceCount = t.Header.pieceCount;
    } else if (t.FormatCode == 1) {
        t.PieceCount = ReadValueBF<int32_t>(slot);
    } else {
        return false;
    }
    return true;
}

void ReadAssemblerTaskTail(int16_t slot, AssemblerTaskRecord& t) {
    t.PieceNumber = ReadValueBF<int32_t>(slot);
    t.ChunkCounter = ReadValueBF<int32_t>(slot);
    t.PieceLength = ReadScaled(slot);
    t.BytesLeft = ReadScaled(slot);
    t.SegmentSize = ReadValueBF<int32_t>(slot);
    t.LastChunkSize = ReadValueBF<int32_t>(slot);
    t.OutputPath = ReadStringBF(slot);
    t.RunningCrc = ReadValueBF<uint32_t>(slot);
    t.Position = ReadScaled(slot);
    t.Destination = ReadStringBF(slot);
    t.AskDisk = ReadValueBF<int16_t>(slot) != 0;
}

void CheckAssemblerTaskRecord(const AssemblerTaskRecord& t, const std::string& path) {
    // A NUL ends a path where the system reads it: the join would use another file.
    bool texts = true;
    for (const std::string* text : {&t.FirstPiece, &t.OutputPath, &t.Destination})
        texts = texts && text->find('\0') == std::string::npos;
    const bool sane = texts && t.PieceCount >= 1 && t.PieceNumber >= 1 && t.PieceNumber <= t.PieceCount &&
                      t.ChunkCounter >= 0 && t.BytesLeft <= t.PieceLength &&
                      kEngineSegments.Holds(t.SegmentSize) &&
                      !t.OutputPath.empty();
    if (!sane)
        throw KbError(err::InvalidFileFormat, "SetResumeInfo",
                      "The unfinished task " + path + " is damaged and cannot be resumed.");
}

}  // namespace kb
