#include "app/ui/options/opt_gen_frame.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "app/ui/common/widgets.h"

namespace kb {

namespace {

// One row of the default folders: label, read-only text box, Browse and Clear.
QLineEdit* FolderRow(QGridLayout* grid, int row, QWidget* parent, const char* label,
                     const char* caption, const char* box, const char* accessible,
                     QPushButton*& set, QPushButton*& clear, const char* setName,
                     const char* clearName) {
    auto* l = Named<QLabel>(parent, label, caption);
    auto* e = Named<QLineEdit>(parent, box);
    e->setReadOnly(true);
    e->setAccessibleName(accessible);
    e->setStyleSheet("QLineEdit { background: palette(button); }");
    l->setBuddy(e);
    set = Named<QPushButton>(parent, setName, "Browse");
    clear = Named<QPushButton>(parent, clearName, "Clear");
    grid->addWidget(l, row, 0);
    grid->addWidget(e, row, 1);
    grid->addWidget(set, row, 2);
    grid->addWidget(clear, row, 3);
    return e;
}

}  // namespace

OptGenFrame::OptGenFrame(QWidget* parent) : QFrame(parent) {
    setObjectName("fOptGen");
    setFrameShape(QFrame::NoFrame);
    auto* dirs = Named<QGroupBox>(this, "fOptGenDefaultDirs", "Default directories");
    auto* dirGrid = new QGridLayout(dirs);
    txtOptGenDirSource_ = FolderRow(dirGrid, 0, dirs, "lblOptGenDirSource", "Default source:",
                                    "txtOptGenDirSource", "Default source folder",
                                    cmdOptGenDirSourceSet_, cmdOptGenDirSourceClear_,
                                    "cmdOptGenDirSourceSet", "cmdOptGenDirSourceClear");
    txtOptGenDirDest_ = FolderRow(dirGrid, 1, dirs, "lblOptGenDirDest", "Default destination:",
                                  "txtOptGenDirDest", "Default destination folder",
                                  cmdOptGenDirDestSet_, cmdOptGenDirDestClear_,
                                  "cmdOptGenDirDestSet", "cmdOptGenDirDestClear");
    dirGrid->setColumnStretch(1, 1);

    auto* segments = Named<QGroupBox>(this, "fOptGenSegSize", "Segment Buffer Size");
    auto* segLabel = Named<QLabel>(segments, "lblOptGenSegSizeLabel", "Buffer size:");
    sldOptGenSegSize_ = Named<QSlider>(segments, "sldOptGenSegSize", Qt::Horizontal);
    sldOptGenSegSize_->setRange(4, 11);
    sldOptGenSegSize_->setPageStep(2);
    sldOptGenSegSize_->setSingleStep(1);
    sldOptGenSegSize_->setTickPosition(QSlider::TicksBelow);
    sldOptGenSegSize_->setAccessibleName("Segment buffer size");
    lblOptGenSegSizeAmount_ = Named<QLabel>(segments, "lblOptGenSegSizeAmount");
    lblOptGenSegSizeAmount_->setMinimumWidth(Twips(900));
    cmdOptGenSegSizeDescription_ = Named<QPushButton>(segments, "cmdOptGenSegSizeDescription", "Explain");
    auto* segRow = new QHBoxLayout(segments);
    segRow->addWidget(segLabel);
    segRow->addWidget(sldOptGenSegSize_, 1);
    segRow->addWidget(lblOptGenSegSizeAmount_);
    segRow->addWidget(cmdOptGenSegSizeDescription_);

    auto* pluginInfo = Named<QLabel>(this, "lblOptGenPluginInfo",
                                     "To configure script generation, encryption and other "
                                     "features, please configure the relevant plug-in on the "
                                     "plugins tab.");
    pluginInfo->setWordWrap(true);
    cmdOptGenReset_ = Named<QPushButton>(this, "cmdOptGenReset", "Reset to defaults");
    cmdOptGenOK_ = Named<QPushButton>(this, "cmdOptGenOK", "Save");
    cmdOptGenCancel_ = Named<QPushButton>(this, "cmdOptGenCancel", "Revert");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdOptGenReset_);
    buttons->addStretch(1);
    buttons->addWidget(cmdOptGenOK_);
    buttons->addWidget(cmdOptGenCancel_);

    auto* all = new QVBoxLayout(this);
    all->setContentsMargins(Twips(240), Twips(180), Twips(240), Twips(180));
    all->addWidget(dirs);
    all->addWidget(segments);
    all->addStretch(1);
    all->addWidget(pluginInfo);
    all->addLayout(buttons);
    Load(OptGenSettings{});
}

void OptGenFrame::Load(const OptGenSettings& s) {
    txtOptGenDirSource_->setText(QString::fromStdString(s.dirSource));
    txtOptGenDirDest_->setText(QString::fromStdString(s.dirDest));
    sldOptGenSegSize_->setValue(s.segSize);
    lblOptGenSegSizeAmount_->setText(QString::number(1 << s.segSize) + " kb");
}

void OptGenFrame::Store(OptGenSettings& s) const {
    s.dirSource = txtOptGenDirSource_->text().toStdString();
    s.dirDest = txtOptGenDirDest_->text().toStdString();
    s.segSize = sldOptGenSegSize_->value();
}

}  // namespace kb
