#pragma once
// The drivers answer boxes that nobody sees. A box that offers Retry and comes back unchanged
// (a full disk, a name the file system refuses) would be answered Retry for ever: once the same
// box has had kRetries unscripted Retry answers in a row, it is given up on (Cancel or Abort)
// instead. Each box is printed on standard error once, as "box: <title>: <text>"; a box that
// came several times in a row is followed by one line with the count and the last answer.
// Boxes can also go round with others between them (a "Missing piece" box given up on, then a
// stop question whose default goes on, and the missing piece again): a box shown kMostShows
// times in one run tells the driver that it goes round without end (GoingRound), and the
// driver ends the run.

#include <cstdio>
#include <map>
#include <string>

#include "app/core/prompter.h"

namespace kb::bench {

class RepeatedBoxes {
public:
    static constexpr int kRetries = 3;
    static constexpr int kMostShows = 50;

    RepeatedBoxes() = default;
    RepeatedBoxes(const RepeatedBoxes&) = delete;
    RepeatedBoxes& operator=(const RepeatedBoxes&) = delete;
    ~RepeatedBoxes() { EndRun(); }

    // Prints the box unless it repeats the one before and returns `answer`, or the box's
    // give-up answer in place of an unscripted Retry that would be one too many.
    Answer Show(const std::string& text, int style, const std::string& title, Answer answer,
                bool scripted) {
        if (shown_ > 0 && text == text_ && title == title_ && style == style_) {
            ++shown_;
        } else {
            EndRun();
            text_ = text;
            title_ = title;
            style_ = style;
            shown_ = 1;
            retries_ = 0;
            std::fprintf(stderr, "box: %s: %s\n", title.c_str(), OneLine(text).c_str());
        }
        if (answer == Answer::Retry && !scripted && ++retries_ > kRetries) answer = GiveUpAnswer(style);
        last_ = answer;
        if (!scripted && ++shows_[title + '\n' + text] == kMostShows) {
            goingRound_ = true;
            std::fprintf(stderr, "box: %s: shown %d times in this run, which goes round without end\n",
                         title.c_str(), kMostShows);
        }
        return answer;
    }

    // True once an unscripted box has come kMostShows times in this run.
    bool GoingRound() const { return goingRound_; }

private:
    static std::string OneLine(std::string s) {
        for (char& c : s)
            if (c == '\n' || c == '\r') c = ' ';
        return s;
    }

    void EndRun() {
        if (shown_ > 1)
            std::fprintf(stderr, "box: %s: shown %d times in a row, the last answered %s\n",
                         title_.c_str(), shown_, AnswerName(last_));
        shown_ = 0;
    }

    std::string text_, title_;
    int style_ = 0;
    int shown_ = 0;
    int retries_ = 0;
    Answer last_ = Answer::OK;
    std::map<std::string, int> shows_;  // unscripted shows of each box in the whole run
    bool goingRound_ = false;
};

}  // namespace kb::bench
