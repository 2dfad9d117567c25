#include "app/ui/dialogs/frm_pw_conf.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/common/widgets.h"

namespace kb {

frmPWconf& frmPWconf::Instance(QWidget* owner) {
    static QPointer<frmPWconf> one;
    if (one.isNull()) one = new frmPWconf(owner);
    return *one;
}

frmPWconf::frmPWconf(QWidget* owner) : QDialog(owner) {
    setObjectName("frmPWconf");
    setWindowTitle("Password Confirmation");
    setModal(true);
    Label1_ = Named<QLabel>(this, "Label1",
                            "Before splitting takes place, please retype your password to confirm "
                            "that you have entered it correctly...");
    Label1_->setWordWrap(true);
    PWbox_ = Named<QLineEdit>(this, "PWbox");
    PasswordBox(PWbox_);
    PWbox_->setAccessibleName("Password");
    Command1_ = Named<QPushButton>(this, "Command1", "OK");
    Command1_->setDefault(true);
    Command1_->setMinimumWidth(Twips(1100));
    connect(Command1_, &QPushButton::clicked, this, &frmPWconf::Command1_Click);
    // Enter in the box acts as OK and goes no further.
    connect(PWbox_, &QLineEdit::returnPressed, this, &frmPWconf::Command1_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1_);
    auto* all = new QVBoxLayout(this);
    all->setContentsMargins(Twips(240), Twips(240), Twips(240), Twips(180));
    all->addWidget(Label1_);
    all->addSpacing(Twips(120));
    all->addWidget(PWbox_);
    all->addSpacing(Twips(120));
    all->addLayout(buttons);
    setFixedWidth(Twips(5400));
}

std::string frmPWconf::Confirm(const std::string& prompt) {
    Label1_->setText(QString::fromStdString(prompt));
    PWbox_->clear();
    exec();
    return PWbox_->text().toStdString();
}

void frmPWconf::Command1_Click() { hide(); }

void frmPWconf::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Form_Activate();
}

void frmPWconf::Form_Activate() { PWbox_->setFocus(); }

// Closing without OK answers with an empty box, whatever was typed.
void frmPWconf::closeEvent(QCloseEvent* event) {
    PWbox_->clear();
    event->accept();
    hide();
}

void frmPWconf::reject() {
    PWbox_->clear();
    hide();
}

}  // namespace kb
