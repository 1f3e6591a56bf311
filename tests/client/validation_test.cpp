// Key validation, the profile list, the values inserted into command lines, and a
// fetch-mode click up to the save dialog.
#include "support/app_harness.h"

#include "client/quit_support.h"

#include "client/command_lines.h"

#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/testing.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>
#include <QTest>
#include <QScopeGuard>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <QWidget>
#include <sys/resource.h>

using namespace pwtest;

namespace {

const QString kRefused = QStringLiteral("Sorry, the API Key you provided is not valid!");
const QString kUnreachable =
    QStringLiteral("Sorry, the service could not be reached! Check your connection and try again.");
const QString kTooLong = QStringLiteral("Sorry, a key longer than 255 bytes cannot be stored!");

// A window opened without a stored key: the button validates.
class ValidateMode : public ::testing::Test {
protected:
    void SetUp() override
    {
        harness.start();
        ASSERT_EQ(harness.button().Caption(), QStringLiteral("Validate API Key"));
        harness.dialogs.messages.clear();
        harness.service.clearRequests();
    }
    AppHarness harness;
};

} // namespace

TEST_F(ValidateMode, RefusesEveryAnswerThatListsNoProfile)
{
    const struct {
        const char* label;
        Answer answer;
    } cases[] = {
        {"empty answer", Answer{200, {}}},
        {"HTTP 401", Answer{401, "<error>Invalid API key</error>"}},
        {"HTTP 403", Answer{403, {}}},
        {"error text", Answer{200, "<?xml version=\"1.0\"?>\n<error><name>bad key</name></error>\n"}},
    };
    harness.keyField().SetText(QStringLiteral("0123456789abcdefWRONG"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        harness.service.answerAll(c.answer);
        harness.dialogs.messages.clear();
        harness.click();
        EXPECT_EQ(harness.dialogs.messages, std::vector<QString>{kRefused});
        EXPECT_EQ(harness.button().Caption(), QStringLiteral("Validate API Key"));
        EXPECT_FALSE(QFileInfo::exists(PrefsFilePath()));
        EXPECT_EQ(platform::test::ListCount(harness.profileMenu()), 1);
        EXPECT_EQ(platform::test::Text(platform::Clipboard()), commands::ProfileList(harness.keyField().Text()));
    }
}

namespace {

// Ways a request can fail without the service saying anything about the key.
struct NoAnswer {
    const char* label;
    Answer answer;
    bool refusedConnection = false;   // curl aimed at a closed port instead
};

const NoAnswer kNoAnswers[] = {
    {"ConnectionRefused", Answer{}, true},
    {"ClosedWithoutAnswer", Answer{200, {}, Answer::Mode::Close}},
    {"TimedOut", Answer{200, "<profiles><profile><id>1</id>", Answer::Mode::Stall}},
    {"CutShort", Answer{200, "<profiles><profile><id>1</id><name>A</name></profile>", Answer::Mode::CutMidBody}},
    {"Status500", Answer{500, "<error>down</error>"}},
    {"Status503", Answer{503, {}}},
    // Two profiles, then more of the same at full speed for ever.
    {"Endless", Answer{200, ProfileListXml(DefaultScript().profiles), Answer::Mode::Endless}},
};

void answerOrRefuse(AppHarness& harness, const NoAnswer& c)
{
    if (c.refusedConnection) {
        // The closed loopback port of the test set-up.
        QFile rc(CurlHome() + QStringLiteral("/.curlrc"));
        ASSERT_TRUE(rc.open(QIODevice::WriteOnly | QIODevice::Truncate));
        rc.write("connect-to = \"::127.0.0.1:9\"\n");
    } else {
        harness.service.answerAll(c.answer);
    }
}

class Unreachable : public ::testing::TestWithParam<NoAnswer> {};

} // namespace

TEST_P(Unreachable, DuringTheCheckIsToldAsSuchAndStoresNothing)
{
    const NoAnswer& c = GetParam();
    ResetPeakMemory();
    AppHarness harness;
    harness.start();
    harness.dialogs.messages.clear();
    service::requestLimits = {5, 1};
    answerOrRefuse(harness, c);
    harness.keyField().SetText(kValidKey);
    harness.click();
    EXPECT_EQ(harness.dialogs.messages, std::vector<QString>{kUnreachable});
    EXPECT_EQ(harness.button().Caption(), QStringLiteral("Validate API Key"));
    EXPECT_FALSE(QFileInfo::exists(PrefsFilePath()));
    EXPECT_EQ(platform::test::ListCount(harness.profileMenu()), 1);
    EXPECT_EQ(platform::test::Text(platform::Clipboard()), commands::ProfileList(kValidKey, {5, 1}));
    EXPECT_LT(PeakMegabytes(), 256);   // whatever the service sends
}

TEST_P(Unreachable, AtOpeningWithAStoredKeyIsToldOnce)
{
    const NoAnswer& c = GetParam();
    ResetPeakMemory();
    const auto removeKey = qScopeGuard([] { QFile::remove(PrefsFilePath()); });
    StoreKey(kValidKey.toLatin1());
    const QByteArray stored = PrefsBytes();
    AppHarness harness;
    answerOrRefuse(harness, c);
    // The window asks for the list as it opens: it is built with the lowered limits.
    harness.start({5, 1});
    EXPECT_EQ(harness.dialogs.messages, std::vector<QString>{kUnreachable});
    EXPECT_EQ(harness.button().Caption(), QStringLiteral("Fetch Via API"));
    EXPECT_EQ(platform::test::ListCount(harness.profileMenu()), 1);
    EXPECT_EQ(PrefsBytes(), stored);
    EXPECT_EQ(platform::test::Text(platform::Clipboard()), commands::ProfileList(kValidKey, {5, 1}));
    EXPECT_LT(PeakMegabytes(), 256);
}

INSTANTIATE_TEST_SUITE_P(ProfileList, Unreachable, ::testing::ValuesIn(kNoAnswers),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(ProfileList, AStoredKeyTheServiceRefusesIsSilentAtOpening)
{
    for (const int status : {401, 403}) {
        SCOPED_TRACE(status);
        StoreKey(kValidKey.toLatin1());
        AppHarness harness;
        harness.service.answerAll(Answer{status, "<error>Invalid API key</error>"});
        harness.start();
        EXPECT_TRUE(harness.dialogs.messages.empty());
        EXPECT_EQ(platform::test::ListCount(harness.profileMenu()), 1);
        EXPECT_EQ(harness.service.requestsTo(QStringLiteral("/api/profile/list_all")).size(), 1u);
    }
    QFile::remove(PrefsFilePath());
}

namespace {

enum class AskQuit { Call, CtrlQ };

class QuitDuringCheck : public ::testing::TestWithParam<AskQuit> {};

} // namespace

// The quit item's own shortcut, pressed on the window, gets through the wait too.
TEST_P(QuitDuringCheck, EndsItTellingAndStoringNothing)
{
    const auto resume = qScopeGuard([] { ResumeAfterQuit(); });
    AppHarness harness;
    harness.start();
    harness.dialogs.messages.clear();
    service::requestLimits = {5, 1};   // should the quit not get through, the check fails in seconds
    QMainWindow* window = platform::test::QtWindow(harness.window());
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    std::chrono::steady_clock::time_point quitAt;
    const AskQuit ask = GetParam();
    harness.service.setHandler([&quitAt, window, ask](const Request&) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [&quitAt, window, ask] {
                quitAt = std::chrono::steady_clock::now();
                if (ask == AskQuit::Call)
                    platform::Quit();
                else
                    QTest::keyClick(window->windowHandle(), Qt::Key_Q, Qt::ControlModifier);
            },
            Qt::QueuedConnection);
        return Answer{200, ProfileListXml(DefaultScript().profiles), Answer::Mode::Stall};
    });
    harness.keyField().SetText(kValidKey);
    harness.click();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - quitAt).count();
    std::printf("the check ended %.3f s after the quit\n", seconds);
    ASSERT_TRUE(platform::QuitRequested());
    EXPECT_LT(seconds, 5.0);   // asked: within 2 s
    EXPECT_TRUE(harness.dialogs.messages.empty());
    EXPECT_EQ(harness.button().Caption(), QStringLiteral("Validate API Key"));
    EXPECT_FALSE(QFileInfo::exists(PrefsFilePath()));
    EXPECT_EQ(platform::test::ListCount(harness.profileMenu()), 1);
    EXPECT_TRUE(AllEnded(RunningDescendants()));
}

