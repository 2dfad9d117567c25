// Encrypting a split's data through a real encryption plug-in, and a plug-in that fails.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/core/kb_error.h"
#include "app/core/temp_manager.h"
#include "app/core/testing/fake_disks.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/pluginhost/kbplugin.h"
#include "app/pluginhost/plugin_text.h"
#include "app/ui/splitter/split_encryption.h"
#include "app/ui/tests/ui_fixture.h"

namespace kb {
namespace {

using testing::ScriptedPrompter;

class SplitEncryptionTest : public testing::UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        tmp_ = std::make_unique<testing::ScopedEnv>("TMPDIR", tmpFolder.Path());
    }
    void TearDown() override {
        TempManager::Instance().RemoveAllTempFiles();
        UiTest::TearDown();
    }
    // Loads a plug-in into the next slot with a row ticked as the user would have it.
    int16_t Load(const std::string& path, bool ticked) {
        const int16_t slot = host.LoadPluginSlot(path);
        EXPECT_GE(slot, 0);
        host.PluginList.Add(slot + 1, PluginRow{"", "", path, "", "", "", 0, ticked});
        return slot;
    }
    testing::TempFolder tmpFolder;

private:
    std::unique_ptr<testing::ScopedEnv> tmp_;
};

TEST_F(SplitEncryptionTest, TheFirstTickedEncryptorOfTheNameEncryptsAndDecryptsBack) {
    Load(KB_UI_TEST_PLUGIN_DIR "/ui_enc_failing.so", false);
    const int16_t tea = Load(KB_TEA_PLUGIN, true);
    EXPECT_EQ(FindEncryptor(host, "Failing cipher"), -1) << "an unticked row is never chosen";
    EXPECT_EQ(FindEncryptor(host, "TEA Encryption"), tea);
    EXPECT_EQ(FindEncryptor(host, "tea encryption"), -1);

    const std::string source = home.File("data.bin");
    std::string bytes(100000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    std::ofstream(source, std::ios::binary) << bytes;

    const EncryptionOutcome out = EncryptForSplit(host, tea, source, "s3cret");
    ASSERT_TRUE(out.ok);
    EXPECT_EQ(out.encryptionId, 2);
    EXPECT_EQ(out.path, TempManager::Instance().GetTempFilePath("EncArchive"));
    EXPECT_EQ(std::filesystem::path(out.path).parent_path(), tmpFolder.Path());

    const std::string back = home.File("back.bin");
    PluginTextArg a1(out.path), a2(back), a3("s3cret");
    int32_t zero = 0;
    ASSERT_EQ(host.CallPluginMain(tea, PLUGIN_CMD_DECRYPT_FILE, a1.Var(), a2.Var(), a3.Var(), &zero),
              0);
    std::ifstream in(back, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()),
              bytes);
}

TEST_F(SplitEncryptionTest, AFailingEncryptorLeavesNoPartialFile) {
    const int16_t slot = Load(KB_UI_TEST_PLUGIN_DIR "/ui_enc_failing.so", true);
    ASSERT_EQ(FindEncryptor(host, "Failing cipher"), slot);
    const std::string source = home.File("data.bin");
    std::ofstream(source, std::ios::binary) << std::string(5000, 'x');

    ScriptedPrompter prompter;
    prompter.Answer(Answer::OK);
    const EncryptionOutcome out = EncryptForSplit(host, slot, source, "pw");
    EXPECT_FALSE(out.ok);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, "Problem encrypting");
    EXPECT_EQ(prompter.boxes[0].Icon(), mb::Critical);
    EXPECT_THROW(TempManager::Instance().GetTempFilePath("EncArchive"), KbError);
    EXPECT_TRUE(std::filesystem::is_empty(tmpFolder.Path()));
}

// Does what a user does before answering a box (makes room, say), then answers as queued.
class PrompterThatActs : public ScriptedPrompter {
public:
    std::function<void()> beforeAnswer;
    kb::Answer MsgBox(const std::string& text, int style, const std::string& title) override {
        if (beforeAnswer) beforeAnswer();
        return ScriptedPrompter::MsgBox(text, style, title);
    }
};

// A refusal for want of room in the temporary folder says so, not that the plug-in failed:
// Retry encrypts again once there is room, Cancel leaves nothing behind.
TEST_F(SplitEncryptionTest, AFullTemporaryFolderIsNotTakenForAFaultOfThePlugin) {
    const int16_t failing = Load(KB_UI_TEST_PLUGIN_DIR "/ui_enc_failing.so", true);
    const int16_t tea = Load(KB_TEA_PLUGIN, true);
    const std::string source = home.File("data.bin");
    std::ofstream(source, std::ios::binary) << std::string(100000, 'x');
    rlimit unlimited{};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    std::unique_ptr<testing::FakeDisks> disks;
    const struct Case {
        const char* what;
        int16_t slot;
        std::function<void()> fill, makeRoom;
        kb::Answer answer;
    } cases[] = {
        {"a file-size limit, lifted before Retry", tea,
         [&] {
             std::signal(SIGXFSZ, SIG_IGN);
             rlimit small = unlimited;
             small.rlim_cur = 10000;
             setrlimit(RLIMIT_FSIZE, &small);
         },
         [&] { setrlimit(RLIMIT_FSIZE, &unlimited); }, Answer::Retry},
        {"too little free space, Cancel", failing,
         [&] {
             disks = std::make_unique<testing::FakeDisks>();
             disks->freeBytes = 1000;
         },
         {}, Answer::Cancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PrompterThatActs prompter;
        prompter.beforeAnswer = c.makeRoom;
        prompter.Answer(c.answer);
        c.fill();
        const EncryptionOutcome out = EncryptForSplit(host, c.slot, source, "secret");
        setrlimit(RLIMIT_FSIZE, &unlimited);
        std::signal(SIGXFSZ, SIG_DFL);
        disks.reset();
        ASSERT_EQ(prompter.boxes.size(), 1u);
        EXPECT_EQ(prompter.boxes[0].title, "Temporary folder full");
        EXPECT_EQ(prompter.boxes[0].style, mb::RetryCancel | mb::Critical);
        EXPECT_NE(prompter.boxes[0].text.find("The encrypted data could not be written: the "
                                              "temporary folder " + tmpFolder.Path() +
                                              " has no room for it."),
                  std::string::npos)
            << prompter.boxes[0].text;
        const bool retried = c.answer == Answer::Retry;
        EXPECT_EQ(out.ok, retried);
        if (retried) EXPECT_EQ(std::filesystem::file_size(out.path), 100000u + 268u);
        else EXPECT_TRUE(std::filesystem::is_empty(tmpFolder.Path()));
        TempManager::Instance().RemoveAllTempFiles();
    }
}

}  // namespace
}  // namespace kb
