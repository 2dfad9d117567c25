#pragma once
// The splitter wizard's first stage: what is to be split, one file or a selection.

#include <QFrame>

#include "app/ui/splitter/split_wizard_settings.h"

class QRadioButton;

namespace kb {

class SplitStageIntro : public QFrame {
    Q_OBJECT

public:
    explicit SplitStageIntro(QWidget* parent);
    void Load(const SplitIntroSettings& s);
    void Store(SplitIntroSettings& s) const;

    QRadioButton* optSplitSingleFile_ = nullptr;
    QRadioButton* optSplitMultiFile_ = nullptr;
};

}  // namespace kb
