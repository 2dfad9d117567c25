#pragma once
// A join of a small series of the own format, for the tests of joins that go wrong part way,
// and the prompter helpers they share.

#include <functional>
#include <string>
#include <vector>

#include "app/core/active_assembler.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "app/core/tests/assembler_listener_fake.h"
#include "app/core/tests/series_fixtures.h"

namespace kb::testing {

struct Join {
    TempFolder src, dest, other;
    ScriptedAssemblerListener events;
    ActiveAssembler a;
    std::vector<std::string> pieces;
    std::string data = [] {
        const auto v = RandomBytes(4000, 11);
        return std::string(v.begin(), v.end());
    }();

    // Four pieces of 1000 data bytes: data.001 .. data.004.
    Join() {
        a.SetListener(&events);
        pieces = WriteFormat4Series(src, data, {}, Dotted3("data"));
    }
    int16_t Run(int32_t segment = 300) {
        a.SetFileToAssemble(pieces[0]);
        a.SetDestinationFolder(dest.Path());
        a.SegmentSize = segment;
        std::string d = dest.Path();
        return a.Assemble(d);
    }
    // Stopped in the second progress event and saved as other/job.uft.
    void StopAndSave() {
        events.cancelAtInterval = 2;
        events.saveAs = other.File("job.uft");
        ASSERT_EQ(Run(), 1);
    }
};

inline std::vector<std::string> Titles(const ScriptedPrompter& p) {
    std::vector<std::string> t;
    for (const auto& b : p.boxes) t.push_back(b.title);
    return t;
}

// Answers as scripted, and runs `then` once box number `after` (from 1) has been answered.
struct PromptThen : ScriptedPrompter {
    size_t after = 0;
    std::function<void()> then;
    kb::Answer MsgBox(const std::string& text, int style, const std::string& title) override {
        const kb::Answer a = ScriptedPrompter::MsgBox(text, style, title);
        if (boxes.size() == after && then) then();
        return a;
    }
};

}  // namespace kb::testing
