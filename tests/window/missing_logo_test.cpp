// The main window without its logo file. In an executable of its own: the program reads
// the logo once and keeps it for the rest of the process, with no way to forget it, so
// after any test that opened the window with its logo this one could not see it missing.
#include "support/app_harness.h"

#include <QCoreApplication>

using namespace pwtest;

TEST(WindowWithoutLogo, OpensWithAllControlsAnEmptyCanvasAndNoMessage)
{
    // The resources folder is looked for under the application's name (the test main
    // puts the name back).
    QCoreApplication::setApplicationName(QStringLiteral("no-such-application"));
    StoreKey(kValidKey.toLatin1());
    AppHarness harness;
    harness.start();
    EXPECT_EQ(harness.window().Controls().size(), 9u);
    EXPECT_EQ(harness.control<platform::Canvas>("Canvas1").Backdrop(), nullptr);
    EXPECT_TRUE(harness.dialogs.messages.empty());
}