INSTANTIATE_TEST_SUITE_P(ValidateMode, QuitDuringCheck, ::testing::Values(AskQuit::Call, AskQuit::CtrlQ),
                         [](const auto& info) { return std::string(info.param == AskQuit::Call ? "Quit" : "CtrlQ"); });

TEST(ProfileList, AQuitDuringTheListAtOpeningEndsItTellingNothing)
{
    const auto resume = qScopeGuard([] { ResumeAfterQuit(); });
    StoreKey(kValidKey.toLatin1());
    AppHarness harness;
    harness.service.setHandler([](const Request&) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [] { platform::Quit(); }, Qt::QueuedConnection);
        return Answer{200, ProfileListXml(DefaultScript().profiles), Answer::Mode::Stall};
    });
    const auto start = std::chrono::steady_clock::now();
    harness.start();
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
    ASSERT_TRUE(platform::QuitRequested());
    EXPECT_TRUE(harness.dialogs.messages.empty());
    EXPECT_EQ(platform::test::ListCount(harness.profileMenu()), 1);
    EXPECT_TRUE(AllEnded(RunningDescendants()));
    QFile::remove(PrefsFilePath());
}

TEST_F(ValidateMode, AKeyOverTwoHundredFiftyFiveBytesIsListedAndToldOnceNotStored)
{
    const QString key = QString(297, QLatin1Char('k'));
    ServiceScript script = DefaultScript();
    script.validKey = key;
    harness.service.setScript(script);
    harness.keyField().SetText(key);
    harness.click();
    EXPECT_EQ(harness.dialogs.messages, (std::vector<QString>{QStringLiteral("API Key Validated!"), kTooLong}));
    EXPECT_EQ(harness.button().Caption(), QStringLiteral("Fetch Via API"));
    EXPECT_EQ(platform::test::ListCount(harness.profileMenu()), 3);
    EXPECT_FALSE(QFileInfo::exists(PrefsFilePath()));
}

