#pragma once
// The plug-in manager's page: the list of loaded plug-ins with their type and compatibility,
// the buttons that add, remove and configure them, and the details of the highlighted one.
// What the buttons and ticks do lives in PluginManagerFlow.

#include <QFrame>

#include <memory>

class QGroupBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kb {

class PluginHost;
class PluginManagerFlow;

class PluginManFrame : public QFrame {
    Q_OBJECT

public:
    PluginManFrame(QWidget* parent, PluginHost& plugins);
    ~PluginManFrame() override;
    // Shows the host's rows: row n is slot n-1, ticked when enabled.
    void ShowPluginRows();
    // The highlighted row, counted from 1 (0: none).
    int SelectedRow() const;

    QTreeWidget* PluginList_ = nullptr;
    QPushButton* cmdAddPlugin_ = nullptr;
    QPushButton* cmdDelPlugin_ = nullptr;
    QPushButton* cmdConfigPlugin_ = nullptr;
    QGroupBox* fSelectedPlugin_ = nullptr;
    QLabel* imgSelectedPlugin_ = nullptr;
    QLabel* lblSelectedPlugin_ = nullptr;

private:
    void BuildButtons();
    void ShowRow(QTreeWidgetItem* item, int n);
    void PluginList_ItemCheck(QTreeWidgetItem* item);
    // The details of the highlighted row.
    void PluginList_ItemClick();
    void cmdAddPlugin_Click();
    void cmdDelPlugin_Click();
    void cmdConfigPlugin_Click();

    PluginHost& plugins_;
    std::unique_ptr<PluginManagerFlow> flow_;
    // Set while the list is drawn from the host's rows, so that drawing a tick is no user's.
    bool drawing_ = false;
};

}  // namespace kb
