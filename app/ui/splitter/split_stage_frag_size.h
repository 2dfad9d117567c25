#pragma once
// The splitter wizard's fifth stage: how large the pieces are, the first piece, and how the
// pieces are named.

#include <QFrame>

#include "app/ui/splitter/split_wizard_settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace kb {

class SplitStageFragSize : public QFrame {
    Q_OBJECT

public:
    explicit SplitStageFragSize(QWidget* parent);
    void Load(const SplitFragSizeSettings& s);
    void Store(SplitFragSizeSettings& s) const;

    QRadioButton* optPresetSize_ = nullptr;
    QComboBox* cmbPreset_ = nullptr;
    QRadioButton* optCustomSize_ = nullptr;
    QLineEdit* txtCustomSize_ = nullptr;
    QComboBox* cmbCustSizeUnits_ = nullptr;
    QRadioButton* optFillDisk_ = nullptr;
    QCheckBox* chkFormatWhenFillingDisk_ = nullptr;
    QRadioButton* optCustomNumPieces_ = nullptr;
    QLineEdit* txtCustomNumPieces_ = nullptr;
    QCheckBox* chkFirstOverride_ = nullptr;
    QLineEdit* txtFirstFragSize_ = nullptr;
    QComboBox* cmbFirstFragSizeUnits_ = nullptr;
    QLineEdit* txtFragNamingTemplate_ = nullptr;
    QLineEdit* txtFragNamingTemplateExample_ = nullptr;
    QLabel* lblFragNamingHelp_ = nullptr;

private:
    QWidget* BuildSizes();
    QWidget* BuildNaming();

    QRadioButton* noMode_ = nullptr;  // checked when no size option is chosen
};

}  // namespace kb
