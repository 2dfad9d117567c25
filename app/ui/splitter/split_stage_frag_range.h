#pragma once
// The splitter wizard's sixth stage: which pieces are made, and the extra files of generator
// plug-ins.

#include <QFrame>

#include "app/ui/splitter/split_wizard_settings.h"

class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTreeWidget;

namespace kb {

class SplitStageFragRange : public QFrame {
    Q_OBJECT

public:
    explicit SplitStageFragRange(QWidget* parent);
    void Load(const SplitFragRangeSettings& s, const std::string& caption);
    void Store(SplitFragRangeSettings& s) const;

    QLabel* lblFragRangeIntro_ = nullptr;
    QRadioButton* optMakeAllFrags_ = nullptr;
    QRadioButton* optMakeSingleFragment_ = nullptr;
    QLineEdit* txtSingleFragToCreate_ = nullptr;
    QSpinBox* udSingleFragToCreate_ = nullptr;
    QRadioButton* optMakeRangeFragments_ = nullptr;
    QLineEdit* txtFragRangeFrom_ = nullptr;
    QSpinBox* udFragRangeFrom_ = nullptr;
    QLineEdit* txtFragRangeTo_ = nullptr;
    QSpinBox* udFragRangeTo_ = nullptr;
    QRadioButton* optExtraFilesOn_ = nullptr;
    QRadioButton* optExtraFilesNothing_ = nullptr;
    QTreeWidget* lvExtraFilesList_ = nullptr;

private:
    void LoadExtraFiles(const std::vector<ExtraFileRow>& rows);
};

}  // namespace kb
