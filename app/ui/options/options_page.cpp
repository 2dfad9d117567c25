#include "app/ui/options/options_page.h"

#include <QGridLayout>
#include <QTabBar>
#include <QVBoxLayout>

#include "app/ui/common/widgets.h"
#include "app/ui/icons.h"
#include "app/ui/options/opt_gen_frame.h"
#include "app/ui/options/plugin_man_frame.h"

namespace kb {

OptionsPage::OptionsPage(QWidget* parent) : QFrame(parent) {
    setObjectName("fOptPanel");
    setFrameShape(QFrame::NoFrame);
    OptTabs_ = Named<QTabBar>(this, "OptTabs");
    OptTabs_->addTab("General");
    OptTabs_->setTabData(0, QString("General"));
    OptTabs_->addTab("Plugins");
    OptTabs_->setTabData(1, QString("Plugins"));
    OptTabs_->setExpanding(false);
    OptTabs_->setTabIcon(0, icons::Icon(icons::Kind::Configure));
    OptTabs_->setTabIcon(1, icons::Icon(icons::Kind::Plugin));

    auto* frames = new QFrame(this);
    frames->setObjectName("fOptFrames");
    frames->setFrameShape(QFrame::StyledPanel);
    QGridLayout* grid = Stack(frames);
    fOptGen_ = new OptGenFrame(frames);
    fPluginMan_ = new PluginManFrame(frames);
    fPluginMan_->hide();
    grid->addWidget(fOptGen_, 0, 0);
    grid->addWidget(fPluginMan_, 0, 0);
    connect(OptTabs_, &QTabBar::currentChanged, this, [this](int) { OptTabs_Click(); });

    auto* all = new QVBoxLayout(this);
    all->setContentsMargins(0, 0, 0, 0);
    all->setSpacing(0);
    all->addWidget(OptTabs_);
    all->addWidget(frames, 1);
}

void OptionsPage::OptTabs_Click() {
    const QString key = OptTabs_->tabData(OptTabs_->currentIndex()).toString();
    fPluginMan_->setVisible(key == "Plugins");
    fOptGen_->setVisible(key == "General");
}

}  // namespace kb
