#pragma once
// The front page's tips. Which tip comes next survives between runs as "TipPointer" in the
// user's settings, written at every step; the tip on screen is always the one before the
// pointer.

#include <cstdint>
#include <string>

namespace kb {

class TipOfTheDay {
public:
    static constexpr int16_t kTipCount = 13;

    // The tip before the one last shown; steps the pointer back by one.
    std::string PreviousTip();
    // The tip at the pointer; steps the pointer on by one.
    std::string NextTip();

    static const char* Tip(int16_t index);
    static int16_t WrapTipIndex(int16_t index);

private:
    int16_t TipPointer() const;
    void SetTipPointer(int16_t value);
    std::string GetTip(int16_t offset) const;
};

}  // namespace kb
