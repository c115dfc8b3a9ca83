#include <QApplication>

#include <gtest/gtest.h>

// Every test process has a Qt application object (offscreen unless the
// environment says otherwise), so models, timers and widgets can be used.
int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
