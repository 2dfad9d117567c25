#pragma once
// The plug-in manager's page: the list of loaded plug-ins with their type and compatibility.

#include <QFrame>

class QTreeWidget;

namespace kb {

class PluginManFrame : public QFrame {
    Q_OBJECT

public:
    explicit PluginManFrame(QWidget* parent);
    ~PluginManFrame() override;
    // Shows the host's rows: row n is slot n-1, ticked when enabled.
    void ShowPluginRows();

    QTreeWidget* PluginList_ = nullptr;
};

}  // namespace kb
