#pragma once
// A prompter for fuzz targets: every box is answered with its default button, silently, and
// the console is left alone; a box offering Retry is given up on instead (nothing changes
// between two tries of one input, so Retry would only bring the box back for ever).

#include <cstdint>
#include <cstdio>
#include <string>

#include "app/core/kb_error.h"
#include "app/core/prompter.h"

namespace kb::fuzz {

class QuietPrompter : public Prompter {
public:
    Answer MsgBox(const std::string&, int style, const std::string&) override {
        const Answer a = DefaultAnswer(style);
        return a == Answer::Retry ? GiveUpAnswer(style) : a;
    }
    std::string InputBox(const std::string&, const std::string&, const std::string&) override {
        return "";
    }
    void DoEvents() override {}
    void EndProgram() override { throw ProgramEnded(); }
};

// Installs one quiet prompter for the whole run.
inline void InstallQuietPrompter() {
    static QuietPrompter prompter;
    static bool installed = (SetPrompter(&prompter), true);
    (void)installed;
}

// Writes the input into a file; false when that cannot be done.
inline bool WriteInput(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

}  // namespace kb::fuzz
