#include "ui_test_window.h"

#include "support/test_env.h"

#include "platform/exceptions.h"
#include "platform/menus.h"
#include "platform/testing.h"
#include "platform/window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <limits>

using pwtest::Record;
using pwtest::TestWindow;

namespace {

platform::MenuBar* FileMenuBar()
{
    static platform::MenuBar bar;
    if (bar.Count() == 0) {
        auto file = std::make_unique<platform::MenuItem>();
        file->SetName("FileMenu");
        file->SetText("&File");
        auto quit = std::make_unique<platform::QuitMenuItem>();
        quit->SetName("FileQuit");
        quit->SetText("&Quit");
        quit->SetKeyboardShortcut("Cmd+Q");
        file->Append(std::move(quit));
        bar.Append(std::move(file));
    }
    return &bar;
}

// The main window's own record, as the program's Layout applies it.
Record MainWindowRecord()
{
    Record r;
    r.integer("Placement", 0).integer("Width", 332).integer("Height", 225).integer("MinWidth", 64)
        .integer("MinHeight", 64).integer("MaxWidth", 32000).integer("MaxHeight", 32000).integer("Frame", 0)
        .boolean("Composite", false).boolean("HasBackColor", true).color("BackColor", 0xFF, 0xFF, 0xFF)
        .string("Title", "PondWhirl Data Downloader").boolean("Visible", true).boolean("FullScreen", false)
        .boolean("MenuBarVisible", true).boolean("CloseButton", true).boolean("Resizeable", true)
        .boolean("LiveResize", true).boolean("MaximizeButton", false).boolean("MinimizeButton", true)
        .integer("MacProcID", 0);
    return r;
}

Record Place(int left, int top, int width, int height)
{
    Record r;
    r.integer("Left", left).integer("Top", top).integer("Width", width).integer("Height", height);
    return r;
}

TEST(WindowConstructor, RaisesLayoutCreateControlsAndOpenOnceInThatOrder)
{
    platform::RuntimeInit(0, nullptr);
    TestWindow window;
    bool controlsAtOpen = false;
    bool registeredAtLayout = false;
    window.onLayout = [&](TestWindow& w) {
        registeredAtLayout = platform::GetImplicitWindow("TestWindow.TestWindow") == &w;
        EXPECT_EQ(w.ControlByName("field"), nullptr);
    };
    window.onCreateControls = [](TestWindow& w) { w.make<platform::TextField>("field"); };
    window.onOpen = [&](TestWindow& w) { controlsAtOpen = w.ControlByName("field") != nullptr; };

    window.Constructor();

    EXPECT_EQ(window.events, QStringList({"Layout", "CreateControls", "Open"}));
    EXPECT_TRUE(registeredAtLayout);
    EXPECT_TRUE(controlsAtOpen);
    EXPECT_EQ(platform::RuntimeWindowControlByName(&window, "field"), window.ControlByName("field"));
    EXPECT_EQ(platform::RuntimeWindowControlByName(&window, "Field"), nullptr);
    EXPECT_EQ(platform::RuntimeWindowControlByName(nullptr, "field"), nullptr);
}

TEST(WindowConstructor, ExceptionFromAHandlerPropagatesAndStopsTheRest)
{
    TestWindow window;
    window.onCreateControls = [](TestWindow&) { throw platform::NilObjectException("no such control"); };
    EXPECT_THROW(window.Constructor(), platform::NilObjectException);
    EXPECT_EQ(window.events, QStringList({"Layout", "CreateControls"}));
    EXPECT_EQ(platform::UnhandledExceptionCount(), 0);
}

TEST(WindowProperties, ContentIsTheSizeUnderTheMenuBar)
{
    TestWindow window;
    window.onLayout = [](TestWindow& w) {
        w.SetMenuBar(FileMenuBar());
        platform::SetProperties(w, MainWindowRecord().bytes());
    };
    window.onCreateControls = [](TestWindow& w) {
        platform::SetProperties(w.make<platform::PushButton>("button"), Place(23, 161, 289, 20).bytes());
    };
    window.Constructor();

    QMainWindow* qt = platform::test::QtWindow(window);
    ASSERT_NE(qt->menuWidget(), nullptr);
    const int barHeight = qt->menuWidget()->height();
    EXPECT_GT(barHeight, 0);
    EXPECT_TRUE(window.Visible());
    EXPECT_EQ(platform::test::Title(window), "PondWhirl Data Downloader");
    EXPECT_EQ(platform::test::Width(window), 332);
    EXPECT_EQ(platform::test::Height(window), 225);
    EXPECT_EQ(window.content()->geometry(), QRect(0, barHeight, 332, 225));
    EXPECT_EQ(qt->size(), QSize(332, 225 + barHeight));
    EXPECT_EQ(qt->minimumSize(), QSize(64, 64 + barHeight));
    EXPECT_EQ(qt->maximumSize(), QSize(32000, 32000 + barHeight));

    const Qt::WindowFlags flags = qt->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);

