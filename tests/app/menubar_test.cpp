// The menu bar's table of menus and items.
#include "app/menubar1.h"

#include <gtest/gtest.h>

namespace {

struct Row {
    const char* menu;   // nullptr: a menu on the bar
    const char* name;
    const char* text;
    const char* shortcut;   // nullptr: never set
    bool quit;
};

const Row kTable[] = {
    {nullptr, "FileMenu", "&File", "", false},
    {"FileMenu", "FileQuit", "&Quit", "Cmd+Q", true},
    {nullptr, "EditMenu", "&Edit", "", false},
    {"EditMenu", "EditUndo", "&Undo", "Cmd+Z", false},
    {"EditMenu", "UntitledMenu1", "-", nullptr, false},
    {"EditMenu", "EditCut", "Cu&t", "Cmd+X", false},
    {"EditMenu", "EditCopy", "&Copy", "Cmd+C", false},
    {"EditMenu", "EditPaste", "&Paste", "Cmd+V", false},
    {"EditMenu", "EditClear", "&Delete", "", false},
    {"EditMenu", "UntitledMenu0", "-", nullptr, false},
    {"EditMenu", "EditSelectAll", "Select &All", "Cmd+A", false},
};

} // namespace

TEST(MenuBar, HoldsTheFileAndEditMenusAsTabled)
{
    MenuBar1* bar = MenuBar1::implicitInstance();
    ASSERT_EQ(bar->Count(), 2);
    EXPECT_EQ(bar->Item(0)->Name(), QStringLiteral("FileMenu"));
    EXPECT_EQ(bar->Item(1)->Name(), QStringLiteral("EditMenu"));
    EXPECT_EQ(bar->Item(0)->Count(), 1);
    EXPECT_EQ(bar->Item(1)->Count(), 8);

    int fileIndex = 0, editIndex = 0;
    for (const Row& row : kTable) {
        SCOPED_TRACE(row.name);
        platform::MenuItem* item = nullptr;
        if (!row.menu) {
            item = bar->Child(QString::fromLatin1(row.name));
        } else {
            platform::MenuItem* menu = bar->Child(QString::fromLatin1(row.menu));
            ASSERT_NE(menu, nullptr);
            int& index = QByteArray(row.menu) == "FileMenu" ? fileIndex : editIndex;
            item = menu->Item(index++);
        }
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->Name(), QString::fromLatin1(row.name));
        EXPECT_EQ(item->Text(), QString::fromLatin1(row.text));
        EXPECT_TRUE(item->AutoEnable());
        EXPECT_EQ(item->IsQuitItem(), row.quit);
        if (row.shortcut)
            EXPECT_EQ(item->KeyboardShortcut(), std::optional<QString>(QString::fromLatin1(row.shortcut)));
        else
            EXPECT_FALSE(item->KeyboardShortcut().has_value());
    }
    MenuBar1::implicitInstanceExit();
}

TEST(MenuBar, IsBuiltOnceAndReleasedAtShutDown)
{
    EXPECT_EQ(MenuBar1::existingInstance(), nullptr);
    MenuBar1* first = MenuBar1::implicitInstance();
    MenuBar1* second = MenuBar1::implicitInstance();
    EXPECT_EQ(first, second);
    EXPECT_EQ(second->Count(), 2);   // not built twice
    MenuBar1::implicitInstanceExit();
    EXPECT_EQ(MenuBar1::existingInstance(), nullptr);
}
