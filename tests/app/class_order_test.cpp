// The start-up road as the program takes it, from the first class record on. In an
// executable of its own: class records live as long as the process (the program keeps
// pointers to them) and are built in the order they are first asked for, so after any
// other test that built one of the program's records this one could not see the order
// app::Initialize gives them.
#include "support/app_harness.h"

#include "platform/testing.h"

using namespace pwtest;

TEST(StartUp, BuildsClassesThenOpensOneWindow)
{
    StoreKey(kValidKey.toLatin1());
    AppHarness harness;
    harness.start();

    const QStringList classes = platform::test::ClassRecordOrder();
    ASSERT_GE(classes.size(), 3);
    EXPECT_EQ(classes.mid(classes.size() - 3),
              (QStringList{"App", "Window1.Window1", "MenuBar1.MenuBar1"}));

    // The getter finds the window again and builds nothing.
    Window1* first = &harness.window();
    EXPECT_TRUE(first->Visible());
    EXPECT_EQ(first->Controls().size(), 9u);
    Window1* second = Window1::implicitInstance();
    EXPECT_EQ(first, second);
    EXPECT_EQ(second->Controls().size(), 9u);

    // One menu bar, built before the window, shared by the application and the window.
    ASSERT_NE(platform::test::App(), nullptr);
    EXPECT_EQ(platform::test::App()->GetMenuBar(), MenuBar1::existingInstance());
    EXPECT_EQ(first->GetMenuBar(), MenuBar1::existingInstance());

    // Before any list is loaded both arrays hold one empty element (here the list did
    // load: the stored key is valid), and they stay index-aligned.
    EXPECT_EQ(first->profiles.size(), first->ids.size());
    EXPECT_TRUE(first->profiles.at(0).isEmpty());
}
