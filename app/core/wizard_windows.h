#pragma once
// The two small windows both wizards open while they work: the password confirmation and the
// disk request. Behind an interface, so that the wizards' flow classes stay free of the
// toolkit and tests answer the windows from a script.

#include <cstdint>
#include <string>

namespace kb {

class WizardWindows {
public:
    virtual ~WizardWindows() = default;
    // Shows the password window modally with `prompt` above an emptied box; returns what the
    // box holds when it is dismissed ("" when it was closed without OK and left empty).
    virtual std::string ConfirmPassword(const std::string& prompt) = 0;
    // Shows the disk request for disk `diskNumber` modally; true when OK was clicked.
    virtual bool RequestDisk(int32_t diskNumber) = 0;
};

// "Please insert disk <n> and click OK.", the disk request's message.
std::string DiskRequestText(int32_t diskNumber);

}  // namespace kb
