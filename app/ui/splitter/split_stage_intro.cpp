#include "app/ui/splitter/split_stage_intro.h"

#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/ui/common/widgets.h"

namespace kb {

SplitStageIntro::SplitStageIntro(QWidget* parent) : QFrame(parent) {
    setObjectName("fSplitStageIntro");
    setFrameShape(QFrame::NoFrame);
    auto* intro = Heading(this, "lblSplitWizWelcome",
                          "Welcome to the SplitterWizard. This wizard will help you cut a file, "
                          "or a selection of files and folders, into pieces.",
                          1.1);
    auto* question = Named<QLabel>(this, "lblSplitWizWhat", "What would you like to split?");
    optSplitSingleFile_ = Named<QRadioButton>(this, "optSplitSingleFile",
                                              "Just split a single file (>1GB compatible)");
    optSplitMultiFile_ = Named<QRadioButton>(
        this, "optSplitMultiFile", "Split multiple files or split entire folders (<1GB only)");
    optSplitSingleFile_->setChecked(true);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(Twips(240), Twips(120), Twips(120), 0);
    box->addWidget(intro);
    box->addSpacing(Twips(240));
    box->addWidget(question);
    box->addSpacing(Twips(60));
    box->addWidget(optSplitSingleFile_);
    box->addWidget(optSplitMultiFile_);
    box->addStretch(1);
}

void SplitStageIntro::Load(const SplitIntroSettings& s) {
    (s.multiFile ? optSplitMultiFile_ : optSplitSingleFile_)->setChecked(true);
}

void SplitStageIntro::Store(SplitIntroSettings& s) const { s.multiFile = optSplitMultiFile_->isChecked(); }

}  // namespace kb
