#include "app/ui/splitter/split_stage_cmp_enc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/ui/common/ui_text.h"
#include "app/ui/common/widgets.h"

namespace kb {

SplitStageCmpEnc::SplitStageCmpEnc(QWidget* parent) : QFrame(parent) {
    setObjectName("fSplitStageCmpEnc");
    setFrameShape(QFrame::NoFrame);
    auto* heading = Heading(this, "lblSplitCmpEncTitle", "How should the pieces be made?", 1.1);
    auto* format = Named<QGroupBox>(this, "fFileFormatting", "Piece format");
    const char* captions[] = {"Enable special formatting to allow additional features",
                              "Disable formatting to allow assembly by other programs or scripts"};
    auto* formatBox = new QVBoxLayout(format);
    for (int i = 0; i < 2; ++i) {
        optFileFormatting_[i] = Named<QRadioButton>(format, "optFileFormatting", captions[i]);
        optFileFormatting_[i]->setProperty("index", i);
        formatBox->addWidget(optFileFormatting_[i]);
    }
    optFileFormatting_[0]->setChecked(true);

    auto* options = Named<QGroupBox>(this, "fCmpEncOptions", "Compression and protection");
    chkUseCompression_ = Named<QCheckBox>(options, "chkUseCompression", "Enable compression");
    chkUseEnc_ = Named<QCheckBox>(options, "chkUseEnc", "Password-protect");
    cmbEncryptionType_ = Named<QComboBox>(options, "cmbEncryptionType");
    cmbEncryptionType_->setAccessibleName("Encryption type");
    cmbEncryptionType_->setMinimumWidth(Twips(2400));
    auto* pwLabel = Named<QLabel>(options, "lblPassword", "Password:");
    txtPassword_ = Named<QLineEdit>(options, "txtPassword");
    PasswordBox(txtPassword_);
    txtPassword_->setAccessibleName("Password");
    pwLabel->setBuddy(txtPassword_);
    auto* optionsBox = new QGridLayout(options);
    optionsBox->addWidget(chkUseCompression_, 0, 0, 1, 3);
    optionsBox->addWidget(chkUseEnc_, 1, 0);
    optionsBox->addWidget(cmbEncryptionType_, 1, 1, 1, 2);
    optionsBox->addWidget(pwLabel, 2, 0, Qt::AlignRight);
    optionsBox->addWidget(txtPassword_, 2, 1, 1, 2);
    optionsBox->setColumnStretch(2, 1);

    lblCompressionInfo_ = Named<QLabel>(this, "lblCompressionInfo");
    lblCompressionInfo_->setWordWrap(true);
    lblCompressionInfo_->setStyleSheet("color: #5a6b7d;");

    auto* all = new QVBoxLayout(this);
    all->setContentsMargins(Twips(120), Twips(60), Twips(60), 0);
    all->addWidget(heading);
    all->addWidget(format);
    all->addWidget(options);
    all->addStretch(1);
    all->addWidget(lblCompressionInfo_);
}

void SplitStageCmpEnc::Load(const SplitCmpEncSettings& s) {
    optFileFormatting_[s.fileFormatting == 1 ? 1 : 0]->setChecked(true);
    chkUseCompression_->setChecked(s.useCompression);
    chkUseEnc_->setChecked(s.useEnc);
    chkUseEnc_->setEnabled(s.useEncEnabled);
    QSignalBlocker block(cmbEncryptionType_);
    cmbEncryptionType_->clear();
    for (const std::string& t : s.encryptionTypes) cmbEncryptionType_->addItem(QString::fromStdString(t));
    cmbEncryptionType_->setCurrentIndex(s.encryptionIndex);
    cmbEncryptionType_->setEnabled(s.encryptionEnabled);
    if (txtPassword_->text().toStdString() != s.password)
        txtPassword_->setText(QString::fromStdString(s.password));
    txtPassword_->setEnabled(s.passwordEnabled);
}

void SplitStageCmpEnc::Store(SplitCmpEncSettings& s) const {
    s.fileFormatting = optFileFormatting_[1]->isChecked() ? 1 : 0;
    s.useCompression = chkUseCompression_->isChecked();
    s.useEnc = chkUseEnc_->isChecked();
    s.encryptionIndex = cmbEncryptionType_->currentIndex();
    s.password = txtPassword_->text().toStdString();
}

}  // namespace kb
