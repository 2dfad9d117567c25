// Widget tests need one application object for the whole run; without a display they use the
// offscreen platform. Each test's plug-in host answers plug-ins through the program's callback.
#include <QApplication>

#include <gtest/gtest.h>

#include "app/ui/common/plugin_host_callback.h"
#include "app/ui/tests/ui_fixture.h"

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    kb::testing::UiTest::serveCallbacks = &kb::ServePluginCallbacks;
    return RUN_ALL_TESTS();
}