    EXPECT_TRUE(window.content()->autoFillBackground());
    EXPECT_EQ(window.content()->palette().color(QPalette::Window), QColor(Qt::white));

    // Resizing moves and stretches no control, and the content follows the window.
    QWidget* button = window.ControlByName("button")->widget();
    qt->resize(500, 400 + barHeight);
    EXPECT_EQ(platform::test::Width(window), 500);
    EXPECT_EQ(platform::test::Height(window), 400);
    EXPECT_EQ(button->geometry(), QRect(23, 161, 289, 20));

    // The limits are the content's.
    qt->resize(10, 10);
    EXPECT_EQ(platform::test::Width(window), 64);
    EXPECT_EQ(platform::test::Height(window), 64);
}

TEST(WindowControls, SitAtTheirPositionsUnderTheBarStackedInCreationOrder)
{
    TestWindow window;
    window.onLayout = [](TestWindow& w) {
        w.SetMenuBar(FileMenuBar());
        platform::SetProperties(w, MainWindowRecord().bytes());
    };
    window.onCreateControls = [](TestWindow& w) {
        platform::SetProperties(w.make<platform::Canvas>("canvas"), Place(105, 0, 125, 174).bytes());
        platform::SetProperties(w.make<platform::TextField>("field"), Place(135, 63, 177, 22).bytes());
        platform::SetProperties(w.make<platform::ProgressBar>("bar"), Place(23, 193, 289, 20).bytes());
    };
    window.Constructor();

    platform::RectControl* canvas = window.ControlByName("canvas");
    platform::RectControl* field = window.ControlByName("field");
    EXPECT_EQ(canvas->widget()->parentWidget(), window.content());
    EXPECT_EQ(field->widget()->geometry(), QRect(135, 63, 177, 22));
    EXPECT_EQ((std::vector<int>{platform::test::Left(*field), platform::test::Top(*field),
                                platform::test::Width(*field), platform::test::Height(*field)}),
              (std::vector<int>{135, 63, 177, 22}));
    const int barHeight = platform::test::QtWindow(window)->menuWidget()->height();
    EXPECT_EQ(field->widget()->mapTo(platform::test::QtWindow(window), QPoint(0, 0)), QPoint(135, 63 + barHeight));

    // Where the field lies over the canvas, the field is on top; beside it, the canvas.
    EXPECT_EQ(window.content()->childAt(140, 70), field->widget());
    EXPECT_EQ(window.content()->childAt(110, 70), canvas->widget());
    EXPECT_TRUE(field->widget()->isVisible());

    std::vector<platform::RectControl*> expected{canvas, field, window.ControlByName("bar")};
    EXPECT_EQ(window.Controls(), expected);
}

TEST(WindowControls, TabOrderFollowsTabIndexAndLabelsTakeNoFocus)
{
    TestWindow window;
    window.onCreateControls = [](TestWindow& w) {
        auto tab = [](int index) { return Record().integer("TabIndex", index); };
        platform::SetProperties(w.make<platform::Canvas>("canvas"), tab(0).bytes());
        platform::SetProperties(w.make<platform::TextField>("field"), tab(3).bytes());
        platform::SetProperties(w.make<platform::StaticText>("label"), tab(1).bytes());
        platform::SetProperties(w.make<platform::PopupMenu>("popup"), tab(2).bytes());
        platform::SetProperties(w.make<platform::PushButton>("button"), tab(4).bytes());
        w.make<platform::ProgressBar>("bar");
    };
    window.Constructor();

    auto widget = [&](const char* name) { return window.ControlByName(name)->widget(); };
    for (const char* name : {"canvas", "label", "bar"})
        EXPECT_EQ(widget(name)->focusPolicy(), Qt::NoFocus) << name;

    EXPECT_EQ(platform::test::QtWindow(window)->focusWidget(), widget("popup"));
    std::vector<QWidget*> chain;
    QWidget* w = widget("popup");
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            chain.push_back(w);
        w = w->nextInFocusChain();
    } while (w != widget("popup") && chain.size() < 10);
    EXPECT_EQ(chain, (std::vector<QWidget*>{widget("popup"), widget("field"), widget("button")}));
}

