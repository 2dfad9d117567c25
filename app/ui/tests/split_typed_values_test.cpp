// Values typed into the wizard's checked boxes, met as a user meets them: the focus leaving a
// box, Enter, the wizard buttons pressed again and again, and the piece numbers beside their
// spinners; what lands in the destination shows whether a refused value got through.
#include <QApplication>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionSpinBox>

#include "app/ui/splitter/split_stage_source_multi.h"
#include "app/ui/tests/render_check.h"
#include "app/ui/tests/split_run_fixture.h"

namespace kb {
namespace {

namespace fs = std::filesystem;

class SplitTypedValuesTest : public testing::SplitRunTest {
protected:
    // Types a value into a box and stays in it, or leaves it with Enter, which has its check
    // refuse the value at once.
    void TypeRefused(const char* name, const QString& text, bool enter, const std::string& told) {
        auto* box = Child<QLineEdit>(name);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
        if (!enter) return;
        prompter.Answer(Answer::OK);
        QTest::keyClick(box, Qt::Key_Return);
        ASSERT_FALSE(prompter.boxes.empty());
        EXPECT_EQ(prompter.boxes.back().text.substr(0, told.size()), told);
    }
    // Next, Next again and Back each tell the refusal once more and stay on the stage, the
    // focus back in the box.
    void ExpectHeld(const char* name, const std::string& told) {
        for (const char* button : {"cmdSplitWizNext", "cmdSplitWizNext", "cmdSplitWizBack"}) {
            SCOPED_TRACE(button);
            const int stage = Stage();
            const size_t before = prompter.boxes.size();
            prompter.Answer(Answer::OK);
            Click(button);
            ASSERT_EQ(prompter.boxes.size(), before + 1);
            EXPECT_EQ(prompter.boxes.back().text.substr(0, told.size()), told);
            EXPECT_EQ(Stage(), stage);
            EXPECT_EQ(QApplication::focusWidget(), Child(name));
        }
    }
    std::vector<std::string> Written() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dest.Path())) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    // Clicks a spinner's up arrow where the style draws it.
    static void ClickUp(QSpinBox* spinner) {
        QStyleOptionSpinBox opt;
        opt.initFrom(spinner);
        opt.subControls = QStyle::SC_All;
        opt.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
        opt.frame = spinner->hasFrame();
        const QRect up = spinner->style()->subControlRect(QStyle::CC_SpinBox, &opt,
                                                          QStyle::SC_SpinBoxUp, spinner);
        QTest::mouseClick(spinner, Qt::LeftButton, {}, up.center());
    }
    // The window on the size stage with a file of `bytes` as the source.
    void ToSizes(size_t bytes) {
        MakeFile(source.File("data.bin"), bytes);
        Open();
        ToOptions("data.bin");
        Click("cmdSplitWizNext");
        Click("cmdSplitWizNext");
        ASSERT_EQ(Stage(), 5);
    }
    void ExpectPieceNumber(const char* box, const char* spinner, int value) {
        EXPECT_EQ(Child<QLineEdit>(box)->text().toInt(), value) << box;
        EXPECT_EQ(Child<QSpinBox>(spinner)->value(), value) << spinner;
    }
};

TEST_F(SplitTypedValuesTest, ARefusedValueHoldsNextAndBackUntilItPasses) {
    ToSizes(300'000);
    Click("optCustomSize");
    struct Case {
        const char* box;
        const char* typed;
        bool enter;
        std::string told;
        const char* passes;
    };
    const Case sizes[] = {
        {"txtFragNamingTemplate", "pieces.frg", false,
         "You must use either %n or %N somewhere in the template!", "%f.%N"},
        {"txtFragNamingTemplate", "../escaped %n.frg", false,
         "You may not include the '/' character in the template: the fragments are all written "
         "into the destination folder.",
         "%f.%N"},
        {"txtCustomSize", "x", true, "Please enter a numeric value", "100"},
        {"txtCustomSize", "0", false, "The minimum size supported is 10 kb", "100"},
    };
    for (const Case& c : sizes) {
        SCOPED_TRACE(c.box + std::string(" ") + c.typed);
        TypeRefused(c.box, c.typed, c.enter, c.told);
        ExpectHeld(c.box, c.told);
        Type(c.box, c.passes);
    }
    EXPECT_TRUE(Written().empty());
    Click("cmdSplitWizNext");
    ASSERT_EQ(Stage(), 6);
    EXPECT_EQ(Splitter().FragmentSize(), 102400);

    // A refused piece number holds the split itself; once it passes, it is the one used.
    Click("optMakeRangeFragments");
    TypeRefused("txtFragRangeTo", "two", false, "");
    ExpectHeld("txtFragRangeTo", "Please enter a numeric number between 1 and 3.");
    EXPECT_TRUE(Written().empty());
    Type("txtFragRangeTo", "2");
    Click("cmdSplitWizNext");
    EXPECT_EQ(Written(), (std::vector<std::string>{"data.001", "data.002"}));
}

// A custom size refused as the focus leaves it for a preset: the preset is chosen all the
// same, the custom box then holds no value the split uses, and the next Next goes on.
TEST_F(SplitTypedValuesTest, ARefusedCustomSizeGivesWayToAPreset) {
    ToSizes(3'000'000);
    Type("txtFragNamingTemplate", "%f.%N");
    Click("optCustomSize");
    TypeRefused("txtCustomSize", "0", false, "");
    prompter.Answer(Answer::OK);
    Click("optPresetSize");
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, "The minimum size supported is 10 kb");
    EXPECT_TRUE(Child<QRadioButton>("optPresetSize")->isChecked());
    Click("cmdSplitWizNext");
    EXPECT_EQ(prompter.boxes.size(), 1u) << prompter.boxes.back().text;
    ASSERT_EQ(Stage(), 6);
    EXPECT_EQ(Splitter().FragmentSize(), 1048576);
    Click("cmdSplitWizNext");
    EXPECT_EQ(Written(), (std::vector<std::string>{"data.001", "data.002", "data.003"}));
}

