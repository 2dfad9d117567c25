#include "app/ui/options/plugin_man_frame.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "app/pluginhost/plugin_rows.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/ui/common/icons.h"
#include "app/ui/common/ui_text.h"
#include "app/ui/common/widgets.h"
#include "app/ui/options/plugin_manager_flow.h"
#include "app/ui/options/plugin_type_icons.h"

namespace kb {

namespace {

// The image-list key the row shows, kept on the item beside its picture.
constexpr int kImageKeyRole = Qt::UserRole + 1;

QIcon CompatIcon(const std::string& key) {
    QStyle* style = QApplication::style();
    if (key == "CompatExcellent") return style->standardIcon(QStyle::SP_DialogApplyButton);
    if (key == "CompatGood") return style->standardIcon(QStyle::SP_DialogYesButton);
    if (key == "CompatMaybe") return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    if (key == "CompatBad") return style->standardIcon(QStyle::SP_MessageBoxCritical);
    return style->standardIcon(QStyle::SP_MessageBoxWarning);
}

}  // namespace

PluginManFrame::PluginManFrame(QWidget* parent, PluginHost& plugins)
    : QFrame(parent), plugins_(plugins), flow_(std::make_unique<PluginManagerFlow>(plugins)) {
    setObjectName("fPluginMan");
    setFrameShape(QFrame::NoFrame);
    auto* installed = Named<QLabel>(this, "lblPluginManInstalled", "Installed Plug-ins...");
    PluginList_ = Named<QTreeWidget>(this, "PluginList");
    PluginList_->setAccessibleName("Installed plug-ins");
    PluginList_->setHeaderLabels({"Name", "Type", "Compatibility"});
    PluginList_->setRootIsDecorated(false);
    PluginList_->setIconSize(QSize(16, 16));
    // Rows stand for slots, so a dragged row carries nothing.
    PluginList_->setDragEnabled(false);
    PluginList_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    PluginList_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    PluginList_->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    PluginList_->header()->setStretchLastSection(false);
    connect(PluginList_, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item) { PluginList_ItemCheck(item); });
    connect(PluginList_, &QTreeWidget::currentItemChanged, this, [this] { PluginList_ItemClick(); });
    BuildButtons();

    auto* side = new QVBoxLayout;
    side->addWidget(cmdAddPlugin_);
    side->addWidget(cmdDelPlugin_);
    side->addWidget(cmdConfigPlugin_);
    side->addStretch(1);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(PluginList_, 1);
    listRow->addLayout(side);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(Twips(240), Twips(180), Twips(240), Twips(180));
    box->addWidget(installed);
    box->addLayout(listRow, 1);
    box->addWidget(fSelectedPlugin_);
    plugins_.PluginList.onChanged = [this] { ShowPluginRows(); };
    ShowPluginRows();
    PluginList_ItemClick();
}

PluginManFrame::~PluginManFrame() { plugins_.PluginList.onChanged = nullptr; }

void PluginManFrame::BuildButtons() {
    cmdAddPlugin_ = Named<QPushButton>(this, "cmdAddPlugin", "Add New");
    cmdDelPlugin_ = Named<QPushButton>(this, "cmdDelPlugin", "Remove");
    cmdConfigPlugin_ = Named<QPushButton>(this, "cmdConfigPlugin", "Configure");
    connect(cmdAddPlugin_, &QPushButton::clicked, this, &PluginManFrame::cmdAddPlugin_Click);
    connect(cmdDelPlugin_, &QPushButton::clicked, this, &PluginManFrame::cmdDelPlugin_Click);
    connect(cmdConfigPlugin_, &QPushButton::clicked, this, &PluginManFrame::cmdConfigPlugin_Click);

    fSelectedPlugin_ = Named<QGroupBox>(this, "fSelectedPlugin", "Highlighted Plug-in");
    imgSelectedPlugin_ = Named<QLabel>(fSelectedPlugin_, "imgSelectedPlugin");
    imgSelectedPlugin_->setPixmap(icons::Pixmap(icons::Kind::Plugin, 32));
    imgSelectedPlugin_->setAlignment(Qt::AlignTop);
    lblSelectedPlugin_ = Named<QLabel>(fSelectedPlugin_, "lblSelectedPlugin", "Nothing selected.");
    lblSelectedPlugin_->setWordWrap(true);
    lblSelectedPlugin_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    lblSelectedPlugin_->setMinimumHeight(Twips(900));
    auto* details = new QHBoxLayout(fSelectedPlugin_);
    details->addWidget(imgSelectedPlugin_);
    details->addWidget(lblSelectedPlugin_, 1);
}

