#include "app/ui/common/whats_this.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include "app/ui/common/help.h"

namespace kb {

namespace {

constexpr const char* kTopicProperty = "whatsThisTopic";

QPointer<QWidget> target;
WhatsThisMenuChooser chooser;

void mnuWhatsThisHelp_Click() {
    if (target) ShowHelpTopic(WhatsThisTopic(target));
}

// One filter serves every control that has a topic.
class WhatsThisFilter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* control = qobject_cast<QWidget*>(watched);
        if (control == nullptr || WhatsThisTopic(control) == 0) return false;
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            ShowHelpTopic(WhatsThisTopic(control));
            return true;
        }
        // A text box opens its edit menu on the context-menu request, which comes with the
        // press and keeps the release from it; the help menu takes the edit menu's place.
        if (qobject_cast<QLineEdit*>(control) != nullptr) {
            if (event->type() != QEvent::ContextMenu) return false;
            OpenMenu(control, static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            OpenMenu(control, static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
            return true;
        }
        return false;
    }

private:
    static void OpenMenu(QWidget* control, QPoint at) {
        target = control;
        QMenu menu(control);
        menu.setObjectName("mnuWhatsThis");
        QAction* help = menu.addAction("What's This?");
        help->setObjectName("mnuWhatsThisHelp");
        const bool chosen = chooser ? chooser(menu) : menu.exec(at) == help;
        if (chosen) mnuWhatsThisHelp_Click();
        target = nullptr;
    }
};

WhatsThisFilter& Filter() {
    static WhatsThisFilter* filter = new WhatsThisFilter;
    return *filter;
}

}  // namespace

void SetWhatsThisTopic(QWidget* control, int topic) {
    control->setProperty(kTopicProperty, topic);
    control->installEventFilter(&Filter());
}

int WhatsThisTopic(const QWidget* control) {
    return control == nullptr ? 0 : control->property(kTopicProperty).toInt();
}

QWidget* WhatsThisTarget() { return target.data(); }

void SetWhatsThisMenuChooser(WhatsThisMenuChooser c) { chooser = std::move(c); }

}  // namespace kb
