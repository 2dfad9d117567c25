#include "bench/kbengine/engine_output.h"

#include <cstdio>

#include "app/core/kb_error.h"

namespace kb::engine {

namespace {

Answer ParseAnswer(const std::string& name) {
    for (Answer a : {Answer::OK, Answer::Cancel, Answer::Abort, Answer::Retry, Answer::Ignore,
                     Answer::Yes, Answer::No})
        if (name == AnswerName(a)) return a;
    throw UsageError{"--answer must be OK, Cancel, Abort, Retry, Ignore, Yes or No, not \"" + name + "\""};
}

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

}  // namespace

BoxPrinter::BoxPrinter(Args& args) : console_(Prompt()) {
    for (const auto& a : args.Options("answer")) answers_.push_back(ParseAnswer(a));
    for (auto& t : args.Options("type")) texts_.push_back(std::move(t));
    previous_ = SetPrompter(this);
}

BoxPrinter::~BoxPrinter() { SetPrompter(previous_); }

Answer BoxPrinter::MsgBox(const std::string& text, int style, const std::string& title) {
    ++boxesShown;
    if (answers_.empty()) {
        const Answer a = repeats_.Show(text, style, title, DefaultAnswer(style), false);
        if (repeats_.GoingRound()) EndProgram();
        return a;
    }
    const Answer a = answers_.front();
    answers_.pop_front();
    return repeats_.Show(text, style, title, a, true);
}

std::string BoxPrinter::InputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) {
    std::string t = console_.InputBox(prompt, title, defaultText);
    if (!texts_.empty()) {
        t = texts_.front();
        texts_.pop_front();
    }
    return t;
}

void BoxPrinter::EndProgram() { throw ProgramEnded(); }

JsonLine& JsonLine::Add(const std::string& key, const std::string& text) {
    members_.emplace_back(key, Quote(text));
    return *this;
}

JsonLine& JsonLine::Add(const std::string& key, int64_t number) {
    members_.emplace_back(key, std::to_string(number));
    return *this;
}

JsonLine& JsonLine::Add(const std::string& key, double number) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", number);
    members_.emplace_back(key, buf);
    return *this;
}

JsonLine& JsonLine::Add(const std::string& key, bool value) {
    members_.emplace_back(key, value ? "true" : "false");
    return *this;
}

JsonLine& JsonLine::Add(const std::string& key, const std::vector<int32_t>& numbers) {
    std::string list = "[";
    for (size_t i = 0; i < numbers.size(); ++i) list += (i ? ", " : "") + std::to_string(numbers[i]);
    members_.emplace_back(key, list + "]");
    return *this;
}

std::string JsonLine::Text() const {
    std::string out = "{";
    for (size_t i = 0; i < members_.size(); ++i) {
        if (i) out += ", ";
        out += Quote(members_[i].first) + ": " + members_[i].second;
    }
    return out + "}";
}

void JsonLine::Print() const {
    std::fflush(stderr);
    std::printf("%s\n", Text().c_str());
    std::fflush(stdout);
}

std::string Hex8(uint32_t value) {
    char buf[9];
    std::snprintf(buf, sizeof buf, "%08x", value);
    return buf;
}

}  // namespace kb::engine