TEST_F(SplitTypedValuesTest, ARefusedSeriesNameHoldsTheSourceStage) {
    MakeFile(source.File("one.bin"), 20'000);
    Open();
    Click("optSplitMultiFile");
    Click("cmdSplitWizNext");
    window->SplitterWizard().fSplitStageSelectSourceMulti_->AddFileFromCommandLine(source.File("one.bin"));
    const std::string told = "You may not include the '.' character.";
    TypeRefused("txtSeriesName", "Bundle.cab", true, told);
    ExpectHeld("txtSeriesName", told);
    Type("txtSeriesName", "Bundle");
    Click("cmdSplitWizNext");
    EXPECT_EQ(Stage(), 3);
}

TEST_F(SplitTypedValuesTest, APieceNumberAndItsSpinnerShowTheSameValue) {
    MakeFile(source.File("data.bin"), 300'000);
    Open();
    ToOptions("data.bin");
    ToRange(100);
    Click("optMakeRangeFragments");
    // The first number passing the last raises the last.
    ClickUp(Child<QSpinBox>("udFragRangeFrom"));
    ClickUp(Child<QSpinBox>("udFragRangeFrom"));
    ExpectPieceNumber("txtFragRangeFrom", "udFragRangeFrom", 3);
    ExpectPieceNumber("txtFragRangeTo", "udFragRangeTo", 3);
    Type("txtFragRangeFrom", "2");
    ExpectPieceNumber("txtFragRangeTo", "udFragRangeTo", 3);
    // Fewer pieces bring the numbers down to the last piece there is.
    Type("txtFragRangeTo", "3");
    Click("cmdSplitWizBack");
    Type("txtCustomSize", "200");
    Click("cmdSplitWizNext");
    ASSERT_EQ(Stage(), 6);
    ExpectPieceNumber("txtFragRangeFrom", "udFragRangeFrom", 2);
    ExpectPieceNumber("txtFragRangeTo", "udFragRangeTo", 2);
    Click("cmdSplitWizNext");
    EXPECT_EQ(Written(), (std::vector<std::string>{"data.002"}));
}

// Each piece number is typed into a box that lies in the edit field of its spin box: one
// frame around the number and its arrows, one height; Tab reaches the box, and the arrow keys
// in it step the number.
TEST_F(SplitTypedValuesTest, APieceNumberAndItsArrowsAreOneControl) {
    MakeFile(source.File("data.bin"), 300'000);
    Open();
    ToOptions("data.bin");
    ToRange(100);
    Click("optMakeRangeFragments");
    testing::SaveAndCheck(*window, "split-stage-6-range");
    for (auto [box, spinner] : {std::pair{"txtSingleFragToCreate", "udSingleFragToCreate"},
                                {"txtFragRangeFrom", "udFragRangeFrom"},
                                {"txtFragRangeTo", "udFragRangeTo"}}) {
        SCOPED_TRACE(box);
        auto* text = Child<QLineEdit>(box);
        auto* arrows = Child<QSpinBox>(spinner);
        ASSERT_TRUE(arrows->isAncestorOf(text));
        QStyleOptionSpinBox opt;
        opt.initFrom(arrows);
        opt.subControls = QStyle::SC_All;
        opt.frame = arrows->hasFrame();
        auto part = [&](QStyle::SubControl sc) {
            return arrows->style()->subControlRect(QStyle::CC_SpinBox, &opt, sc, arrows);
        };
        EXPECT_EQ(text->geometry(), part(QStyle::SC_SpinBoxEditField));
        EXPECT_GE(part(QStyle::SC_SpinBoxUp).left(), text->geometry().right());
        EXPECT_EQ(arrows->focusProxy(), text);
    }
    Click("optMakeSingleFragment");
    auto* single = Child<QLineEdit>("txtSingleFragToCreate");
    single->setFocus();
    QTest::keyClick(single, Qt::Key_Up);
    ExpectPieceNumber("txtSingleFragToCreate", "udSingleFragToCreate", 2);
    Type("txtSingleFragToCreate", "3");
    QTest::keyClick(single, Qt::Key_Down);
    ExpectPieceNumber("txtSingleFragToCreate", "udSingleFragToCreate", 2);
}

}  // namespace
}  // namespace kb
