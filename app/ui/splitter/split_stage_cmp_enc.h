#pragma once
// The splitter wizard's third stage: the piece format, compression and password protection.

#include <QFrame>

#include "app/ui/splitter/split_wizard_settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace kb {

class SplitStageCmpEnc : public QFrame {
    Q_OBJECT

public:
    explicit SplitStageCmpEnc(QWidget* parent);
    void Load(const SplitCmpEncSettings& s);
    void Store(SplitCmpEncSettings& s) const;

    QRadioButton* optFileFormatting_[2] = {nullptr, nullptr};
    QCheckBox* chkUseCompression_ = nullptr;
    QCheckBox* chkUseEnc_ = nullptr;
    QComboBox* cmbEncryptionType_ = nullptr;
    QLineEdit* txtPassword_ = nullptr;
    QLabel* lblCompressionInfo_ = nullptr;
};

}  // namespace kb
