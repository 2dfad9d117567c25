#pragma once
// Common dialogs for tests: every request is recorded and answered from a queue the test
// fills beforehand (a queued nothing is a cancelled dialog). A dialog that finds the queue
// empty is a test failure and answers as cancelled; answers left over when the fake goes are a
// failure too (a dialog the test expected never opened).

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/core/common_dialogs.h"

namespace kb::testing {

struct RecordedFolderBrowse {
    std::string title;
    std::string startFolder;
};

class ScriptedDialogs : public CommonDialogs {
public:
    // Installs itself for its lifetime.
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    // Queues the file chosen in the next open dialog.
    ScriptedDialogs& ChooseFile(std::string path);
    // Queues the folder chosen in the next folder browser.
    ScriptedDialogs& ChooseFolder(std::string path);
    // Queues a cancelled dialog of either kind.
    ScriptedDialogs& Cancel();

    std::vector<OpenFileRequest> openRequests;
    std::vector<RecordedFolderBrowse> folderRequests;

    std::optional<std::string> OpenFile(const OpenFileRequest& request) override;
    std::optional<std::string> BrowseForFolder(const std::string& title,
                                               const std::string& startFolder) override;

private:
    std::optional<std::string> Next(const char* kind);
    std::deque<std::optional<std::string>> answers_;
    CommonDialogs* previous_;
};

}  // namespace kb::testing
