#include "app/ui/splitter/split_stage_frag_size.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/ui/common/widgets.h"
#include "app/ui/splitter/size_units.h"

namespace kb {

namespace {

void SetText(QLineEdit* e, const std::string& text) {
    const QString t = QString::fromStdString(text);
    if (e->text() != t) e->setText(t);
}

void SetItems(QComboBox* c, const std::vector<std::string>& items, int index) {
    QSignalBlocker block(c);
    bool same = c->count() == static_cast<int>(items.size());
    for (int i = 0; same && i < c->count(); ++i) same = c->itemText(i).toStdString() == items[i];
    if (!same) {
        c->clear();
        for (const std::string& s : items) c->addItem(QString::fromStdString(s));
    }
    c->setCurrentIndex(index);
}

}  // namespace

SplitStageFragSize::SplitStageFragSize(QWidget* parent) : QFrame(parent) {
    setObjectName("fSplitStageFragSize");
    setFrameShape(QFrame::NoFrame);
    auto* all = new QVBoxLayout(this);
    all->setContentsMargins(Twips(120), Twips(60), Twips(60), 0);
    all->addWidget(BuildSizes());
    all->addWidget(BuildNaming());
    all->addStretch(1);
}

QWidget* SplitStageFragSize::BuildSizes() {
    auto* sizes = Named<QGroupBox>(this, "fFragSizeOptions", "Piece size");
    optPresetSize_ = Named<QRadioButton>(sizes, "optPresetSize", "Preset:");
    cmbPreset_ = Named<QComboBox>(sizes, "cmbPreset");
    cmbPreset_->setAccessibleName("Preset size");
    optCustomSize_ = Named<QRadioButton>(sizes, "optCustomSize", "Custom:");
    txtCustomSize_ = Named<QLineEdit>(sizes, "txtCustomSize", "100");
    txtCustomSize_->setAccessibleName("Custom size");
    cmbCustSizeUnits_ = Named<QComboBox>(sizes, "cmbCustSizeUnits");
    cmbCustSizeUnits_->setAccessibleName("Custom size unit");
    for (const SizeUnitEntry& u : kSizeUnits) cmbCustSizeUnits_->addItem(u.caption);
    cmbCustSizeUnits_->setCurrentIndex(-1);
    optFillDisk_ = Named<QRadioButton>(sizes, "optFillDisk", "Fill Disk");
    chkFormatWhenFillingDisk_ =
        Named<QCheckBox>(sizes, "chkFormatWhenFillingDisk", "remove existing contents");
    optCustomNumPieces_ = Named<QRadioButton>(sizes, "optCustomNumPieces", "Split into:");
    txtCustomNumPieces_ = Named<QLineEdit>(sizes, "txtCustomNumPieces");
    txtCustomNumPieces_->setAccessibleName("Number of pieces");
    auto* pieces = Named<QLabel>(sizes, "lblCustomNumPiecesUnit", "pieces");
    noMode_ = new QRadioButton(sizes);
    noMode_->hide();
    auto* group = new QButtonGroup(this);
    for (QRadioButton* b : {optPresetSize_, optCustomSize_, optFillDisk_, optCustomNumPieces_, noMode_})
        group->addButton(b);
    chkFirstOverride_ = Named<QCheckBox>(sizes, "chkFirstOverride",
                                         "Use a different size for the first fragment:");
    txtFirstFragSize_ = Named<QLineEdit>(sizes, "txtFirstFragSize", "100");
    txtFirstFragSize_->setAccessibleName("First piece amount");
    cmbFirstFragSizeUnits_ = Named<QComboBox>(sizes, "cmbFirstFragSizeUnits");
    cmbFirstFragSizeUnits_->setAccessibleName("First piece unit");
    for (QLineEdit* e : {txtCustomSize_, txtCustomNumPieces_, txtFirstFragSize_})
        e->setMaximumWidth(Twips(1300));
    auto* grid = new QGridLayout(sizes);
    grid->addWidget(optPresetSize_, 0, 0);
    grid->addWidget(cmbPreset_, 0, 1, 1, 2);
    grid->addWidget(optCustomSize_, 1, 0);
    grid->addWidget(txtCustomSize_, 1, 1);
    grid->addWidget(cmbCustSizeUnits_, 1, 2);
    grid->addWidget(optFillDisk_, 2, 0);
    grid->addWidget(chkFormatWhenFillingDisk_, 2, 1, 1, 2);
    grid->addWidget(optCustomNumPieces_, 3, 0);
    grid->addWidget(txtCustomNumPieces_, 3, 1);
    grid->addWidget(pieces, 3, 2);
    grid->addWidget(chkFirstOverride_, 4, 0, 1, 4);
    grid->addWidget(txtFirstFragSize_, 5, 1);
    grid->addWidget(cmbFirstFragSizeUnits_, 5, 2);
    grid->setColumnStretch(3, 1);
    return sizes;
}

QWidget* SplitStageFragSize::BuildNaming() {
    auto* naming = Named<QGroupBox>(this, "fFragNaming", "Piece names");
    auto* tmplLabel = Named<QLabel>(naming, "lblFragNamingTemplate", "Template:");
    txtFragNamingTemplate_ = Named<QLineEdit>(naming, "txtFragNamingTemplate");
    txtFragNamingTemplate_->setAccessibleName("Piece name template");
    tmplLabel->setBuddy(txtFragNamingTemplate_);
    auto* exampleLabel = Named<QLabel>(naming, "lblFragNamingExample", "Piece 5:");
    txtFragNamingTemplateExample_ = Named<QLineEdit>(naming, "txtFragNamingTemplateExample");
    txtFragNamingTemplateExample_->setReadOnly(true);
    txtFragNamingTemplateExample_->setAccessibleName("Name of piece 5");
    lblFragNamingHelp_ = Named<QLabel>(naming, "lblFragNamingHelp");
    lblFragNamingHelp_->setWordWrap(true);
    lblFragNamingHelp_->setStyleSheet("color: #5a6b7d;");
    auto* namingGrid = new QGridLayout(naming);
    namingGrid->addWidget(tmplLabel, 0, 0);
    namingGrid->addWidget(txtFragNamingTemplate_, 0, 1);
    namingGrid->addWidget(exampleLabel, 1, 0);
    namingGrid->addWidget(txtFragNamingTemplateExample_, 1, 1);
    namingGrid->addWidget(lblFragNamingHelp_, 0, 2, 3, 1);
    namingGrid->setColumnStretch(1, 1);
    namingGrid->setColumnStretch(2, 1);
    return naming;
}

void SplitStageFragSize::Load(const SplitFragSizeSettings& s) {
    QRadioButton* modes[] = {noMode_, optPresetSize_, optCustomSize_, optFillDisk_, optCustomNumPieces_};
    modes[static_cast<int>(s.mode)]->setChecked(true);
    {
        QSignalBlocker block(cmbPreset_);
        cmbPreset_->setCurrentIndex(s.preset);
    }
    SetText(txtCustomSize_, s.customSize);
    {
        QSignalBlocker block(cmbCustSizeUnits_);
        cmbCustSizeUnits_->setCurrentIndex(s.customUnit);
    }
    optFillDisk_->setEnabled(s.fillDiskEnabled);
    chkFormatWhenFillingDisk_->setChecked(s.formatWhenFillingDisk);
    chkFormatWhenFillingDisk_->setEnabled(s.formatWhenFillingDiskEnabled);
    optCustomNumPieces_->setEnabled(s.numPiecesEnabled);
    SetText(txtCustomNumPieces_, s.numPieces);
    chkFirstOverride_->setChecked(s.firstOverride);
    chkFirstOverride_->setEnabled(s.firstOverrideEnabled);
    chkFirstOverride_->setText(QString::fromStdString(s.firstOverrideCaption));
    SetText(txtFirstFragSize_, s.firstSize);
    SetItems(cmbFirstFragSizeUnits_, s.firstUnits, s.firstUnit);
    SetText(txtFragNamingTemplate_, s.namingTemplate);
    SetText(txtFragNamingTemplateExample_, s.templateExample);
    cmbPreset_->setEnabled(s.presetEnabled);
    txtCustomSize_->setEnabled(s.customSizeEnabled);
    cmbCustSizeUnits_->setEnabled(s.customSizeEnabled);
    txtCustomNumPieces_->setEnabled(s.numPiecesTextEnabled);
    txtFirstFragSize_->setEnabled(s.firstSizeEnabled);
    cmbFirstFragSizeUnits_->setEnabled(s.firstSizeEnabled);
}

void SplitStageFragSize::Store(SplitFragSizeSettings& s) const {
    s.mode = optPresetSize_->isChecked()        ? SizeMode::Preset
             : optCustomSize_->isChecked()      ? SizeMode::Custom
             : optFillDisk_->isChecked()        ? SizeMode::FillDisk
             : optCustomNumPieces_->isChecked() ? SizeMode::NumPieces
                                                : SizeMode::None;
    s.preset = cmbPreset_->currentIndex();
    s.customSize = txtCustomSize_->text().toStdString();
    s.customUnit = cmbCustSizeUnits_->currentIndex();
    s.formatWhenFillingDisk = chkFormatWhenFillingDisk_->isChecked();
    s.numPieces = txtCustomNumPieces_->text().toStdString();
    s.firstOverride = chkFirstOverride_->isChecked();
    s.firstSize = txtFirstFragSize_->text().toStdString();
    s.firstUnit = cmbFirstFragSizeUnits_->currentIndex();
    s.namingTemplate = txtFragNamingTemplate_->text().toStdString();
}

}  // namespace kb
