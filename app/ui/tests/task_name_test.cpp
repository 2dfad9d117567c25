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
    EXPECT_FALSE(a.sameAsOwnName);
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

TEST_F(TaskNameTest, AResumedTaskMayKeepItsOwnName) {
    Touch("Backup");
    ScriptedPrompter prompter;
    prompter.Type("BACKUP");
    const TaskNameAnswer a = AskTaskName({tasks.Path(), "Unnamed Assemble", "Backup"});
    EXPECT_EQ(prompter.inputs.at(0).defaultText, "Backup");
    EXPECT_EQ(a.path, tasks.Path() + "/BACKUP.uft");
    EXPECT_TRUE(a.sameAsOwnName);
    EXPECT_TRUE(std::filesystem::exists(tasks.File("Backup.uft"))) << "nothing deleted here";
}

}  // namespace
}  // namespace kb
