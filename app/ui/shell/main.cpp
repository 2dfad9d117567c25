// Kestrelbinder: the desktop program.
#include <QApplication>
#include <QStyleFactory>

#include <string>
#include <vector>

#include "app/core/kb_error.h"
#include "app/core/prompter.h"
#include "app/ui/common/qt_dialogs.h"
#include "app/ui/common/qt_prompter.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/shell/startup.h"
#include "platform/file_size_limit.h"

int main(int argc, char** argv) {
    kb::platform::IgnoreFileSizeLimitSignal();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kestrelbinder");
    QApplication::setOrganizationName("Tarnwolde");
    if (QStyle* fusion = QStyleFactory::create("Fusion")) QApplication::setStyle(fusion);

    kb::QtPrompter prompter;
    kb::ScopedPrompter scoped(prompter);
    kb::QtDialogs dialogs;
    kb::SetDialogs(&dialogs);

    std::vector<std::string> arguments(argv + 1, argv + argc);
    std::unique_ptr<kb::frmMain> window;
    try {
        window = kb::Main(kb::CommandLineOf(arguments));
    } catch (const kb::KbError& e) {
        kb::MsgBox("Run-time error '" + std::to_string(e.Number()) + "':\r\r" + e.Description(),
                   kb::mb::OKOnly | kb::mb::Critical, kb::kAppTitle);
        return 1;
    } catch (const std::exception& e) {
        kb::MsgBox(std::string("Run-time error:\r\r") + e.what(), kb::mb::OKOnly | kb::mb::Critical,
                   kb::kAppTitle);
        return 1;
    }
    const int result = QApplication::exec();
    window.reset();
    kb::SetDialogs(nullptr);
    return result;
}
