#include "app/ui/shell/frm_about.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/core/paths.h"
#include "app/core/version.h"
#include "app/ui/common/icons.h"
#include "app/ui/common/widgets.h"
#include "app/ui/shell/rnd.h"

namespace kb {

namespace {

// The maker's site; only the paths and the query keys below are fixed.
constexpr const char* kSite = "https://www.tarnwolde.example";

frmAbout::UrlOpener& Opener() {
    static frmAbout::UrlOpener opener;
    return opener;
}

void Open(const std::string& url) {
    if (Opener())
        Opener()(url);
    else
        OpenURL(url);
}

}  // namespace

void frmAbout::SetUrlOpener(UrlOpener opener) { Opener() = std::move(opener); }

std::string frmAbout::Slogan(int number) {
    switch (number) {
    case 1: return "The future of file splitting technology";
    case 2: return "The ultimate file splitter";
    case 3: return "Probably the most powerful file splitter in the world";
    case 4: return "The expandable file splitter";
    default: return "";
    }
}

std::string frmAbout::ProductPageURL() { return std::string(kSite) + "/products/kestrelbinder"; }

std::string frmAbout::UpdateCheckURL(int major, int minor, int revision) {
    return std::string(kSite) + "/products/kestrelbinder/updatecheck.asp?Major=" +
           std::to_string(major) + "&Minor=" + std::to_string(minor) +
           "&Revision=" + std::to_string(revision);
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowTitle("About");
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* picture = Named<QLabel>(this, "imgAbout", "");
    picture->setPixmap(icons::Pixmap(icons::Kind::App, 72));
    auto* product = Named<QLabel>(this, "lblProductName", "Kestrelbinder");
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 1.9);
    big.setBold(true);
    product->setFont(big);
    auto* year = Named<QLabel>(this, "lblYear", "2003");
    QFont yearFont = year->font();
    yearFont.setPointSizeF(yearFont.pointSizeF() * 1.9);
    year->setFont(yearFont);
    year->setStyleSheet("color: #2f7fd8;");
    auto* company = Named<QLabel>(this, "lblCompanyName", "Tarnwolde");
    auto* version = Named<QLabel>(this, "lblAboutVersion",
                               "Version " + QString::fromStdString(VersionText()));
    lblSlogan_ = Named<QLabel>(this, "lblSlogan", "The future of file splitting technology");
    QFont italic = lblSlogan_->font();
    italic.setItalic(true);
    lblSlogan_->setFont(italic);
    lblCredits_ = Named<QLabel>(this, "lblCredits", "");
    lblCredits_->setWordWrap(true);
    lblCredits_->setFrameShape(QFrame::StyledPanel);
    lblCredits_->setMargin(8);

    auto* title = new QHBoxLayout;
    title->addWidget(product);
    title->addWidget(year);
    title->addStretch(1);

    auto* head = new QVBoxLayout;
    head->addLayout(title);
    head->addWidget(lblSlogan_);
    head->addWidget(company);
    head->addWidget(version);

    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(head, 1);

    auto* visit = Named<QPushButton>(this, "cmdVisitSite", "Visit Website");
    auto* updates = Named<QPushButton>(this, "cmdCheckUpdates", "Check for Updates");
    auto* ok = Named<QPushButton>(this, "cmdOK", "OK");
    ok->setDefault(true);
    connect(visit, &QPushButton::clicked, this, &frmAbout::cmdVisitSite_Click);
    connect(updates, &QPushButton::clicked, this, &frmAbout::cmdCheckUpdates_Click);
    connect(ok, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(visit);
    buttons->addWidget(updates);
    buttons->addStretch(1);
    buttons->addWidget(ok);

    auto* all = new QVBoxLayout(this);
    all->setContentsMargins(18, 18, 18, 14);
    all->addLayout(top);
    all->addSpacing(10);
    all->addWidget(lblCredits_, 1);
    all->addSpacing(6);
    all->addLayout(buttons);
    setMinimumWidth(460);

    Form_Load();
}

void frmAbout::Form_Load() {
    lblCredits_->setText(
        "Design and programming by the Kestrelbinder team at Tarnwolde.\n\n"
        "Thanks to everyone who sent in tips, bug reports and plug-ins, and to the testers "
        "who split and joined more files than anyone should.");
    const int number = static_cast<int>(Rnd() * 4 + 1);
    lblSlogan_->setText(QString::fromStdString(Slogan(number)));
}

void frmAbout::cmdVisitSite_Click() { Open(ProductPageURL()); }

void frmAbout::cmdCheckUpdates_Click() {
    Open(UpdateCheckURL(kVersionMajor, kVersionMinor, kVersionRevision));
}

void frmAbout::cmdOK_Click() { accept(); }

}  // namespace kb