TEST_F(ValidateMode, AcceptsAListingKeyStoresItAndListsTheProfiles)
{
    harness.keyField().SetText(kValidKey);
    harness.click();
    EXPECT_EQ(harness.dialogs.messages, std::vector<QString>{QStringLiteral("API Key Validated!")});
    EXPECT_EQ(harness.button().Caption(), QStringLiteral("Fetch Via API"));
    EXPECT_EQ(PrefsBytes(), QByteArray(1, char(kValidKey.size())) + kValidKey.toLatin1());
    EXPECT_EQ(harness.popupRows(harness.profileMenu()),
              (QStringList{"Select One", "Acme Corp: EU/North", "Beta"}));
    // Asked twice: once to validate, once to list.
    EXPECT_EQ(harness.service.requestsTo(QStringLiteral("/api/profile/list_all")).size(), 2u);
    EXPECT_EQ(platform::test::Text(platform::Clipboard()), commands::ProfileList(kValidKey));
}

// The user goes on typing in the key field while the key is checked and while the
// profiles are listed; the message box between the two runs an event loop of its own.
TEST_F(ValidateMode, TypingDuringTheCheckChangesNeitherTheKeyStoredNorTheKeyListed)
{
    const auto removeKey = qScopeGuard([] { QFile::remove(PrefsFilePath()); });
    QWidget* field = harness.keyField().widget();
    std::atomic<int> asked{0};
    harness.service.setHandler([field, &asked](const Request& request) {
        TypeWhileTheLineRuns(field, asked++ == 0 ? QStringLiteral("AB") : QStringLiteral("CD"));
        return FakeService::scriptedAnswer(DefaultScript(), request);
    });
    QStringList fieldWhileShown;
    harness.dialogs.onMessage = [&](const QString&) {
        QCoreApplication::processEvents();
        fieldWhileShown << harness.keyField().Text();
    };
    harness.keyField().SetText(kValidKey);
    harness.click();
    EXPECT_EQ(harness.dialogs.messages, std::vector<QString>{QStringLiteral("API Key Validated!")});
    EXPECT_EQ(fieldWhileShown, QStringList{kValidKey});
    EXPECT_EQ(harness.button().Caption(), QStringLiteral("Fetch Via API"));
    EXPECT_EQ(PrefsBytes(), QByteArray(1, char(kValidKey.size())) + kValidKey.toLatin1());
    const std::vector<Request> lists = harness.service.requestsTo(QStringLiteral("/api/profile/list_all"));
    ASSERT_EQ(lists.size(), 2u);
    for (const Request& request : lists)
        EXPECT_EQ(request.value(QStringLiteral("api_key")), std::optional<QString>(kValidKey));
    EXPECT_EQ(harness.popupRows(harness.profileMenu()),
              (QStringList{"Select One", "Acme Corp: EU/North", "Beta"}));
    // Nothing typed is lost: it reaches the field after the click, in the order typed.
    EXPECT_TRUE(QTest::qWaitFor([&] { return harness.keyField().Text() == kValidKey + QStringLiteral("ABCD"); }, 5000))
        << harness.keyField().Text().toStdString();
}

