#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "app/core/kb_error.h"
#include "app/core/paths.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "app/core/text.h"

namespace kb {
namespace {

using testing::ScriptedPrompter;
using testing::ScopedEnv;
using testing::TempFolder;
using Args = std::vector<std::string>;

TEST(General, ParseArguments) {
    struct Case { std::string line; Args expected; } cases[] = {
        {"", {""}},
        {"   ", {""}},
        {"a \"b c\" d", {"a", "b c", "d"}},
        {"  a   b  ", {"a", "b"}},
        {"\"unclosed x", {}},
        {"a \"x", {"a"}},
        {"\"a\"b", {"a", "b"}},
        {"\"\" x", {"", "x"}},
        {"/data/f.bin -split", {"/data/f.bin", "-split"}},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseArguments(c.line), c.expected) << c.line;
}

TEST(General, FormatByteSize) {
    constexpr int64_t K = 1024, G = K * K * K, T = G * K;
    struct Case { int64_t bytes; std::string text; } cases[] = {
        {0, "0 bytes"},           {10239, "10239 bytes"},    {10240, "10 kb"},
        {10485759, "10239 kb"},   {10485760, "10 Mb"},       {10 * G - 1, "10239 Mb"},
        {10 * G, "10 Gb"},        {10 * T - 1, "10239 Gb"},  {10 * T, "10 Tb"},
        {4294967296, "4096 Mb"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatByteSize(c.bytes), c.text) << c.bytes;
}

TEST(General, TakingPathsApart) {
    struct Case { std::string path, name, folder; } cases[] = {
        {"/data/backup.tar.gz", "backup.tar.gz", "/data/"},
        {"/name", "name", "/"},
        {"//server/share/f.bin", "f.bin", "//server/share/"},
        {"/data/sub/", "", "/data/sub/"},
        {"rel/C:file.txt", "C:file.txt", "rel/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetFileNameFromPath(c.path), c.name) << c.path;
        EXPECT_EQ(StripFolder(c.path), c.name) << c.path;
        EXPECT_EQ(GetFolderFromPath(c.path), c.folder) << c.path;
    }
    EXPECT_EQ(GetFileNameFromPath("b.txt"), "b.txt");
    EXPECT_EQ(IdentityPath("/a/b"), "/a/b");
}

TEST(General, FolderOfABareNameEndsTheProgram) {
    for (const std::string name : {"setup.exe", "C:file.txt", ""}) {
        ScriptedPrompter p;
        p.Answer(Answer::OK);
        EXPECT_THROW(GetFolderFromPath(name), ProgramEnded);
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].title, "Critical error");
        EXPECT_EQ(p.boxes[0].text, "Cannot determine path of: " + name);
        EXPECT_EQ(p.boxes[0].style, mb::OKOnly | mb::Critical);
        EXPECT_TRUE(p.ended);
    }
}

TEST(General, RemoveExtensionAndTrailingSlash) {
    struct Case { std::string in, out; } cases[] = {
        {".profile", ".profile"}, {"a.b.c", "a.b"}, {"/ver1.2/readme", "/ver1"},
        {"README", "README"},     {"x.", "x"},
    };
    for (const auto& c : cases) EXPECT_EQ(RemoveExtension(c.in), c.out) << c.in;

    std::string p = "/a//";
    EXPECT_EQ(RemoveTrailingBackslash(p, true), "/a/");
    EXPECT_EQ(p, "/a//");
    EXPECT_EQ(RemoveTrailingBackslash(p, false), "/a/");
    EXPECT_EQ(p, "/a/");
    std::string empty, root = "/";
    EXPECT_EQ(RemoveTrailingBackslash(empty, false), "");
    EXPECT_EQ(RemoveTrailingBackslash(root, true), "");
}

TEST(General, ExpandNamingTemplate) {
    struct Case { std::string file; int32_t n; std::string tmpl, out; } cases[] = {
        {"report.doc", 7, "%f.%N", "report.007"},
        {"/data/backup.tar.gz", 12, "%f - %n.frg", "backup.tar - 12.frg"},
        {"README", 3, "%f.%x.%n", "README..3"},
        {"50%n.txt", 2, "%f.%x", "502.txt"},
        {"a%f.bin", 1, "%f.%N", "a%f.001"},
        {"x.bin", 0, "%N", "000"},
        {"f.bin", 1234, "%N-%n", "1234-1234"},
        {"f.bin", 42, "%F %X", "%F %X"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandNamingTemplate(c.file, c.n, c.tmpl), c.out) << c.file << " " << c.tmpl;
}

TEST(General, ReplaceAll) {
    EXPECT_EQ(ReplaceAll("aXbXc", "X", "XX"), "aXXbXXc");  // inserted text is not searched again
    EXPECT_EQ(ReplaceAll("aaaa", "aa", "b"), "bb");
    EXPECT_EQ(ReplaceAll("abc", "", "z"), "abc");
    EXPECT_EQ(ReplaceAll("", "a", "b"), "");
    EXPECT_EQ(ReplaceAll("Aa", "a", "b"), "Ab");
}

TEST(General, VersionAndTempDir) {
    EXPECT_EQ(GetVersionNumber(), 4.0f);
    EXPECT_EQ(VersionNumber(4, 0, 12), 4.0012f);
    EXPECT_EQ(VersionNumber(4, 1, 0), 4.01f);
    EXPECT_EQ(VersionNumber(4, 10, 0), 4.1f);
    EXPECT_EQ(VersionNumber(4, 2, 345), 4.0545f);
    {
        ScopedEnv t("TMPDIR", "/var/tmp/x/");
        EXPECT_EQ(GetTempDir(), "/var/tmp/x");
    }
    {
        ScopedEnv t("TMPDIR", "");
        EXPECT_EQ(GetTempDir(), "/var/tmp");
    }
}

TEST(General, FileExistsOnlyForReadableRegularFiles) {
    TempFolder dir;
    const std::string file = dir.Write("f.bin", "data");
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(dir.Write("empty", "")));
    EXPECT_FALSE(FileExists(dir.Path()));
    EXPECT_FALSE(FileExists(dir.File("missing")));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(fifo));  // returns at once, without a writer
    EXPECT_FALSE(FileExists("/dev/null"));
    if (geteuid() != 0) {
        chmod(file.c_str(), 0);
        EXPECT_FALSE(FileExists(file));
    }
}

TEST(General, ChangeAndRestoreFolder) {
    TempFolder dir;
    const std::string start = std::filesystem::current_path().string();
    const std::string target = std::filesystem::canonical(dir.Path()).string();
    EXPECT_EQ(ChangeToFolder(target), target);
    EXPECT_EQ(std::filesystem::current_path().string(), target);
    EXPECT_EQ(RestoreFolder(false), target);
    EXPECT_EQ(std::filesystem::current_path().string(), start);

    ChangeToFolder(target);
    try {
        ChangeToFolder(dir.File("missing"));
        ADD_FAILURE() << "no error";
    } catch (const KbError& e) {
        EXPECT_EQ(e.Number(), err::PathNotFound);
        EXPECT_EQ(e.Source(), "ChangeToFolder");
    }
    // The failed change had already saved the folder current at that moment.
    EXPECT_EQ(RestoreFolder(true), target);
    std::filesystem::current_path(start);
}

class OpenUrlTest : public ::testing::Test {
protected:
    TempFolder bin;
    std::string log = bin.File("args");
    void FakeOpener(int exitStatus) {
        std::string p = bin.Write("xdg-open", "#!/bin/sh\nprintf '%s|' \"$@\" > '" + log +
                                                  "'\nexit " + std::to_string(exitStatus) + "\n");
        chmod(p.c_str(), 0755);
    }
};

TEST_F(OpenUrlTest, PassesTheAddressAsOneArgumentWithoutAShell) {
    FakeOpener(0);
    ScopedEnv path("PATH", bin.Path());
    ScriptedPrompter p;
    const std::string url = "https://example.invalid/a b?x=$HOME;true";
    OpenURL(url);
    EXPECT_TRUE(p.boxes.empty());
    EXPECT_EQ(testing::ReadAll(log), url + "|");
}

TEST_F(OpenUrlTest, FailureShowsTheAddress) {
    for (bool present : {true, false}) {
        if (present) FakeOpener(3);
        ScopedEnv path("PATH", present ? bin.Path() : bin.File("none"));
        ScriptedPrompter p;
        p.Answer(Answer::OK);
        OpenURL("https://example.invalid/");
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].title, "Unable to open URL");
        EXPECT_EQ(p.boxes[0].style, mb::OKOnly | mb::Critical);
        EXPECT_EQ(p.boxes[0].text,
                  "Unable to automatically open URL. You may visit the site by typing in the "
                  "following address in your web browser if you like....\rhttps://example.invalid/");
    }
}

}  // namespace
}  // namespace kb
