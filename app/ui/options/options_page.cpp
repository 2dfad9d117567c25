#include "app/ui/options/options_page.h"

#include <QCursor>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <QToolTip>
#include <QVBoxLayout>

#include "app/ui/common/icons.h"
#include "app/ui/common/widgets.h"
#include "app/ui/options/general_options_flow.h"
#include "app/ui/options/opt_gen_frame.h"
#include "app/ui/options/plugin_man_frame.h"

namespace kb {

OptionsPage::OptionsPage(QWidget* parent, PluginHost& plugins) : QFrame(parent) {
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
    fPluginMan_ = new PluginManFrame(frames, plugins);
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

OptionsPage::~OptionsPage() = default;

void OptionsPage::Attach(std::function<void(int32_t)> applySegment, bool& formLoading) {
    general_ = std::make_unique<GeneralOptionsFlow>(std::move(applySegment), formLoading);
    general_->onChanged = [this] { LoadGeneral(); };
    ConnectGeneral();
    LoadGeneral();
}

void OptionsPage::ConnectGeneral() {
    OptGenFrame* f = fOptGen_;
    GeneralOptionsFlow* g = general_.get();
    const std::pair<QPushButton*, void (GeneralOptionsFlow::*)()> buttons[] = {
        {f->cmdOptGenCancel_, &GeneralOptionsFlow::cmdOptGenCancel_Click},
        {f->cmdOptGenOK_, &GeneralOptionsFlow::cmdOptGenOK_Click},
        {f->cmdOptGenReset_, &GeneralOptionsFlow::cmdOptGenReset_Click},
        {f->cmdOptGenDirSourceSet_, &GeneralOptionsFlow::cmdOptGenDirSourceSet_Click},
        {f->cmdOptGenDirDestSet_, &GeneralOptionsFlow::cmdOptGenDirDestSet_Click},
        {f->cmdOptGenDirSourceClear_, &GeneralOptionsFlow::cmdOptGenDirSourceClear_Click},
        {f->cmdOptGenDirDestClear_, &GeneralOptionsFlow::cmdOptGenDirDestClear_Click},
        {f->cmdOptGenSegSizeDescription_, &GeneralOptionsFlow::cmdOptGenSegSizeDescription_Click},
    };
    for (const auto& [button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, [g, handler = handler] { (g->*handler)(); });
    QSlider* slider = f->sldOptGenSegSize_;
    // Every action of the user on the slider counts as a click on it, the keyboard's too.
    connect(slider, &QSlider::actionTriggered, this, [this, g] {
        // The slider has moved but not yet taken its new value; drawing the page now must
        // not put the old one back.
        sliderActing_ = true;
        g->sldOptGenSegSize_Click();
        sliderActing_ = false;
    });
    connect(slider, &QSlider::valueChanged, this, [g](int position) { g->sldOptGenSegSize_Change(position); });
    connect(slider, &QSlider::sliderMoved, this, [this] { sldOptGenSegSize_Scroll(); });
}

void OptionsPage::LoadGeneral() {
    const GeneralOptionsFlow& g = *general_;
    OptGenFrame* f = fOptGen_;
    f->txtOptGenDirSource_->setText(QString::fromStdString(g.Source()));
    f->txtOptGenDirDest_->setText(QString::fromStdString(g.Dest()));
    if (!sliderActing_) {
        const QSignalBlocker quiet(f->sldOptGenSegSize_);
        f->sldOptGenSegSize_->setValue(g.Position());
    }
    f->lblOptGenSegSizeAmount_->setText(QString::fromStdString(g.SizeText()));
    f->cmdOptGenCancel_->setEnabled(g.RevertEnabled());
    f->cmdOptGenOK_->setEnabled(g.SaveEnabled());
    f->cmdOptGenReset_->setEnabled(g.ResetEnabled());
}

// While the slider is dragged its tip shows the size it stands at.
void OptionsPage::sldOptGenSegSize_Scroll() {
    QSlider* slider = fOptGen_->sldOptGenSegSize_;
    general_->sldOptGenSegSize_Change(slider->sliderPosition());
    const QString text = QString::fromStdString(general_->SizeText());
    slider->setToolTip(text);
    QToolTip::showText(QCursor::pos(), text, slider);
}

void OptionsPage::OptTabs_Click() {
    const QString key = OptTabs_->tabData(OptTabs_->currentIndex()).toString();
    fPluginMan_->setVisible(key == "Plugins");
    fOptGen_->setVisible(key == "General");
}

}  // namespace kb
