// The main window as it opens: its properties, its nine controls, their records and the logo.
#include "support/app_harness.h"

#include "window/property_records.h"

#include "platform/properties.h"
#include "platform/testing.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QWidget>

using namespace pwtest;

namespace {

struct Placement {
    const char* name;
    int left, top, width, height;
};

const Placement kControls[] = {
    {"Canvas1", 105, 0, 125, 174},      {"apikeyfield", 135, 63, 177, 22}, {"profilemenu", 135, 97, 177, 20},
    {"StaticText1", 23, 65, 100, 20},   {"StaticText2", 23, 97, 100, 20},  {"platformmenu", 135, 129, 177, 20},
    {"StaticText3", 23, 129, 100, 20},  {"PushButton1", 23, 161, 289, 20}, {"ProgressBar1", 23, 193, 289, 20},
};

// A window that opens quietly: a valid stored key, the service listing profiles.
class OpenWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        StoreKey(kValidKey.toLatin1());
        harness.start();
    }
    AppHarness harness;
};

} // namespace

TEST_F(OpenWindow, HasItsTitleSizeAndDecorations)
{
    Window1& window = harness.window();
    EXPECT_EQ(platform::test::Title(window), QStringLiteral("PondWhirl Data Downloader"));
    EXPECT_EQ(platform::test::Width(window), 332);
    EXPECT_EQ(platform::test::Height(window), 225);
    EXPECT_TRUE(window.Visible());
    QMainWindow* qt = platform::test::QtWindow(window);
    EXPECT_FALSE(qt->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(qt->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(qt->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(qt->menuBar()->isVisible());
    EXPECT_EQ(window.content()->palette().color(window.content()->backgroundRole()), QColor(Qt::white));
    EXPECT_TRUE(harness.dialogs.messages.empty());
}

TEST_F(OpenWindow, PlacesTheNineControlsInCreationOrder)
{
    std::vector<platform::RectControl*> controls = harness.window().Controls();
    ASSERT_EQ(controls.size(), std::size(kControls));
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const Placement& expected = kControls[i];
        SCOPED_TRACE(expected.name);
        EXPECT_EQ(controls[i]->Name(), QString::fromLatin1(expected.name));
        EXPECT_EQ(controls[i], platform::RuntimeWindowControlByName(&harness.window(), QString::fromLatin1(expected.name)));
        const QRect geometry = controls[i]->widget()->geometry();
        EXPECT_EQ(geometry, QRect(expected.left, expected.top, expected.width, expected.height));
        EXPECT_EQ(controls[i]->widget()->parentWidget(), harness.window().content());
    }
    // Canvas1 lies beneath everything created after it.
    const QObjectList stack = harness.window().content()->children();
    EXPECT_LT(stack.indexOf(controls[0]->widget()), stack.indexOf(controls[7]->widget()));
    EXPECT_EQ(platform::RuntimeWindowControlByName(&harness.window(), QStringLiteral("NoSuchControl")), nullptr);
}

TEST_F(OpenWindow, FocusMovesByTabIndexAndSkipsLabelsCanvasAndBar)
{
    QWidget* key = harness.keyField().widget();
    const std::vector<QWidget*> expected{key, harness.profileMenu().widget(), harness.platformMenu().widget(),
                                         harness.button().widget()};
    QWidget* at = key;
    for (std::size_t i = 1; i < expected.size(); ++i) {
        at = at->nextInFocusChain();
        while (at->focusPolicy() == Qt::NoFocus)
            at = at->nextInFocusChain();
        EXPECT_EQ(at, expected[i]) << i;
    }
    for (const char* name : {"StaticText1", "StaticText2", "StaticText3", "Canvas1", "ProgressBar1"})
        EXPECT_EQ(harness.window().control<platform::RectControl>(QString::fromLatin1(name)).widget()->focusPolicy(),
                  Qt::NoFocus)
            << name;
}

TEST_F(OpenWindow, StartsWithTheInitialTextsRowsAndValues)
{
    EXPECT_EQ(harness.keyField().Text(), kValidKey);   // loaded from the stored key
    auto* edit = qobject_cast<QLineEdit*>(harness.keyField().widget());
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->echoMode(), QLineEdit::Normal);
    EXPECT_GT(edit->maxLength(), 32767);   // no limit of its own
    EXPECT_FALSE(edit->isReadOnly());
    EXPECT_TRUE(edit->hasFrame());

    EXPECT_EQ(harness.platformMenu().ListIndex(), 0);
    EXPECT_EQ(harness.popupRows(harness.platformMenu()),
              (QStringList{"Microblogging", "Website", "Video", "Facebook"}));
    EXPECT_EQ(harness.profileMenu().ListIndex(), 0);
    EXPECT_EQ(platform::test::List(harness.profileMenu(), 0), QStringLiteral("Select One"));

    EXPECT_EQ(harness.control<platform::StaticText>("StaticText1").Text(), QStringLiteral("Your API Key"));
    EXPECT_EQ(harness.control<platform::StaticText>("StaticText2").Text(), QStringLiteral("Profile:"));
    EXPECT_EQ(harness.control<platform::StaticText>("StaticText3").Text(), QStringLiteral("Platform:"));
    EXPECT_EQ(harness.button().Caption(), QStringLiteral("Fetch Via API"));
    EXPECT_EQ(harness.bar().Value(), 0);
    EXPECT_EQ(harness.bar().Maximum(), 100);
    for (const char* name : {"apikeyfield", "profilemenu", "StaticText1", "StaticText2", "platformmenu",
                             "StaticText3", "PushButton1"}) {
        auto& control = harness.window().control<platform::RectControl>(QString::fromLatin1(name));
        EXPECT_EQ(control.widget()->font().family(), QApplication::font().family()) << name;
    }
}

// What a screen reader gets: the key field named by its label, each popup (named by its
// row on this desktop) pointing to its label.
TEST_F(OpenWindow, EachLabelNamesTheControlBesideItForAssistiveTechnology)
{
    const struct {
        const char* control;
        const char* label;
        const char* text;
    } rows[] = {
        {"apikeyfield", "StaticText1", "Your API Key"},
        {"profilemenu", "StaticText2", "Profile:"},
        {"platformmenu", "StaticText3", "Platform:"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.control);
        QWidget* control = harness.window().control<platform::RectControl>(QString::fromLatin1(row.control)).widget();
        QWidget* label = harness.window().control<platform::StaticText>(QString::fromLatin1(row.label)).widget();
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(iface, nullptr);
        const auto labels = iface->relations(QAccessible::Label);
        ASSERT_EQ(labels.size(), 1);
        ASSERT_NE(labels[0].first, nullptr);
        EXPECT_EQ(labels[0].first->object(), label);
        EXPECT_EQ(labels[0].first->text(QAccessible::Name), QString::fromLatin1(row.text));
        // The label still shows its text as it was, with no mnemonic taken from it.
        EXPECT_EQ(static_cast<QLabel*>(label)->text(), QString::fromLatin1(row.text));
    }
    QAccessibleInterface* key = QAccessible::queryAccessibleInterface(harness.keyField().widget());
    EXPECT_EQ(key->text(QAccessible::Name), QStringLiteral("Your API Key"));
    EXPECT_EQ(key->text(QAccessible::Value), kValidKey);
}

TEST_F(OpenWindow, ShowsTheLogoInTheCanvas)
{
    std::shared_ptr<platform::Picture> logo = harness.control<platform::Canvas>("Canvas1").Backdrop();
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(platform::test::Width(*logo), 125);
    EXPECT_EQ(platform::test::Height(*logo), 174);
    // Read once and kept.
    EXPECT_EQ(pondwhirl_logo_transparent_logo(), logo);
}

TEST(PropertyRecords, ApplyToFreshControlsAndFailLoudlyWhenCutOrMisnamed)
{
    platform::InitializeFrameworkClasses();
    // The key field's record onto a fresh field of a bare window.
    struct BareWindow : platform::Window {
        BareWindow() : platform::Window(platform::WindowClass()) {}
    };
    auto window = std::make_unique<BareWindow>();
    window->Constructor();
    auto field = window->New<platform::TextField>();
    field->Constructor();
    const std::span<const std::uint8_t> record = window_records::apikeyfield();
    EXPECT_THROW(platform::SetProperties(*field, record.first(record.size() - 1)), platform::PropertyRecordError);
    // A popup's record names properties a text field does not have.
    EXPECT_THROW(platform::SetProperties(*field, window_records::profilemenu()), platform::PropertyRecordError);
    EXPECT_NO_THROW(platform::SetProperties(*field, record));
    EXPECT_EQ(field->widget()->geometry(), QRect(135, 63, 177, 22));
}
