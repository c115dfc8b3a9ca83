#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Every test process has a Qt application object (offscreen unless the
// environment says otherwise), so models, timers and widgets can be used.
// Its home folder, inherited by the programs it starts, is an empty one of
// its own: the app model looks at the command link in the home folder and
// may re-point it, which must never happen to the user running the tests.
int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("HOME", home.path().toUtf8());
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
