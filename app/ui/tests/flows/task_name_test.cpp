// Naming a saved task: free defaults, the repeat on a taken or unusable name, and a resumed
// task's own name.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "app/ui/common/task_name.h"

namespace kb {
namespace {

using testing::ScriptedPrompter;
using testing::TempFolder;

class TaskNameTest : public ::testing::Test {
protected:
    void Touch(const std::string& name) { std::ofstream(tasks.File(name + ".uft")) << "x"; }
    TempFolder tasks;
};

TEST_F(TaskNameTest, DefaultIsTheFirstFreeNumberedName) {
    EXPECT_EQ(FreeTaskName(tasks.Path(), "Unnamed Split"), "Unnamed Split");
    Touch("Unnamed Split");
    Touch("Unnamed Split 2");
    EXPECT_EQ(FreeTaskName(tasks.Path(), "Unnamed Split"), "Unnamed Split 3");
    EXPECT_EQ(FreeTaskName(tasks.Path() + "/missing", "Unnamed Assemble"), "Unnamed Assemble");
}

TEST_F(TaskNameTest, RepeatsWhileTheNameIsTakenOrUnusable) {
    Touch("Taken");
    ScriptedPrompter prompter;
    prompter.Type("Taken").Type("   ").Type("a/b").Type("..").Type("Holiday photos");
    const TaskNameAnswer a = AskTaskName({tasks.Path(), "Unnamed Split", ""});
    EXPECT_EQ(a.path, tasks.Path() + "/Holiday photos.uft");
    EXPECT_NE(a.path, "");  // not the own file, which this request has none of
    ASSERT_EQ(prompter.inputs.size(), 5u);
    EXPECT_EQ(prompter.inputs[0].prompt, "Please enter a name to give the current project.");
    EXPECT_EQ(prompter.inputs[0].title, "Save Progress");
    EXPECT_EQ(prompter.inputs[0].defaultText, "Unnamed Split");
    // Each repeat offers the last answer again.
    const char* lastAnswers[] = {"Taken", "   ", "a/b", ".."};
    for (size_t i = 1; i < 5; ++i) {
        EXPECT_EQ(prompter.inputs[i].prompt,
                  "The name you supplied is already in use. Please enter a name to give the "
                  "current project.");
        EXPECT_EQ(prompter.inputs[i].defaultText, lastAnswers[i - 1]);
    }
}

TEST_F(TaskNameTest, AnEmptyAnswerOnEitherPromptSavesNothing) {
    Touch("Unnamed Split");
    for (int second : {0, 1}) {
        ScriptedPrompter prompter;
        if (second) prompter.Type("Unnamed Split");
        prompter.Type("");
        EXPECT_EQ(AskTaskName({tasks.Path(), "Unnamed Split", ""}).path, "");
    }
}

// The task folder may have been removed since the program was set up: the save that follows
// the answer needs it, and gets it. No name, no folder.
TEST_F(TaskNameTest, AMissingTaskFolderIsMadeOnceANameIsGiven) {
    const std::string folder = tasks.File("removed/Unfinished Tasks");
    for (const char* typed : {"", "Holiday photos"}) {
        SCOPED_TRACE(typed);
        ScriptedPrompter prompter;
        prompter.Type(typed);
        const TaskNameAnswer a = AskTaskName({folder, "Unnamed Assemble", ""});
        EXPECT_EQ(a.path, *typed ? folder + "/Holiday photos.uft" : "");
        EXPECT_EQ(std::filesystem::is_directory(folder), *typed != '\0');
    }
}

// Only the name that leads back to the resumed task's own file may be used again while taken:
// the resumed task need not live in the task folder, where another task may hold its name in
// the same or other letters.
TEST_F(TaskNameTest, AResumedTaskMayReuseOnlyTheNameOfItsOwnFile) {
    TempFolder elsewhere;
    struct Case {
        const char* what;
        std::vector<std::string> inFolder;  // task files already in the task folder
        std::string ownFile;
        std::string typed;
        std::string path;  // "" when the name is refused as taken
        bool own;
    };
    const Case cases[] = {
        {"its own file", {"Backup"}, tasks.File("Backup.uft"), "Backup", tasks.File("Backup.uft"), true},
        {"another task in other letters", {"backup", "BACKUP"}, tasks.File("backup.uft"), "BACKUP", "", false},
        {"another task of its name", {"Backup"}, elsewhere.File("Backup.uft"), "Backup", "", false},
        {"a free name", {}, elsewhere.File("Backup.uft"), "Backup", tasks.File("Backup.uft"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(tasks.Path());
        std::filesystem::create_directories(tasks.Path());
        for (const std::string& name : c.inFolder) Touch(name);
        ScriptedPrompter prompter;
        prompter.Type(c.typed);
        if (c.path.empty()) prompter.Type("");
        const TaskNameAnswer a = AskTaskName({tasks.Path(), "Unnamed Assemble", c.ownFile});
        EXPECT_EQ(prompter.inputs.at(0).defaultText, std::filesystem::path(c.ownFile).stem().string());
        EXPECT_EQ(a.path, c.path);
        EXPECT_EQ(a.path == c.ownFile, c.own);
        EXPECT_EQ(prompter.inputs.size(), c.path.empty() ? 2u : 1u);
    }
}

}  // namespace
}  // namespace kb