int PluginManFrame::SelectedRow() const {
    QTreeWidgetItem* item = PluginList_->currentItem();
    return item == nullptr ? 0 : PluginList_->indexOfTopLevelItem(item) + 1;
}

// The items are updated in place: a redraw can happen inside a handler of one of them.
void PluginManFrame::ShowPluginRows() {
    drawing_ = true;
    const int count = plugins_.PluginList.Count();
    while (PluginList_->topLevelItemCount() > count)
        delete PluginList_->takeTopLevelItem(PluginList_->topLevelItemCount() - 1);
    while (PluginList_->topLevelItemCount() < count) new QTreeWidgetItem(PluginList_);
    for (int n = 1; n <= count; ++n) ShowRow(PluginList_->topLevelItem(n - 1), n);
    if (PluginList_->currentItem() == nullptr && count > 0)
        PluginList_->setCurrentItem(PluginList_->topLevelItem(count - 1));
    drawing_ = false;
    PluginList_ItemClick();
}

void PluginManFrame::ShowRow(QTreeWidgetItem* item, int n) {
    const PluginRow& row = plugins_.PluginList.Row(n);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setText(0, QString::fromStdString(row.text));
    item->setText(1, QString::fromStdString(row.typeText));
    item->setText(2, QString::fromStdString(row.compatText));
    item->setIcon(0, icons::PluginType(row.smallIcon));
    item->setData(0, kImageKeyRole, QString::fromStdString(row.smallIcon));
    item->setIcon(2, CompatIcon(row.compatIcon));
    item->setData(2, kImageKeyRole, QString::fromStdString(row.compatIcon));
    item->setCheckState(0, row.ticked ? Qt::Checked : Qt::Unchecked);
    item->setData(0, Qt::UserRole, QString::fromStdString(row.tag));
}

void PluginManFrame::PluginList_ItemCheck(QTreeWidgetItem* item) {
    if (drawing_) return;
    const int n = PluginList_->indexOfTopLevelItem(item) + 1;
    const bool ticked = item->checkState(0) == Qt::Checked;
    if (n < 1 || ticked == plugins_.PluginList.Ticked(n)) return;
    flow_->PluginList_ItemCheck(n, ticked);
    // A refused tick leaves the model as it was, so the item is drawn back from it.
    ShowPluginRows();
}

void PluginManFrame::PluginList_ItemClick() {
    const PluginManagerFlow::Details d = flow_->PluginList_ItemClick(SelectedRow());
    lblSelectedPlugin_->setText(DisplayText(d.text));
    imgSelectedPlugin_->setVisible(d.showPicture);
    cmdConfigPlugin_->setEnabled(d.configurable);
}

void PluginManFrame::cmdAddPlugin_Click() {
    const int before = plugins_.PluginList.Count();
    // Slots are dense, so a new plug-in's row is the last; it is highlighted to show it.
    if (flow_->cmdAddPlugin_Click() && plugins_.PluginList.Count() > before)
        PluginList_->setCurrentItem(PluginList_->topLevelItem(plugins_.PluginList.Count() - 1));
    PluginList_ItemClick();
}

void PluginManFrame::cmdDelPlugin_Click() {
    const int row = SelectedRow();
    if (row == 0) return;
    flow_->cmdDelPlugin_Click(row);
    const int count = PluginList_->topLevelItemCount();
    if (count > 0) PluginList_->setCurrentItem(PluginList_->topLevelItem(std::min(row, count) - 1));
    PluginList_ItemClick();
}

void PluginManFrame::cmdConfigPlugin_Click() { flow_->cmdConfigPlugin_Click(SelectedRow()); }

}  // namespace kb
