#pragma once
// Shared by the assembler wizard's tests: real series made with the engine's splitter (over a
// CAB archive, or data encrypted by the Tea plug-in, as the split side prepares them), the
// wizard with scripted windows, and clicks through its pages.

#include <QPushButton>

#include <filesystem>
#include <string>
#include <vector>

#include "app/core/active_splitter.h"
#include "app/core/temp_manager.h"
#include "app/core/testing/scripted_dialogs.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/scripted_windows.h"
#include "app/pluginhost/kbplugin.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/pluginhost/plugin_text.h"
#include "app/ui/assembler/assembler_flow.h"
#include "app/ui/assembler/uc_assembler.h"
#include "app/ui/tests/ui_fixture.h"
#include "platform/cab_archive.h"

namespace kb::testing {

namespace fs = std::filesystem;

class AssemblerTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        tmpEnv_ = std::make_unique<ScopedEnv>("TMPDIR", tmp.Path());
        fs::create_directories(home.File("Unfinished Tasks"));
    }
    void TearDown() override {
        // Whatever happened, nothing stays registered as temporary.
        for (const char* key : {"AssArchive", "AssEncArchive"})
            EXPECT_THROW(TempManager::Instance().GetTempFilePath(key), std::exception) << key;
        tmpEnv_.reset();
        UiTest::TearDown();
    }

    // Splits `source` into dir/<folder> as the split side does: own format unless raw.
    std::string SplitInto(const std::string& source, const std::string& store,
                          const std::string& folder, int32_t compression = 0,
                          int32_t encryption = 0, int32_t format = aftTarnwolde) {
        ActiveSplitter s;
        fs::create_directories(work.File(folder));
        s.SetFileFormat(format);
        s.SetBigFile(source);
        s.FilenameToStore = store;
        s.CompressionID = compression;
        s.EncryptionID = encryption;
        s.SetDestinationFolder(work.File(folder));
        s.SetFragmentSize(int64_t{20000});
        s.SegmentSize = 4096;
        EXPECT_EQ(s.Split(), 1);
        for (const auto& e : fs::directory_iterator(work.File(folder)))
            if (e.path().string().find(" 1.frg") != std::string::npos ||
                e.path().string().ends_with(".001"))
                return e.path().string();
        ADD_FAILURE() << "no first piece";
        return "";
    }

    // A small tree of files to gather into an archive.
    std::string MakeTree() {
        work.Write("tree/readme.txt", "read me\n");
        work.Write("tree/sub/data.bin", RandomBytes(45000, 5));
        work.Write("tree/sub/deeper/more.bin", RandomBytes(12000, 6));
        return work.File("tree");
    }
    std::string MakeCab(int32_t kind) {
        const std::string cab = work.File("selection.cab");
        platform::BuildCab(cab, platform::CollectCabEntries({}, {MakeTree()}),
                           static_cast<platform::CabKind>(kind));
        return cab;
    }
    void ExpectTreeIn(const std::string& dest) {
        for (const char* f : {"readme.txt", "sub/data.bin", "sub/deeper/more.bin"})
            EXPECT_EQ(ReadAll(dest + "/tree/" + f), ReadAll(work.File("tree/") + f)) << f;
    }

    // Loads the built Tea plug-in into the next slot (not enabled).
    int16_t LoadTea() {
        const int16_t slot = host.LoadPluginSlot(KB_TEA_PLUGIN);
        EXPECT_GE(slot, 0);
        return slot;
    }
    // Encrypts a file with the plug-in as the split side does; returns the encrypted file.
    std::string TeaEncrypt(int16_t slot, const std::string& source, const std::string& pass) {
        const std::string out = work.File("encrypted.tea");
        PluginTextArg a1(source), a2(out), a3(pass);
        int32_t zero = 0;
        EXPECT_EQ(host.CallPluginMain(slot, PLUGIN_CMD_ENCRYPT_FILE, a1.Var(), a2.Var(),
                                           a3.Var(), &zero),
                  0);
        return out;
    }

    // Chooses the set, goes to the destination page, sets it and runs the join.
    void Join(ucAssembler& w, const std::string& firstPiece, const std::string& dest) {
        w.SetSrcToAssemble(firstPiece);
        ASSERT_TRUE(w.cmdNext()->isEnabled()) << w.CurrentSetInfo();
        w.cmdNext()->click();
        ASSERT_EQ(w.CurrentPage(), 2);
        fs::create_directories(dest);
        w.SetDestPath(dest);
        w.cmdNext()->click();
    }
    // The path an "Assembled data kept" box names.
    static std::string KeptPath(const RecordedBox& box) {
        const std::string lead = "The data has been kept as ";
        const size_t at = box.text.rfind(lead);
        if (at == std::string::npos || box.text.back() != '.') return "";
        return box.text.substr(at + lead.size(), box.text.size() - at - lead.size() - 1);
    }
    std::vector<std::string> Listing(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(folder))
            names.push_back(fs::relative(e.path(), folder).string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder work;
    TempFolder tmp;
    ScriptedWindows windows;

private:
    std::unique_ptr<ScopedEnv> tmpEnv_;
};

}  // namespace kb::testing