// A desktop theme that adds keyboard accelerators changes the button's text, not its mode.
TEST_F(ValidateMode, AnAcceleratorAddedToTheButtonsTextKeepsItValidating)
{
    // The window opened with no stored key; the one this click stores goes again.
    const auto removeKey = qScopeGuard([] { QFile::remove(PrefsFilePath()); });
    harness.button().widget()->setProperty("text", QStringLiteral("&Validate API Key"));
    harness.keyField().SetText(kValidKey);
    harness.click();
    EXPECT_EQ(harness.dialogs.messages, std::vector<QString>{QStringLiteral("API Key Validated!")});
    EXPECT_EQ(harness.button().Caption(), QStringLiteral("Fetch Via API"));
    EXPECT_EQ(PrefsBytes(), QByteArray(1, char(kValidKey.size())) + kValidKey.toLatin1());
}

TEST_F(ValidateMode, AShortKeyThatTheServiceAcceptsIsListedButNotStored)
{
    ServiceScript script = DefaultScript();
    script.validKey = QStringLiteral("short");
    harness.service.setScript(script);
    harness.keyField().SetText(QStringLiteral("short"));
    harness.click();
    EXPECT_EQ(harness.button().Caption(), QStringLiteral("Fetch Via API"));
    EXPECT_EQ(platform::test::ListCount(harness.profileMenu()), 3);
    EXPECT_FALSE(QFileInfo::exists(PrefsFilePath()));
}

namespace {

struct ListCase {
    const char* label;
    const char* answer;
    QStringList rows;       // after "Select One"
    QStringList profiles;   // the whole array
    QStringList ids;
};

} // namespace

