// The folder-size scans of the multi-file stage: one highlighted folder, or every folder of the
// selection, counted file by file under the small progress window.
#include <QCursor>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include <memory>

#include "app/core/prompter.h"
#include "app/core/text.h"
#include "app/ui/common/blocking_call.h"
#include "app/ui/dialogs/frm_prework.h"
#include "app/ui/splitter/split_stage_source_multi.h"

namespace kb {

namespace {

constexpr char kWarningTitle[] = "Problem opening certain files";
constexpr char kWarningTail[] =
    " could not be added - they may be in use by another process or you might not have "
    "permission to access them. Folders containing these files are not currently supported and "
    "if you continue you will probably encounter problems later.";

// A close of the main window waits: the scan runs inside one of its handlers.
class CloseBlocker : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Close) return false;
        event->ignore();
        return true;
    }
};

// What a scan changes on the screen, put back on every way out: the main window disabled with
// the busy pointer and deaf to closing, and the progress window shown over it.
class ScanSession {
public:
    ScanSession(QWidget* mainWindow, const char* subCaption) : main_(mainWindow) {
        main_->setEnabled(false);
        main_->setCursor(Qt::WaitCursor);
        main_->installEventFilter(&blocker_);
        prework_ = std::make_unique<frmPrework>(main_);
        prework_->lblCapt_->setText("Finding sizes....");
        prework_->PB_->setValue(0);
        prework_->lblSubCapt_->setText(subCaption);
        prework_->lblSubCapt_->show();
        prework_->show();
        DoEvents();
    }
    ~ScanSession() {
        prework_.reset();
        main_->removeEventFilter(&blocker_);
        main_->unsetCursor();
        main_->setEnabled(true);
        main_->raise();
        main_->activateWindow();
    }
    ScanSession(const ScanSession&) = delete;
    ScanSession& operator=(const ScanSession&) = delete;

    frmPrework& Prework() { return *prework_; }

private:
    QWidget* main_;
    CloseBlocker blocker_;
    std::unique_ptr<frmPrework> prework_;
};

// Every file of a folder tree. Listing a large tree takes a while, so it runs beside the window,
// which keeps drawing itself.
FileList ListFolderFiles(const std::string& folder) {
    FileList list;
    RunBlockingCall([&](const BlockingCallProgress&) { list.AddFolderContents(folder, "*.*"); },
                    nullptr);
    return list;
}

void WarnUnaddable(int32_t count, const std::string& where) {
    if (count > 0)
        MsgBox(std::to_string(count) + " files within " + where + kWarningTail,
               mb::OKOnly | mb::Exclamation, kWarningTitle);
}

struct Tally {
    int64_t files = 0;
    int64_t bytes = 0;
};

// Adds up the list's files; a file gone since it was listed counts for nothing. After each file
// `step(done)` updates the window; false when Cancel stopped the walk.
template <class Step>
bool Walk(const FileList& list, frmPrework& w, Tally& tally, Step step) {
    int64_t done = 0;
    for (const std::string& path : list) {
        if (auto length = SplitSelection::LengthOf(path)) {
            tally.bytes += *length;
            ++tally.files;
        }
        step(++done);
        DoEvents();
        if (w.CancelPressed()) return false;
    }
    return true;
}

}  // namespace

void SplitStageSourceMulti::cmdfSplitPanelFileItemDetailsCalcFolderSize_Click() {
    QTreeWidgetItem* row = SplitList_->currentItem();
    if (row == nullptr || !SplitSelection::IsFolderKey(KeyOf(row))) return;
    const std::string key = KeyOf(row);
    ScanSession session(window(), "Counting files....");
    frmPrework& w = session.Prework();
    const FileList files = ListFolderFiles(row->text(0).toStdString());
    WarnUnaddable(files.FilesUnaddable(), "the highlighted folder");
    if (files.count() > 0) w.PB_->setMaximum(files.count());
    w.SetShowCancel(true);
    Tally tally;
    const bool complete = Walk(files, w, tally, [&](int64_t done) {
        if (done % 60 == 0) w.lblSubCapt_->setText(QString::fromStdString("Found " + FormatByteSize(tally.bytes)));
        w.PB_->setValue(static_cast<int>(done));
    });
    if (complete) {
        selection_.StoreFolderMeasure(key, tally.files, tally.bytes);
        SplitList_ItemClick(row);
    }
}

void SplitStageSourceMulti::cmdfSplitPanelFileListSummaryCalcFolderSizes_Click() {
    ScanSession session(window(), "Scanning, please wait....");
    frmPrework& w = session.Prework();
    w.PB_->setMaximum(100);
    Tally running;
    int64_t foldersDone = 0;
    const auto& keys = selection_.SplitFolders.Keys();
    const auto folderCount = static_cast<double>(keys.size());
    bool cancelled = false;
    for (size_t i = 0; i < keys.size() && !cancelled; ++i) {
        DoEvents();
        const std::string key = keys[i];
        if (selection_.FolderSizes.Has(key)) {
            running.files += selection_.FolderFileCounts.Item(key);
            running.bytes += selection_.FolderSizes.Item(key);
            ++foldersDone;
            continue;
        }
        const std::string folder = selection_.SplitFolders.Items()[i];
        const FileList files = ListFolderFiles(folder);
        WarnUnaddable(files.FilesUnaddable(), "the folder '" + folder + "'");
        w.SetShowCancel(true);
        Tally own;
        const double inFolder = files.count();
        cancelled = !Walk(files, w, own, [&](int64_t done) {
            if (done % 75 == 0)
                w.lblSubCapt_->setText(
                    QString::fromStdString("Found " + FormatByteSize(running.bytes + own.bytes)));
            w.PB_->setValue(static_cast<int>((done / inFolder + foldersDone) / folderCount * 100));
        });
        if (cancelled) break;
        running.files += own.files;
        running.bytes += own.bytes;
        ++foldersDone;
        w.lblSubCapt_->setText(QString::fromStdString(
            "Found " + FormatByteSize(running.bytes) + " - Scanning next folder..."));
        w.cmdCancel_->setEnabled(false);
        selection_.StoreFolderMeasure(key, own.files, own.bytes);
    }
    if (!cancelled) {
        selection_.FolderBytesTotal = running.bytes;
        selection_.FolderFilesTotal = running.files;
        selection_.FolderSizesStale = false;
        UpdateSelectionSummary();
    }
    SplitList_ItemClick(SplitList_->currentItem());
}

}  // namespace kb
