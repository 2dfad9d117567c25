// The program's dialog filters as the toolkit's name filters.
#include <gtest/gtest.h>

#include "app/core/testing/scripted_dialogs.h"
#include "app/ui/common/qt_dialogs.h"

namespace kb {
namespace {

TEST(QtDialogs, FiltersMapToLinuxPatterns) {
    struct Case {
        const char* filter;
        QStringList expected;
    } cases[] = {
        {"All Files (*.*)|*.*", {"All Files (*)"}},
        {"Plugin DLLs|*.dll", {"Plugin DLLs (*.so)"}},
        {"All supported formats|*.frg;*.001;*.1|KX4 fragments only (*.frg)|*.frg",
         {"All supported formats (*.frg *.001 *.1)", "KX4 fragments only (*.frg)"}},
        {"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(DialogNameFilters(c.filter), c.expected) << c.filter;
}

TEST(ScriptedDialogs, AnswersInOrderAndRecordsRequests) {
    testing::ScriptedDialogs dialogs;
    dialogs.ChooseFile("/a/b").Cancel().ChooseFolder("/c");
    EXPECT_EQ(Dialogs().OpenFile({"Pick", "All Files (*.*)|*.*", 1, "/a/*.*"}), "/a/b");
    EXPECT_EQ(Dialogs().OpenFile({}), std::nullopt);
    EXPECT_EQ(Dialogs().BrowseForFolder("Where", "/"), "/c");
    ASSERT_EQ(dialogs.openRequests.size(), 2u);
    EXPECT_EQ(dialogs.openRequests[0].fileName, "/a/*.*");
    EXPECT_EQ(dialogs.folderRequests.at(0).title, "Where");
}

}  // namespace
}  // namespace kb
