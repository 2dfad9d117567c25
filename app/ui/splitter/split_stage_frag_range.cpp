#include "app/ui/splitter/split_stage_frag_range.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/ui/common/widgets.h"

namespace kb {

namespace {

// A piece number's box and its arrows are one control: the box the number is typed into lies
// in the spin box's own edit field, so that a typed text is checked as in every other box of
// the wizard, while the arrows, the arrow keys and the wheel step the number.
class PieceNumberBox : public QSpinBox {
public:
    PieceNumberBox(QWidget* parent, const char* name, const char* box, const char* accessible)
        : QSpinBox(parent), box_(Named<QLineEdit>(this, box, "1")) {
        setObjectName(name);
        setAccessibleName(accessible);
        box_->setAccessibleName(accessible);
        box_->setFrame(lineEdit()->hasFrame());
        lineEdit()->hide();
        setFocusProxy(box_);
        setRange(1, 1);
        setFixedWidth(Twips(1200));
    }
    QLineEdit* Box() const { return box_; }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QSpinBox::resizeEvent(event);
        box_->setGeometry(lineEdit()->geometry());
    }
    // Only the keys that step reach the spin box from the box; Enter belongs to the box's check.
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: QSpinBox::keyPressEvent(event); return;
        default: event->ignore();
        }
    }

private:
    QLineEdit* box_;
};

void LoadSpinner(QLineEdit* text, QSpinBox* ud, const PieceSpinner& s, bool enabled) {
    if (text->text().toStdString() != s.text) text->setText(QString::fromStdString(s.text));
    QSignalBlocker block(ud);
    ud->setRange(s.lower, std::max(s.lower, s.upper));
    ud->setValue(s.value);
    text->setEnabled(enabled);
    ud->setEnabled(enabled);
}

void StoreSpinner(const QLineEdit* text, const QSpinBox* ud, PieceSpinner& s) {
    s.text = text->text().toStdString();
    s.value = ud->value();
}

}  // namespace

SplitStageFragRange::SplitStageFragRange(QWidget* parent) : QFrame(parent) {
    setObjectName("fSplitStageFragRange");
    setFrameShape(QFrame::NoFrame);
    QFrame* settings = Frame(this, "fSplitStageExtraOptsFragSettings");
    lblFragRangeIntro_ = Heading(settings, "lblFragRangeIntro", "", 1.0);
    optMakeAllFrags_ = Named<QRadioButton>(settings, "optMakeAllFrags", "Generate all fragments");
    optMakeSingleFragment_ =
        Named<QRadioButton>(settings, "optMakeSingleFragment", "Generate only one fragment:");
    optMakeRangeFragments_ = Named<QRadioButton>(settings, "optMakeRangeFragments", "Generate range:");
    optMakeAllFrags_->setChecked(true);
    auto* single = new PieceNumberBox(settings, "udSingleFragToCreate", "txtSingleFragToCreate",
                                    "Piece to make");
    auto* from = new PieceNumberBox(settings, "udFragRangeFrom", "txtFragRangeFrom",
                                  "First piece to make");
    auto* to = new PieceNumberBox(settings, "udFragRangeTo", "txtFragRangeTo", "Last piece to make");
    udSingleFragToCreate_ = single;
    txtSingleFragToCreate_ = single->Box();
    udFragRangeFrom_ = from;
    txtFragRangeFrom_ = from->Box();
    udFragRangeTo_ = to;
    txtFragRangeTo_ = to->Box();
    auto* toLabel = Named<QLabel>(settings, "lblFragRangeTo", "to");
    auto* grid = new QGridLayout(settings);
    grid->addWidget(lblFragRangeIntro_, 0, 0, 1, 5);
    grid->addWidget(optMakeAllFrags_, 1, 0, 1, 5);
    grid->addWidget(optMakeSingleFragment_, 2, 0);
    grid->addWidget(single, 2, 1);
    grid->addWidget(optMakeRangeFragments_, 3, 0);
    grid->addWidget(from, 3, 1);
    grid->addWidget(toLabel, 3, 2);
    grid->addWidget(to, 3, 3);
    grid->setColumnStretch(4, 1);

    QFrame* extra = Frame(this, "fSplitStageExtraOptsAutoAss");
    auto* extraTitle = Heading(extra, "lblExtraFiles", "Extra Files", 1.0);
    optExtraFilesOn_ = Named<QRadioButton>(
        extra, "optExtraFilesOn", "Generate scripts or other additional files using plug-ins");
    optExtraFilesNothing_ = Named<QRadioButton>(extra, "optExtraFilesNothing", "Disabled");
    optExtraFilesNothing_->setChecked(true);
    lvExtraFilesList_ = Named<QTreeWidget>(extra, "lvExtraFilesList");
    lvExtraFilesList_->setAccessibleName("Extra file generators");
    lvExtraFilesList_->setHeaderHidden(true);
    lvExtraFilesList_->setRootIsDecorated(false);
    auto* extraBox = new QVBoxLayout(extra);
    extraBox->addWidget(extraTitle);
    extraBox->addWidget(optExtraFilesOn_);
    extraBox->addWidget(optExtraFilesNothing_);
    extraBox->addWidget(lvExtraFilesList_);
    extraBox->setContentsMargins(Twips(120), 0, 0, 0);

    // The extra-files options are a pair of their own beside the piece choice.
    auto* pieces = new QButtonGroup(this);
    for (QRadioButton* b : {optMakeAllFrags_, optMakeSingleFragment_, optMakeRangeFragments_})
        pieces->addButton(b);

    auto* all = new QVBoxLayout(this);
    all->setContentsMargins(Twips(120), Twips(60), Twips(60), 0);
    all->addWidget(settings);
    all->addSpacing(Twips(120));
    all->addWidget(extra);
    all->addStretch(1);
}