TEST(ProfileList, FillsRowsAndIndexAlignedArraysFromTheAnswer)
{
    const ListCase cases[] = {
        {"header and two profiles",
         "<?xml version=\"1.0\"?><profiles><profile><id>7</id><name>A</name></profile>"
         "<profile><id>9</id><name>B</name></profile></profiles>",
         {"A", "B"}, {"", "A", "B", ""}, {"", "7", "9", ""}},
        {"an empty name is skipped",
         "<r><profile><id>1</id><name>A</name></profile><profile><id>2</id><name></name></profile>"
         "<profile><id>3</id><name>C</name></profile></r>",
         {"A", "C"}, {"", "A", "C", "", ""}, {"", "1", "3", "", ""}},
        {"a missing id", "<r><profile><name>A</name></profile></r>", {"A"}, {"", "A", ""}, {"", "", ""}},
        {"blanks and line breaks kept", "<r><profile><id> 5 </id><name>\n  Spaced Out \n</name></profile></r>",
         {"\n  Spaced Out \n"}, {"", "\n  Spaced Out \n", ""}, {"", " 5 ", ""}},
        {"the first name wins",
         "<r><profile><name>First</name><id>1</id><name>Second</name></profile></r>",
         {"First"}, {"", "First", ""}, {"", "1", ""}},
        {"a name in the header gets a row", "<name>Header</name><id>0</id><profile><name>P</name></profile>",
         {"Header", "P"}, {"", "Header", "P"}, {"", "0", ""}},
        {"references are not decoded", "<r><profile><id>1</id><name>R&amp;D</name></profile></r>",
         {"R&amp;D"}, {"", "R&amp;D", ""}, {"", "1", ""}},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.label);
        AppHarness harness;
        harness.service.answerAll(Answer{200, QByteArray(c.answer)});
        harness.start();   // no stored key: nothing listed at opening
        harness.keyField().SetText(kValidKey);
        harness.window().loadProfile();
        EXPECT_EQ(harness.popupRows(harness.profileMenu()), QStringList{"Select One"} + c.rows);
        EXPECT_EQ(harness.window().profiles, c.profiles);
        EXPECT_EQ(harness.window().ids, c.ids);
        QFile::remove(PrefsFilePath());   // each case opens without a stored key
    }
}

TEST(ProfileList, AnEmptyAnswerChangesNothing)
{
    AppHarness harness;
    harness.service.answerAll(Answer{200, {}});
    harness.start();
    harness.keyField().SetText(kValidKey);
    harness.window().loadProfile();
    EXPECT_EQ(platform::test::ListCount(harness.profileMenu()), 1);
    EXPECT_EQ(harness.window().profiles, QStringList{QString()});
    EXPECT_FALSE(QFileInfo::exists(PrefsFilePath()));
    EXPECT_EQ(platform::test::Text(platform::Clipboard()), commands::ProfileList(kValidKey));
}

namespace {

// Values that would run a command, glob, or cut the query if they stood in the line as
// they are; each one would make the canary file.
QStringList hostileValues(const QString& canary)
{
    return {
        QStringLiteral("x'; touch %1; echo '").arg(canary),
        QStringLiteral("\"$(touch %1)\"").arg(canary),
        QStringLiteral("`touch %1`").arg(canary),
        QStringLiteral("\\'; touch %1 #").arg(canary),
        QStringLiteral("k;touch %1").arg(canary),
        QStringLiteral("k&api_key=other#frag"),
        QStringLiteral("page[1-3]{a,b}"),
        QStringLiteral("with a blank"),
        QStringLiteral("line\nbreak"),
        QStringLiteral("caf\u00e9 \u043a\u043b\u044e\u0447 \U0001F600"),
    };
}

} // namespace

TEST(HostileValues, KeysReachTheServiceExactlyAsTypedAndRunNothing)
{
    const QString canary = ScratchFolder() + QStringLiteral("/canary");
    AppHarness harness;
    harness.start();
    for (const QString& key : hostileValues(canary)) {
        SCOPED_TRACE(key.toStdString());
        harness.service.clearRequests();
        harness.dialogs.messages.clear();
        harness.keyField().SetText(key);
        ASSERT_EQ(harness.keyField().Text(), key);
        harness.click();
        const std::vector<Request> requests = harness.service.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].value(QStringLiteral("api_key")), std::optional<QString>(key));
        EXPECT_EQ(requests[0].query.size(), 1u);
        EXPECT_EQ(harness.dialogs.messages, std::vector<QString>{kRefused});
        EXPECT_FALSE(QFileInfo::exists(canary));
    }
}

