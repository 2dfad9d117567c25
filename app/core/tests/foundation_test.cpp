#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "app/core/debug_log.h"
#include "app/core/fatal_error.h"
#include "app/core/kb_error.h"
#include "app/core/prompter.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"

namespace kb {
namespace {

using testing::ScriptedPrompter;

TEST(Prompter, DefaultAnswerFollowsButtonSetAndDefaultButton) {
    struct Case { int style; Answer expected; } cases[] = {
        {mb::OKOnly, Answer::OK},
        {mb::OKCancel | mb::DefaultButton2, Answer::Cancel},
        {mb::YesNoCancel | mb::Question, Answer::Yes},
        {mb::YesNoCancel | mb::DefaultButton3, Answer::Cancel},
        {mb::YesNo | mb::DefaultButton2 | mb::Exclamation, Answer::No},
        {mb::RetryCancel | mb::Critical, Answer::Retry},
        {mb::AbortRetryIgnore | mb::DefaultButton2, Answer::Retry},
    };
    for (const auto& c : cases) EXPECT_EQ(DefaultAnswer(c.style), c.expected) << c.style;
}

TEST(Prompter, ScriptedAnswersInOrderAndRecordsEveryBox) {
    ScriptedPrompter p;
    p.Answer(Answer::Retry).Answer(Answer::Cancel).Type("name");
    EXPECT_EQ(MsgBox("one", mb::RetryCancel, "T1"), Answer::Retry);
    EXPECT_EQ(MsgBox("two", mb::RetryCancel), Answer::Cancel);
    EXPECT_EQ(InputBox("Name?"), "name");
    DoEvents();
    ASSERT_EQ(p.boxes.size(), 2u);
    EXPECT_EQ(p.boxes[1].title, kAppTitle);
    EXPECT_EQ(p.doEventsCount, 1);
    EXPECT_THROW(EndProgram(), ProgramEnded);
    EXPECT_TRUE(p.ended);
}

TEST(Prompter, ScriptFailsOnAnImpossibleAnswerAndOnAnswersNoBoxTook) {
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPrompter p;
            p.Answer(Answer::Retry);
            MsgBox("one", mb::OKCancel);
        },
        "fits no button");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPrompter p;
            p.Answer(Answer::OK).Type("never asked");
        },
        "2 scripted answer(s) left");
}

TEST(Prompter, ScriptStopsCodeThatAsksForEverWithoutAnAnswer) {
    constexpr int kLimit = ScriptedPrompter::kRunawayBoxes;
    int retries = 0;
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPrompter p;
            p.AllowUnexpected();
            while (MsgBox("Disk full", mb::RetryCancel, "Problem writing data") == Answer::Retry)
                ++retries;
        },
        "200 message boxes in a row found no scripted answer");
    EXPECT_EQ(retries, kLimit - 1);

    // Only boxes in a row count: one answered box starts the count again.
    ScriptedPrompter p;
    p.AllowUnexpected();
    for (int i = 1; i < kLimit; ++i) MsgBox("again", mb::RetryCancel);
    p.Answer(Answer::Retry);
    MsgBox("answered", mb::RetryCancel);
    for (int i = 1; i < kLimit; ++i) EXPECT_EQ(MsgBox("again", mb::RetryCancel), Answer::Retry);
}

TEST(FatalError, ShowsTheBoxAndRaisesTheSameErrorAgain) {
    ScriptedPrompter p;
    p.Answer(Answer::OK);
    try {
        try {
            throw KbError(err::DeviceIO, "OpenBF", "Unable to open file: /x");
        } catch (...) {
            FatalErrorBox("Split()", 7);
        }
    } catch (const KbError& e) {
        EXPECT_EQ(e.Number(), 57);
        EXPECT_EQ(e.Source(), "OpenBF");
    }
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Fatal error");
    EXPECT_EQ(p.boxes[0].Icon(), mb::Critical);
    EXPECT_EQ(p.boxes[0].Buttons(), mb::OKOnly);
    EXPECT_EQ(p.boxes[0].text.rfind("A fatal error has occurred in function Split(), sector 7\n"
                                    "57) Unable to open file: /x", 0), 0u);
    EXPECT_NE(p.boxes[0].text.find("4.0.0"), std::string::npos);
}

TEST(FatalError, ProgramEndPassesThroughWithoutABox) {
    ScriptedPrompter p;
    EXPECT_THROW(
        {
            try { throw ProgramEnded(); } catch (...) { FatalErrorBox("Split()", 1); }
        },
        ProgramEnded);
    EXPECT_TRUE(p.boxes.empty());
}

class DebugLogTest : public ::testing::Test {
protected:
    testing::TempFolder home;
    testing::ScopedEnv env{"KESTRELBINDER_HOME", home.Path()};
    testing::ScopedEnv data{"XDG_DATA_HOME", home.File("data")};
    void TearDown() override { DebugLogEnabled = false; }
};

TEST_F(DebugLogTest, SwitchIsFoundAnywhereInAnyCase) {
    EXPECT_TRUE(CommandLineAsksForDebugLog("FILE.TXT -DEBUGLOG"));
    EXPECT_TRUE(CommandLineAsksForDebugLog("x-debuglogy"));
    EXPECT_FALSE(CommandLineAsksForDebugLog("-debug log"));
}

TEST_F(DebugLogTest, AppendsLinesWithCrLfAndNeverTruncates) {
    DebugLogEnabled = false;
    DebugLog("ignored");
    EXPECT_FALSE(std::filesystem::exists(home.File("KxDebugLog.txt")));
    DebugLogEnabled = true;
    DebugLog("first");
    DebugLog("second");
    DebugLog("first");
    EXPECT_EQ(testing::ReadAll(home.File("KxDebugLog.txt")), "first\r\nsecond\r\nfirst\r\n");
}

TEST_F(DebugLogTest, UnwritableLogNeverFailsTheCaller) {
    testing::ScopedEnv missing{"KESTRELBINDER_HOME", home.File("no/such/folder")};
    DebugLogEnabled = true;
    EXPECT_NO_THROW(DebugLog("lost"));
}

}  // namespace
}  // namespace kb
