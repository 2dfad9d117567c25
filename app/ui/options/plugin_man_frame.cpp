#include "app/ui/options/plugin_man_frame.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/pluginhost/plugin_rows.h"
#include "app/ui/common/widgets.h"
#include "app/ui/icons.h"

namespace kb {

PluginManFrame::PluginManFrame(QWidget* parent) : QFrame(parent) {
    setObjectName("fPluginMan");
    setFrameShape(QFrame::NoFrame);
    auto* installed = Named<QLabel>(this, "lblPluginManInstalled", "Installed Plug-ins...");
    PluginList_ = Named<QTreeWidget>(this, "PluginList");
    PluginList_->setHeaderLabels({"Name", "Type", "Compatibility"});
    PluginList_->setRootIsDecorated(false);
    PluginList_->setIconSize(QSize(16, 16));
    PluginList_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(Twips(240), Twips(180), Twips(240), Twips(180));
    box->addWidget(installed);
    box->addWidget(PluginList_, 1);
    PluginList.onChanged = [this] { ShowPluginRows(); };
    ShowPluginRows();
}

PluginManFrame::~PluginManFrame() { PluginList.onChanged = nullptr; }

void PluginManFrame::ShowPluginRows() {
    PluginList_->clear();
    for (int n = 1; n <= PluginList.Count(); ++n) {
        const PluginRow& row = PluginList.Row(n);
        auto* item = new QTreeWidgetItem(PluginList_);
        item->setText(0, QString::fromStdString(row.text));
        item->setText(1, QString::fromStdString(row.typeText));
        item->setText(2, QString::fromStdString(row.compatText));
        item->setIcon(0, icons::Icon(icons::Kind::Plugin));
        item->setCheckState(0, row.ticked ? Qt::Checked : Qt::Unchecked);
        item->setData(0, Qt::UserRole, QString::fromStdString(row.tag));
    }
}

}  // namespace kb