TEST(HostileValues, ProfileIdsFromTheServiceReachItExactlyAndRunNothing)
{
    const QString canary = ScratchFolder() + QStringLiteral("/canary");
    const QStringList values = hostileValues(canary);
    ServiceScript script;
    QByteArray list = "<?xml version=\"1.0\"?>\n<profiles>\n";
    for (int i = 0; i < values.size(); ++i) {
        script.profiles.push_back({values[i], QStringLiteral("P%1").arg(i), 1});
        list += "<profile><id>" + values[i].toUtf8() + "</id><name>P" + QByteArray::number(i) + "</name></profile>\n";
    }
    list += "</profiles>\n";
    StoreKey(script.validKey.toLatin1());
    AppHarness harness(script);
    harness.service.setHandler([script, list](const Request& request) {
        if (request.path == QStringLiteral("/api/profile/list_all"))
            return Answer{200, list};
        return FakeService::scriptedAnswer(script, request);
    });
    harness.start();
    ASSERT_EQ(platform::test::ListCount(harness.profileMenu()), values.size() + 1);
    const QString output = ScratchFolder() + QStringLiteral("/out.txt");
    for (int i = 0; i < values.size(); ++i) {
        SCOPED_TRACE(values[i].toStdString());
        harness.service.clearRequests();
        platform::test::SetListIndex(harness.profileMenu(), i + 1);
        harness.dialogs.saveAnswers.push_back(output);
        harness.click();
        const std::vector<Request> requests = harness.service.requests();
        ASSERT_EQ(requests.size(), 2u);   // details, one page
        for (const Request& request : requests)
            EXPECT_EQ(request.value(QStringLiteral("profile_id")), std::optional<QString>(values[i]));
        EXPECT_FALSE(QFileInfo::exists(canary));
    }
}

TEST(FetchModeClick, StoresTheKeyFirstAndInsistsOnAProfile)
{
    StoreKey(kValidKey.toLatin1());
    AppHarness harness;
    harness.start();
    const QString newKey = QStringLiteral("fedcba9876543210NEW");
    harness.keyField().SetText(newKey);
    harness.click();
    EXPECT_EQ(harness.dialogs.messages, std::vector<QString>{QStringLiteral("Error - you must pick a profile!")});
    EXPECT_TRUE(harness.dialogs.saveDefaultNames.empty());
    EXPECT_EQ(PrefsBytes(), QByteArray(1, char(newKey.size())) + newKey.toLatin1());
}

TEST(FetchModeClick, ProposesANameFromProfileAndPlatformAndACancelEndsTheClick)
{
    StoreKey(kValidKey.toLatin1());
    AppHarness harness;
    harness.start();
    harness.service.clearRequests();
    platform::test::SetListIndex(harness.profileMenu(), 1);   // Acme Corp: EU/North
    platform::test::SetListIndex(harness.platformMenu(), 2);  // Video
    harness.click();   // no answer scripted: the dialog is cancelled
    EXPECT_EQ(harness.dialogs.saveDefaultNames, std::vector<QString>{QStringLiteral("pw_AcmeCorpEUNorthVideo.txt")});
    EXPECT_EQ(harness.dialogs.saveFilters, std::vector<QString>{QStringLiteral("text/any")});
    EXPECT_TRUE(harness.dialogs.messages.empty());
    EXPECT_TRUE(harness.service.requests().empty());

    platform::test::SetListIndex(harness.profileMenu(), 2);   // Beta
    platform::test::SetListIndex(harness.platformMenu(), 3);  // Facebook
    harness.click();
    EXPECT_EQ(harness.dialogs.saveDefaultNames.back(), QStringLiteral("pw_BetaFacebook.txt"));
}

namespace {

// For its lifetime Qt's own dialogs open instead of the scripted ones, and a timer answers
// them as a user who takes what is offered: Return in each save dialog, OK in each message
// box. A save dialog still open ten seconds after its Return is cancelled, so one that
// does not take the name fails the test instead of hanging it.
class RealDialogs {
public:
    explicit RealDialogs(platform::test::DialogSeam* scripted) : scripted_(scripted)
    {
        platform::test::SetDialogSeam(nullptr);
        QObject::connect(&poll_, &QTimer::timeout, &poll_, [this] { answer(); });
        poll_.start(10);
    }
    ~RealDialogs() { platform::test::SetDialogSeam(scripted_); }
    RealDialogs(const RealDialogs&) = delete;
    RealDialogs& operator=(const RealDialogs&) = delete;