TEST(PopupMenu, RowsFromInitialValueSelectionAndAddedRows)
{
    TestWindow window;
    window.onCreateControls = [](TestWindow& w) {
        platform::SetProperties(w.make<platform::PopupMenu>("platforms"),
                                Record().string("InitialValue", "Microblogging\rWebsite\rVideo\rFacebook")
                                    .integer("ListIndex", 0).bytes());
        platform::SetProperties(w.make<platform::PopupMenu>("empty"), Record().string("InitialValue", "").bytes());
    };
    window.Constructor();
    auto& platforms = static_cast<platform::PopupMenu&>(*window.ControlByName("platforms"));
    auto& empty = static_cast<platform::PopupMenu&>(*window.ControlByName("empty"));

    EXPECT_EQ(platform::test::ListCount(platforms), 4);
    EXPECT_EQ(platform::test::List(platforms, 3), "Facebook");
    EXPECT_EQ(platforms.ListIndex(), 0);
    EXPECT_EQ(platforms.Text(), "Microblogging");
    platform::test::SetListIndex(platforms, 2);
    EXPECT_EQ(platforms.Text(), "Video");
    platforms.AddRow("Other");
    EXPECT_EQ(platform::test::ListCount(platforms), 5);
    EXPECT_EQ(platform::test::List(platforms, 4), "Other");
    EXPECT_EQ(platforms.ListIndex(), 2);

    // Adding a row selects nothing: Qt alone would select the first row added.
    EXPECT_EQ(platform::test::ListCount(empty), 0);
    EXPECT_EQ(empty.ListIndex(), -1);
    EXPECT_EQ(empty.Text(), "");
    empty.AddRow("Select One");
    EXPECT_EQ(empty.ListIndex(), -1);
    EXPECT_EQ(empty.Text(), "");
    platform::test::SetListIndex(empty, 0);
    EXPECT_EQ(empty.Text(), "Select One");
}

