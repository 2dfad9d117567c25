#include "app/core/common_dialogs.h"

namespace kb {

namespace {

// Without a screen there is nobody to choose: every dialog is cancelled.
class CancellingDialogs : public CommonDialogs {
public:
    std::optional<std::string> OpenFile(const OpenFileRequest&) override { return std::nullopt; }
    std::optional<std::string> BrowseForFolder(const std::string&, const std::string&) override {
        return std::nullopt;
    }
};

CancellingDialogs cancelling;
CommonDialogs* current = &cancelling;

}  // namespace

CommonDialogs& Dialogs() { return *current; }

CommonDialogs* SetDialogs(CommonDialogs* d) {
    CommonDialogs* old = current;
    current = d != nullptr ? d : &cancelling;
    return old == &cancelling ? nullptr : old;
}

}  // namespace kb
