// Widget tests need one application object for the whole run; without a display they use the
// offscreen platform.
// Around each test the plug-in progress panel is cleared, since the panel a test's window gave
// the plug-ins goes with that window.
#include <QApplication>

#include <gtest/gtest.h>

#include "app/ui/common/plugin_host_callback.h"

namespace {

class ClearPluginPanel : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { kb::PluginProgressPanel = nullptr; }
    void OnTestEnd(const ::testing::TestInfo&) override { kb::PluginProgressPanel = nullptr; }
};

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ClearPluginPanel);
    return RUN_ALL_TESTS();
}
