// Renders the assembler wizard's pages, its finished state and the wizards' small windows into
// the screenshots folder, with a real set chosen.
#include <QLabel>
#include <QLineEdit>

#include "app/core/testing/faulty_io.h"
#include "app/ui/common/uc_progress_panel.h"
#include "app/ui/dialogs/frm_disk_dialog.h"
#include "app/ui/dialogs/frm_pw_conf.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/tests/assembler_fixture.h"
#include "app/ui/tests/render_check.h"

namespace kb {
namespace {

using testing::SaveAndCheck;

using testing::AssemblerTest;

class RenderAssemblerTest : public AssemblerTest {};

TEST_F(RenderAssemblerTest, AssemblerPagesAndSmallWindows) {
    const std::string first =
        SplitInto(work.Write("Holiday video.mkv", testing::RandomBytes(70000, 4)),
                  "Holiday video.mkv", "pieces");
    testing::ScriptedPrompter p;
    frmMain main(&host);
    main.resize(790, 560);
    main.SelectTab("Assembler");
    ucAssembler& w = *main.fAssPanel();
    w.SetSrcToAssemble(first);
    SaveAndCheck(main, "assembler-1-source");
    w.cmdNext()->click();
    w.SetDestPath(work.Path());
    SaveAndCheck(main, "assembler-2-destination");

    // The run's page as it looks part way.
    w.fSelectDest()->hide();
    ucProgressPanel* panel = w.fProgpan();
    panel->SetCaption("Assembling....");
    panel->SetPB1Caption("Total progress:");
    panel->SetPB2Caption("Current piece:");
    panel->SetBottomText(
        "Clicking cancel will allow you to save the current progress and continue later.");
    panel->SetPB1Percent(42);
    panel->SetPB2Percent(70);
    panel->show();
    for (QPushButton* b : {w.cmdNext(), w.cmdBack(), w.cmdReset()}) b->setEnabled(false);
    SaveAndCheck(main, "assembler-3-joining");
    panel->hide();

    // The last page after real joins: a whole one, and one with a damaged piece.
    auto joinInto = [&](const char* folder) {
        w.cmdReset()->setEnabled(true);
        w.cmdReset()->click();
        w.SetSrcToAssemble(first);
        w.cmdNext()->click();
        std::filesystem::create_directories(work.File(folder));
        w.SetDestPath(work.File(folder));
        w.cmdNext()->click();
    };
    joinInto("whole");
    SaveAndCheck(main, "assembler-4-finished");
    const std::string second = first.substr(0, first.size() - 1) + "2";
    std::string damaged = testing::ReadAll(second);
    damaged.back() ^= 1;
    work.Write(std::filesystem::relative(second, work.Path()).string(), damaged);
    p.Answer(Answer::OK);
    joinInto("damaged");
    SaveAndCheck(main, "assembler-4-not-whole");
    // The longest account: bytes of a piece that could not be read, which then fails its check.
    {
        testing::FaultyIo unreadable(testing::FaultyIo::Kind::Read, second, 100, 200);
        p.Answer(Answer::OK).Answer(Answer::OK);
        joinInto("unread");
    }
    SaveAndCheck(main, "assembler-4-unread");
    main.hide();

    frmPWconf& pw = frmPWconf::Instance(&main);
    pw.Label1()->setText("These file(s) are encrypted. Please supply the decryption passphrase.");
    pw.PWbox()->setText("secret");
    SaveAndCheck(pw, "dialog-password");
    pw.hide();
    frmDiskDialog disk(&main);
    disk.lblDiskDialog()->setText("Please insert disk 2 and click OK.");
    SaveAndCheck(disk, "dialog-disk-request");
    disk.hide();
}

}  // namespace
}  // namespace kb