TEST(TextField, LimitTextZeroMeansNoLimitAndTheKeyShowsAsTyped)
{
    TestWindow window;
    window.onCreateControls = [](TestWindow& w) {
        platform::SetProperties(w.make<platform::TextField>("open"), Record().integer("LimitText", 0)
                                                                          .boolean("Password", false)
                                                                          .string("CueText", "key here")
                                                                          .string("TextFont", "System")
                                                                          .bytes());
        platform::SetProperties(w.make<platform::TextField>("short"), Record().integer("LimitText", 5).bytes());
        platform::SetProperties(w.make<platform::TextField>("secret"), Record().boolean("Password", true).bytes());
    };
    window.Constructor();
    auto& open = static_cast<platform::TextField&>(*window.ControlByName("open"));
    auto& limited = static_cast<platform::TextField&>(*window.ControlByName("short"));
    auto* edit = static_cast<QLineEdit*>(open.widget());

    const QString longText(40000, QLatin1Char('k'));
    open.SetText(longText);
    EXPECT_EQ(open.Text(), longText);
    limited.SetText("1234567");
    EXPECT_EQ(limited.Text(), "12345");

    EXPECT_EQ(edit->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(static_cast<QLineEdit*>(window.ControlByName("secret")->widget())->echoMode(), QLineEdit::Password);
    EXPECT_EQ(edit->placeholderText(), "key here");
    EXPECT_EQ(edit->font().family(), QApplication::font().family());
}

TEST(ProgressBar, KeepsAnyValueAndShowsItClampedToTheRange)
{
    TestWindow window;
    window.onCreateControls = [](TestWindow& w) {
        platform::SetProperties(w.make<platform::ProgressBar>("bar"),
                                Record().integer("Value", 0).integer("Maximum", 100).bytes());
    };
    window.Constructor();
    auto& bar = static_cast<platform::ProgressBar&>(*window.ControlByName("bar"));
    EXPECT_EQ(platform::test::ShownValue(bar), 0);

    // Each row follows the previous one: after an out-of-range value the bar still moves.
    const struct {
        int value;
        int shown;
    } steps[] = {{57, 57}, {120, 100}, {40, 40}, {10000, 100}, {100, 100}, {-5, 0}, {1, 1}};
    for (const auto& step : steps) {
        bar.SetValue(step.value);
        EXPECT_EQ(bar.Value(), step.value);
        EXPECT_EQ(platform::test::ShownValue(bar), step.shown) << step.value;
        EXPECT_EQ(static_cast<QProgressBar*>(bar.widget())->value(), step.shown) << step.value;
    }

    bar.SetValue(150);
    bar.SetMaximum(200);
    EXPECT_EQ(platform::test::ShownValue(bar), 150);
    EXPECT_EQ(bar.Maximum(), 200);
}

TEST(PushButton, ClickAndPushRaiseActionAndTheButtonIsNotDefault)
{
    TestWindow window;
    window.onCreateControls = [](TestWindow& w) {
        platform::SetProperties(w.make<platform::PushButton>("button"),
                                Record().string("Caption", "Fetch Via API").boolean("Default", false)
                                    .boolean("Cancel", false).integer("Width", 120).integer("Height", 24).bytes());
    };
    window.Constructor();
    auto& button = static_cast<platform::PushButton&>(*window.ControlByName("button"));
    auto* qt = static_cast<QPushButton*>(button.widget());
    EXPECT_EQ(button.Caption(), "Fetch Via API");
    EXPECT_FALSE(qt->isDefault());
    EXPECT_FALSE(qt->autoDefault());

    int actions = 0;
    button.Push();   // no handler yet: nothing happens
    button.InstallEventHandler("Action", [&](platform::PushButton& sender) {
        EXPECT_EQ(&sender, &button);
        ++actions;
    });
    platform::test::QtWindow(window)->show();
    QTest::mouseClick(qt, Qt::LeftButton);
    EXPECT_EQ(actions, 1);
    button.Push();
    EXPECT_EQ(actions, 2);

    button.InstallEventHandler("Action", {});
    button.Push();
    EXPECT_EQ(actions, 2);
    EXPECT_THROW(button.InstallEventHandler("Paint", {}), platform::RuntimeException);
}

// A desktop theme may add accelerator marks to a button's text; the caption is what the
// program set, through the record or SetCaption.
TEST(PushButton, CaptionIsWhatWasSetWhateverTheWidgetShows)
{
    TestWindow window;
    window.onCreateControls = [](TestWindow& w) {
        platform::SetProperties(w.make<platform::PushButton>("button"), Record().string("Caption", "Fetch Via API").bytes());
    };
    window.Constructor();
    auto& button = static_cast<platform::PushButton&>(*window.ControlByName("button"));
    auto* qt = static_cast<QPushButton*>(button.widget());
    EXPECT_EQ(qt->text(), "Fetch Via API");
    qt->setText("&Fetch Via API");
    EXPECT_EQ(button.Caption(), "Fetch Via API");

    button.SetCaption("Validate API Key");
    EXPECT_EQ(qt->text(), "Validate API Key");
    qt->setText("Validate &API Key");
    EXPECT_EQ(button.Caption(), "Validate API Key");
}

// The close button or Alt+F4 reaches the window as a close event on its Qt window; it
// quits even while a handler is busy, and that handler sees it at its next yield.
TEST(WindowClose, QuitsTheApplicationEvenWhileAHandlerRuns)
{
    const auto restore = qScopeGuard([] { pwtest::ResumeAfterQuit(); });
    TestWindow window;
    window.onCreateControls = [](TestWindow& w) { w.make<platform::PushButton>("button"); };
    window.Constructor();
    platform::test::QtWindow(window)->show();
    auto& button = static_cast<platform::PushButton&>(*window.ControlByName("button"));

    bool quitSeen = false;
    QElapsedTimer clock;
    button.InstallEventHandler("Action", [&](platform::PushButton&) {
        // The window manager's close arrives while the handler works and yields.
        QCoreApplication::postEvent(platform::test::QtWindow(window)->windowHandle(), new QCloseEvent);
        clock.start();
        while (!platform::QuitRequested() && clock.elapsed() < 5000)
            platform::YieldToNextThread();
        quitSeen = platform::QuitRequested();
    });
    button.Push();
    EXPECT_TRUE(quitSeen) << "still running after " << clock.elapsed() << " ms";
    EXPECT_FALSE(window.Visible());
}

TEST(WindowClose, WithNothingRunningEndsTheEventLoop)
{
    const auto restore = qScopeGuard([] { pwtest::ResumeAfterQuit(); });
    TestWindow window;
    window.Constructor();
    platform::test::QtWindow(window)->show();
    bool loopStillRan = false;
    QTimer::singleShot(0, platform::test::QtWindow(window), [&] { platform::test::QtWindow(window)->close(); });
    // Bound to this test: left for a later one, it would end that test's loop and write here.
    QObject scope;
    QTimer::singleShot(10000, &scope, [&] {
        loopStillRan = true;
        QCoreApplication::exit(1);
    });
    platform::RuntimeRun();
    EXPECT_TRUE(platform::QuitRequested());
    EXPECT_FALSE(loopStillRan);
}

TEST(Canvas, PaintsItsBackdropAtTheTopLeft)
{
    QImage red(10, 10, QImage::Format_ARGB32);
    red.fill(Qt::red);
    TestWindow window;
    window.onCreateControls = [&](TestWindow& w) {
        auto& canvas = w.make<platform::Canvas>("canvas");
        canvas.SetBackdrop(std::make_shared<platform::Picture>(red));
        platform::SetProperties(canvas, Place(0, 0, 40, 40).bytes());
        w.make<platform::Canvas>("bare");
    };
    window.Constructor();
    const QImage painted = window.ControlByName("canvas")->widget()->grab().toImage();
    EXPECT_EQ(painted.pixelColor(5, 5), QColor(Qt::red));
    EXPECT_NE(painted.pixelColor(20, 20), QColor(Qt::red));
    EXPECT_NE(window.ControlByName("bare")->widget()->grab().toImage().pixelColor(5, 5), QColor(Qt::red));
}

} // namespace
