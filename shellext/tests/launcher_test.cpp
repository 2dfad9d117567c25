#include <sys/wait.h>

#include <cstdio>

#include "platform/process_start.h"
#include "shellext/tests/shellext_fixture.h"

namespace kb::shelltest {
namespace {

using kb::shellhost::RunSplitEntry;
using kb::shellhost::SplitResult;

class LauncherTest : public ShellExtTest {
protected:
    void SetUp() override {
        ShellExtTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(module.DllRegisterServer()(), S_OK);
    }

    // Runs the built launcher in `folder`; its exit status, standard error in `errors`.
    int RunLauncher(const std::vector<std::string>& args, const std::string& folder, std::string& errors) {
        const std::string errFile = root.File("launcher.err");
        std::string line = "cd '" + folder + "' && '" KB_SHELL_LAUNCHER "'";
        for (const std::string& a : args) line += " '" + a + "'";
        const pid_t pid = kb::platform::StartProcess({"sh", "-c", line + " 2>'" + errFile + "'"});
        const auto status = kb::platform::WaitProcess(pid, 20000);
        errors = kb::testing::ReadAll(errFile);
        return status.value_or(-1);
    }
};

TEST_F(LauncherTest, FolderFirstUsesTheFolderHandlerAndStartsTheProgram) {
    SetInstallationDir();
    const std::string folder = root.File("y"), file = root.Write("a b.txt", "x");
    std::filesystem::create_directory(folder);
    RecordingWindow window;
    const auto outcome = RunSplitEntry({folder, file}, &window);
    EXPECT_EQ(outcome.result, SplitResult::Started) << outcome.detail;
    EXPECT_EQ(TakeRecord().args,
              (std::vector<std::string>{std::string(KB_STAND_IN_DIR) + "/Kestrelbinder", folder, file, "-split"}));
}

TEST_F(LauncherTest, NoEntryWithoutInstallationDirAndNoHandlerWithoutRegistration) {
    RecordingWindow window;
    auto outcome = RunSplitEntry({"/x"}, &window);
    EXPECT_EQ(outcome.result, SplitResult::NoEntry);
    EXPECT_EQ(outcome.hr, E_NOTIMPL);

    ASSERT_EQ(module.DllUnregisterServer()(), S_OK);
    SetInstallationDir();
    outcome = RunSplitEntry({"/x"}, &window);
    EXPECT_EQ(outcome.result, SplitResult::NoHandler);
    EXPECT_FALSE(std::filesystem::exists(root.File("record")));
}

TEST_F(LauncherTest, LauncherProgramTakesRelativePathsAndReportsFailureBoxesOnItsErrorStream) {
    SetInstallationDir();
    std::filesystem::create_directories(root.File("work/sub"));
    root.Write("work/f.txt", "x");
    std::string errors;
    EXPECT_EQ(RunLauncher({"--", "f.txt", "sub"}, root.File("work"), errors), 0) << errors;
    EXPECT_EQ(TakeRecord().args, (std::vector<std::string>{std::string(KB_STAND_IN_DIR) + "/Kestrelbinder",
                                                           root.File("work/f.txt"), root.File("work/sub"), "-split"}));

    SetInstallationDir(root.File("nowhere"));
    EXPECT_EQ(RunLauncher({"--", "f.txt"}, root.File("work"), errors), 1);
    EXPECT_NE(errors.find("Problem launching executable: Unable to launch Kestrelbinder"), std::string::npos) << errors;
    EXPECT_NE(errors.find("Errorcode: 2\n"), std::string::npos) << errors;
    EXPECT_NE(errors.find("Commandline: \"" + root.File("nowhere") + "/Kestrelbinder\" \"" +
                          root.File("work/f.txt") + "\" -split\n"),
              std::string::npos)
        << errors;
}

TEST_F(LauncherTest, LauncherRefusesASelectionWithAQuotedPathWholeAndSaysWhichItem) {
    SetInstallationDir();
    root.Write("work/plain.txt", "x");
    const std::string quoted = root.Write("work/say \"hi\".txt", "x");
    std::string errors;
    EXPECT_EQ(RunLauncher({"--", "plain.txt", "say \"hi\".txt"}, root.File("work"), errors), 1);
    EXPECT_EQ(errors,
              "Unable to split the selection: Kestrelbinder was not started, because one item of the "
              "selection cannot be passed to it: its path holds a double quote.\n\n" +
                  quoted + "\n");
    // The stand-in program was not started, with the other item or with nothing.
    EXPECT_FALSE(std::filesystem::exists(root.File("record")));
}

}  // namespace
}  // namespace kb::shelltest
