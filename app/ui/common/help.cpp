#include "app/ui/common/help.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

#include "app/core/debug_log.h"
#include "app/ui/common/icons.h"
#include "app/ui/common/widgets.h"
#include "platform/program_folder.h"

namespace kb {

namespace {

QPointer<QTextBrowser>& Window() {
    static QPointer<QTextBrowser> window;
    return window;
}

QTextBrowser& EnsureWindow() {
    QPointer<QTextBrowser>& w = Window();
    if (w.isNull()) {
        w = new QTextBrowser;
        w->setObjectName("HelpWindow");
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->setWindowTitle("Kestrelbinder Help");
        w->setWindowIcon(icons::Icon(icons::Kind::App));
        w->setOpenExternalLinks(true);
        w->setSearchPaths({QString::fromStdString(HelpFolder())});
        w->document()->setDocumentMargin(14);
        w->resize(560, 480);
        FitToScreen(*w);
    }
    return *w;
}

void Show(const std::string& page, const std::string& what) {
    QTextBrowser& w = EnsureWindow();
    const QString path = QString::fromStdString(HelpFolder() + "/" + page);
    if (QFileInfo(path).isFile()) {
        w.setSource(QUrl::fromLocalFile(path));
    } else {
        DebugLog("Help page missing: " + path.toStdString());
        w.setHtml("<h2>Help not available</h2><p>The help page for " +
                  QString::fromStdString(what).toHtmlEscaped() +
                  " is not installed.</p><p>It was looked for at <code>" + path.toHtmlEscaped() +
                  "</code>. Reinstalling Kestrelbinder puts the help pages back.</p>");
    }
    w.show();
    w.raise();
    w.activateWindow();
}

}  // namespace

std::string HelpFolder() {
    const std::string folder = platform::ProgramFolder();
    return (folder == "/" ? "" : folder) + "/Help";
}

QTextBrowser* HelpWindow() { return Window().data(); }

void ShowHelpTopic(int topic) {
    Show(std::to_string(topic) + ".html", "topic " + std::to_string(topic));
}

void ShowHelpContents() { Show("index.html", "the contents"); }

}  // namespace kb