void SplitStageFragRange::Load(const SplitFragRangeSettings& s, const std::string& caption) {
    lblFragRangeIntro_->setText(QString::fromStdString(caption));
    QRadioButton* modes[] = {optMakeAllFrags_, optMakeSingleFragment_, optMakeRangeFragments_};
    modes[static_cast<int>(s.mode)]->setChecked(true);
    LoadSpinner(txtSingleFragToCreate_, udSingleFragToCreate_, s.single, s.singleEnabled);
    LoadSpinner(txtFragRangeFrom_, udFragRangeFrom_, s.from, s.rangeEnabled);
    LoadSpinner(txtFragRangeTo_, udFragRangeTo_, s.to, s.rangeEnabled);
    (s.extraFilesOn ? optExtraFilesOn_ : optExtraFilesNothing_)->setChecked(true);
    LoadExtraFiles(s.extraFiles);
    lvExtraFilesList_->setEnabled(s.extraFilesListEnabled);
    lvExtraFilesList_->setVisible(s.extraFilesListEnabled);
}

void SplitStageFragRange::Store(SplitFragRangeSettings& s) const {
    s.mode = optMakeSingleFragment_->isChecked()   ? RangeMode::Single
             : optMakeRangeFragments_->isChecked() ? RangeMode::Range
                                                   : RangeMode::All;
    StoreSpinner(txtSingleFragToCreate_, udSingleFragToCreate_, s.single);
    StoreSpinner(txtFragRangeFrom_, udFragRangeFrom_, s.from);
    StoreSpinner(txtFragRangeTo_, udFragRangeTo_, s.to);
    s.extraFilesOn = optExtraFilesOn_->isChecked();
    for (int i = 0; i < lvExtraFilesList_->topLevelItemCount() && i < static_cast<int>(s.extraFiles.size()); ++i)
        s.extraFiles[i].ticked = lvExtraFilesList_->topLevelItem(i)->checkState(0) == Qt::Checked;
}

// The rows are made anew only when the generators offered change, so a tick survives loads.
void SplitStageFragRange::LoadExtraFiles(const std::vector<ExtraFileRow>& rows) {
    QSignalBlocker block(lvExtraFilesList_);
    bool same = lvExtraFilesList_->topLevelItemCount() == static_cast<int>(rows.size());
    for (int i = 0; same && i < static_cast<int>(rows.size()); ++i)
        same = lvExtraFilesList_->topLevelItem(i)->data(0, Qt::UserRole).toString().toStdString() == rows[i].key;
    if (!same) {
        lvExtraFilesList_->clear();
        for (const ExtraFileRow& r : rows) {
            auto* item = new QTreeWidgetItem(lvExtraFilesList_, {QString::fromStdString(r.text)});
            item->setData(0, Qt::UserRole, QString::fromStdString(r.key));
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        }
    }
    for (int i = 0; i < static_cast<int>(rows.size()); ++i)
        lvExtraFilesList_->topLevelItem(i)->setCheckState(0, rows[i].ticked ? Qt::Checked : Qt::Unchecked);
}

}  // namespace kb
