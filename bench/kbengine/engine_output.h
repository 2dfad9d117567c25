#pragma once
// What every command shares: the prompter that prints each box, and the one JSON object that
// a command prints as its last line on standard output (scripts read only that line).

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "app/core/prompter.h"
#include "bench/kbengine/args.h"
#include "bench/repeated_boxes.h"

namespace kb::engine {

// Prints every box on standard error as "box: <title>: <text>" (and input boxes as
// "input: <title>: <prompt>"), the console prompter's way, and answers with the answers
// given as "--answer NAME" (OK, Cancel, Abort, Retry, Ignore, Yes, No) and "--type TEXT", in
// order; once they run out, with the box's default button or default text, except that a box
// repeated in a row is given up on after a few Retry answers and printed once with its count,
// and boxes that go round without end end the program (bench/repeated_boxes.h). Installs itself for its lifetime. Ending the program throws
// kb::ProgramEnded, which main() reports.
class BoxPrinter : public Prompter {
public:
    explicit BoxPrinter(Args& args);
    ~BoxPrinter() override;
    BoxPrinter(const BoxPrinter&) = delete;
    BoxPrinter& operator=(const BoxPrinter&) = delete;

    Answer MsgBox(const std::string& text, int style, const std::string& title) override;
    std::string InputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    void DoEvents() override {}
    void EndProgram() override;

    int boxesShown = 0;

private:
    Prompter& console_;
    bench::RepeatedBoxes repeats_;
    std::deque<Answer> answers_;
    std::deque<std::string> texts_;
    Prompter* previous_ = nullptr;
};

// One flat JSON object (its members numbers, texts, truth values or lists of numbers), members
// in the order added, printed on one line.
class JsonLine {
public:
    JsonLine& Add(const std::string& key, const std::string& text);
    JsonLine& Add(const std::string& key, const char* text) { return Add(key, std::string(text)); }
    JsonLine& Add(const std::string& key, int64_t number);
    JsonLine& Add(const std::string& key, int32_t number) { return Add(key, int64_t{number}); }
    JsonLine& Add(const std::string& key, double number);
    JsonLine& Add(const std::string& key, bool value);
    JsonLine& Add(const std::string& key, const std::vector<int32_t>& numbers);
    // Writes the object and a newline on standard output and flushes it.
    void Print() const;
    std::string Text() const;

private:
    std::vector<std::pair<std::string, std::string>> members_;  // key, encoded value
};

// "0a1b2c3d": eight lowercase hexadecimal digits.
std::string Hex8(uint32_t value);

// Seconds since construction, from the monotonic clock.
class Stopwatch {
public:
    double Seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace kb::engine