    QStringList namesShown;   // the file name field of each save dialog as it opened
    QStringList messages;
    int cancelled = 0;

private:
    void answer()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (!widget->isVisible())
                continue;
            if (auto* box = qobject_cast<QMessageBox*>(widget)) {
                messages << box->text();
                box->done(QMessageBox::Ok);
            } else if (auto* dialog = qobject_cast<QFileDialog*>(widget)) {
                if (dialog != pressed_) {
                    pressed_ = dialog;
                    pressedAt_.start();
                    auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                    namesShown << (field ? field->text() : QString());
                    QTest::keyClick(field ? static_cast<QWidget*>(field) : dialog, Qt::Key_Return);
                } else if (pressedAt_.hasExpired(10000)) {
                    ++cancelled;
                    dialog->reject();
                }
            }
        }
    }

    platform::test::DialogSeam* scripted_;
    QTimer poll_;
    QPointer<QFileDialog> pressed_;
    QElapsedTimer pressedAt_;
};

QString homeFolder() { return QString::fromLocal8Bit(qgetenv("HOME")); }

// Everything in the folder, hidden entries included.
QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

// Profile names that would name another file in Qt's save dialog, or put control
// characters into the name: Return takes exactly the name offered, in the home folder.
TEST(FetchModeClick, TheRealSaveDialogTakesTheOfferedNameOfAHostileProfile)
{
    const struct {
        const char* label;
        QString profile;
    } cases[] = {
        {"quoted second name", QStringLiteral("Evil\".bash_profile\"")},
        {"two quoted names", QStringLiteral("\"a.txt\" \"b.txt\"")},
        {"a lone quote", QStringLiteral("x\"y")},
        {"only quotes", QStringLiteral("\"\"\"")},
        {"newline, tab, escape, delete", QStringLiteral("a\nb\tc\x1b" "d\x7f")},
        {"NUL and other low controls", QStringLiteral("n") + QChar(0) + QStringLiteral("u\x01" "l\x1f")},
        {"unicode", QStringLiteral("Caf\u00e9 \u6771\u4eac \U0001F600")},
    };
    ScriptedDialogs scripted;
    const QString home = homeFolder();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const QString offered = commands::DefaultFileName(c.profile, QStringLiteral("Microblogging"));
        std::unique_ptr<platform::FolderItem> chosen;
        {
            RealDialogs dialogs(&scripted);
            chosen = platform::GetSaveFolderItem(QStringLiteral("text/any"), offered);
            EXPECT_EQ(dialogs.namesShown, QStringList{offered});
            EXPECT_EQ(dialogs.cancelled, 0);
        }
        ASSERT_NE(chosen, nullptr);
        EXPECT_EQ(chosen->NativePath(), home + u'/' + offered);
        EXPECT_TRUE(entriesOf(home).isEmpty()) << entriesOf(home).join(u' ').toStdString();
    }
}

// The whole click, from the name in the service's list to the file written: the mentions
// land in the file offered, and nothing else appears in the home folder.
TEST(FetchModeClick, AHostileProfileNameWritesTheOfferedFileAndNoOther)
{
    const auto removeKey = qScopeGuard([] { QFile::remove(PrefsFilePath()); });
    ServiceScript script;
    script.profiles = {{QStringLiteral("5"), QStringLiteral("Evil\".bash_profile\""), 150}};
    StoreKey(script.validKey.toLatin1());
    AppHarness harness(script);
    harness.start();
    ASSERT_EQ(platform::test::ListCount(harness.profileMenu()), 2);
    platform::test::SetListIndex(harness.profileMenu(), 1);
    platform::test::SetListIndex(harness.platformMenu(), 0);   // Microblogging
    const QString home = homeFolder();
    const QString offered = QStringLiteral("pw_Evil.bash_profileMicroblogging.txt");
    {
        RealDialogs dialogs(&harness.dialogs);
        harness.click();
        EXPECT_EQ(dialogs.namesShown, QStringList{offered});
        EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("Done!")});
    }
    EXPECT_EQ(entriesOf(home), QStringList{offered});
    QByteArray expected;
    for (const QByteArray& line : ExpectedMentionLines(QStringLiteral("twitter"), 150))
        expected += line + '\n';
    EXPECT_EQ(FileBytes(home + u'/' + offered), expected);
}
