#pragma once
// Shared by the splitter's tests: an event recorder that can cancel, and a reader that takes a
// written series apart again with the piece-record readers.

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/core/active_splitter.h"
#include "app/core/big_file.h"
#include "app/core/fragment_format.h"
#include "app/core/kb_error.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "app/core/text.h"

namespace kb::testing {

struct SplitEvent {
    std::string name;
    int32_t a = 0;
    int32_t b = 0;
    bool operator==(const SplitEvent&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const SplitEvent& e) {
    return os << e.name << "(" << e.a << "," << e.b << ")";
}

// Records every event. cancelAtInterval = K sets Cancel in the K-th SplitInterval;
// cancelAtDisk = n sets it in the RequireNextDisk for piece n; cancelAtNotEnough sets it in
// NotEnoughDiskSpace; saveTo goes into SaveStateFile with the cancel.
class Recorder : public ActiveSplitterEvents {
public:
    std::vector<SplitEvent> events;
    int intervals = 0;
    int cancelAtInterval = 0;
    int cancelAtDisk = 0;
    bool cancelAtNotEnough = false;
    std::string saveTo;
    std::function<void(int32_t)> onDisk;
    std::function<void()> onNotEnough;

    void MultisizeFlagChange(bool s) override { events.push_back({"Multisize", s ? -1 : 0}); }
    void SplitStart(int32_t max) override { events.push_back({"SplitStart", max}); }
    void SplitInterval(int32_t cur, int32_t frag, bool& cancel, std::string& save) override {
        events.push_back({"Interval", cur, frag});
        if (++intervals == cancelAtInterval) Cancel(cancel, save);
    }
    void RequireNextDisk(int32_t& disk, bool& cancel, std::string& save) override {
        events.push_back({"Disk", disk});
        if (onDisk) onDisk(disk);
        if (disk == cancelAtDisk) Cancel(cancel, save);
    }
    void NotEnoughDiskSpace(bool& cancel, std::string& save) override {
        events.push_back({"NotEnough"});
        if (onNotEnough) onNotEnough();
        if (cancelAtNotEnough) Cancel(cancel, save);
    }
    void RemoveFragStart(int32_t n) override { events.push_back({"RemoveStart", n}); }
    void RemoveFragInterval(int32_t i) override { events.push_back({"Removed", i}); }

    std::vector<SplitEvent> Named(const std::string& name) const {
        std::vector<SplitEvent> out;
        for (const auto& e : events)
            if (e.name == name) out.push_back(e);
        return out;
    }

private:
    void Cancel(bool& cancel, std::string& save) {
        cancel = true;
        if (!saveTo.empty()) save = saveTo;
    }
};

struct ReadPiece {
    std::string path;
    std::string bytes;  // the whole file
    std::string data;   // its data bytes
    PieceRecord record;
};

inline std::string PieceName(const ActiveSplitter& s, int32_t n) {
    return s.DestinationFolder() + ExpandNamingTemplate(s.FilenameToStore, n, s.FragNamingTemplate);
}

inline uint32_t ZlibCrc(const std::string& data) {
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// Reads pieces first..last of the splitter's series back. In the own format the records are
// read with the format's readers (piece 1's headers too, into `header`).
inline std::vector<ReadPiece> ReadSeries(const ActiveSplitter& s, int32_t first, int32_t last,
                                         Format4Header* header = nullptr) {
    std::vector<ReadPiece> out;
    for (int32_t n = first; n <= last; ++n) {
        ReadPiece p;
        p.path = PieceName(s, n);
        p.bytes = ReadAll(p.path);
        if (s.FileFormat() == aftTarnwolde) {
            OpenBF(p.path, 1, "rb");
            if (n == 1) {
                FragmentCommonHeader common = ReadCommonHeader(1);
                EXPECT_EQ(common.magic, kFragmentMagic);
                Format4Header h = ReadFormat4Header(1);
                if (header) *header = h;
            }
            p.record = ReadPieceRecord(1);
            const int64_t at = GetPosBF(1);
            CloseBF(1);
            p.data = p.bytes.substr(static_cast<size_t>(at));
        } else {
            p.data = p.bytes;
        }
        out.push_back(p);
    }
    return out;
}

inline std::string Str(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

// Loading `task` is refused in the box "Unable to resume" with `text`, and nothing is pending.
inline void ExpectResumeRefused(const std::string& task, const std::string& text) {
    ScriptedPrompter p;
    p.Answer(Answer::OK);
    ActiveSplitter s;
    try {
        s.SetResumeInfo(task);
        ADD_FAILURE() << "resumed";
    } catch (const KbError& e) {
        EXPECT_EQ(e.Number(), err::DeviceIO);
    }
    EXPECT_FALSE(s.ResumePending());
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Unable to resume");
    EXPECT_EQ(p.boxes[0].style, mb::OKOnly | mb::Critical);
    EXPECT_EQ(p.boxes[0].text, text);
}

// Every piece file in a folder, by name.
inline std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace kb::testing
