// The fetch: requests, progress, the output file, and every failure told.
#include "support/app_harness.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QMetaObject>
#include <QProgressBar>
#include <QScopeGuard>
#include <QWindow>
#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace pwtest;

namespace {

const QString kDone = QStringLiteral("Done!");
const QString kTotalUnreadable = QStringLiteral("Sorry, the number of mentions could not be read from the service!");
const QString kIncomplete = QStringLiteral("Sorry, the download failed before the end: the file is incomplete!");
const QString kNotWritten = QStringLiteral("Sorry, the output file could not be written!");

QByteArray joinLines(const std::vector<QByteArray>& lines)
{
    QByteArray out;
    for (const QByteArray& line : lines)
        out += line + '\n';
    return out;
}

std::vector<std::optional<QString>> pageNumbers(const std::vector<Request>& requests)
{
    std::vector<std::optional<QString>> pages;
    for (const Request& r : requests)
        pages.push_back(r.value(QStringLiteral("page_number")));
    return pages;
}

// A window opened with a valid stored key and one profile of the given total; the
// fetch writes to output.
class Fetch : public ::testing::Test {
protected:
    void open(std::int64_t total, int platformRow = 0, ServiceScript script = {})
    {
        script.profiles = {{QStringLiteral("7"), QStringLiteral("Prof"), total}};
        StoreKey(script.validKey.toLatin1());
        harness = std::make_unique<AppHarness>(script);
        harness->start();
        ASSERT_EQ(harness->profileMenu().ListCount(), 2);
        harness->profileMenu().SetListIndex(1);
        harness->platformMenu().SetListIndex(platformRow);
        harness->service.clearRequests();
        harness->dialogs.messages.clear();
        auto* bar = qobject_cast<QProgressBar*>(harness->bar().widget());
        QObject::connect(bar, &QProgressBar::valueChanged, [this](int shown) { shownValues.push_back(shown); });
    }
    void fetchInto(const QString& path)
    {
        harness->dialogs.saveAnswers.push_back(path);
        harness->click();
    }
    std::vector<Request> mentionRequests(const QString& segment = QStringLiteral("twitter"))
    {
        return harness->service.requestsTo(QStringLiteral("/api/%1/mentions").arg(segment));
    }

    std::unique_ptr<AppHarness> harness;
    std::vector<int> shownValues;
    const QString output = ScratchFolder() + QStringLiteral("/mentions.txt");
};

} // namespace

TEST_F(Fetch, RequestsEveryHundredWritesEveryMentionAndAdvancesTheBar)
{
    const struct {
        std::int64_t total;
        std::vector<std::optional<QString>> pages;
        std::vector<int> shown;
        int lastValue;
    } cases[] = {
        {0, {}, {}, 0},
        {1, {std::nullopt}, {100}, 10000},
        {100, {std::nullopt}, {100}, 100},
        {250, {std::nullopt, QStringLiteral("1"), QStringLiteral("2")}, {40, 80, 100}, 120},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.total);
        shownValues.clear();
        open(c.total);
        // An existing file: only this fetch's lines remain.
        WriteFile(output, "old content\n");

        fetchInto(output);
        EXPECT_EQ(harness->dialogs.messages, std::vector<QString>{kDone});
        EXPECT_EQ(harness->dialogs.beeps, 1);
        EXPECT_EQ(pageNumbers(mentionRequests()), c.pages);
        for (const Request& r : mentionRequests()) {
            EXPECT_EQ(r.value(QStringLiteral("profile_id")), std::optional<QString>(QStringLiteral("7")));
            EXPECT_EQ(r.value(QStringLiteral("api_key")), std::optional<QString>(kValidKey));
        }
        EXPECT_EQ(shownValues, c.shown);
        EXPECT_EQ(harness->bar().Value(), c.lastValue);
        EXPECT_TRUE(QFileInfo::exists(output));
        EXPECT_EQ(FileBytes(output), joinLines(ExpectedMentionLines(QStringLiteral("twitter"), c.total)));
        harness.reset();
        QFile::remove(PrefsFilePath());
    }
}

TEST(PlatformTable, MapsRowsToSegmentAndTag)
{
    Window1::ctblinit();
    Window1 window;
    const struct {
        int index;
        const char* segment;
        const char* tag;
    } rows[] = {{1, "twitter", "message"}, {2, "website", "site_title"}, {3, "video", "title"},
                {4, "facebook", "comment"}, {5, "", ""}};
    for (const auto& row : rows) {
        EXPECT_EQ(window.request_type(row.index), QString::fromLatin1(row.segment)) << row.index;
        EXPECT_EQ(window.request_type_tag(row.index), QString::fromLatin1(row.tag)) << row.index;
    }
    EXPECT_EQ(window.platforms(0), QString());
    EXPECT_EQ(window.platforms(3), QStringLiteral("web"));
    EXPECT_EQ(window.platforms(5), QStringLiteral("all"));
    EXPECT_EQ(window.platforms(6), QString());
    EXPECT_EQ(window.urlify(QStringLiteral("no_blanks")), QStringLiteral("no_blanks"));
    EXPECT_EQ(window.urlify(QStringLiteral("two  blanks")), QStringLiteral("two__blanks"));
}

TEST_F(Fetch, UsesTheSelectedPlatformsSegmentAndTag)
{
    open(150, 3);   // Facebook
    fetchInto(output);
    EXPECT_EQ(mentionRequests(QStringLiteral("facebook")).size(), 2u);
    EXPECT_EQ(FileBytes(output), joinLines(ExpectedMentionLines(QStringLiteral("facebook"), 150)));
}

TEST_F(Fetch, CutsEachMentionLineAsThePipelineSpecifies)
{
    open(1);
    const QByteArray page =
        "<?xml version=\"1.0\"?>\n<mentions>\n"
        "   <message>leading spaces</message>\n"
        "\t<message>tab kept</message>\n"
        "<message>no indent</message> trailing\n"
        "  <message>first</message><message>second</message>\n"
        "  <message></message>\n"
        "  <message>runs over\ntwo lines</message>\n"
        "  <message>caf\xc3\xa9 \xff\xfe &amp; &#233;</message>\n"
        "  <other>not a mention</other>\n"
        "</mentions>";   // no line end after the last line
    const ServiceScript script = [] {
        ServiceScript s;
        s.profiles = {{QStringLiteral("7"), QStringLiteral("Prof"), 1}};
        return s;
    }();
    harness->service.setHandler([script, page](const Request& request) {
        if (request.path.endsWith(QStringLiteral("/mentions")))
            return Answer{200, page};
        return FakeService::scriptedAnswer(script, request);
    });
    fetchInto(output);
    EXPECT_EQ(harness->dialogs.messages, std::vector<QString>{kDone});
    EXPECT_EQ(FileBytes(output), QByteArray("leading spaces\n"
                                            "\t<message>tab kept\n"
                                            "no indent\n"
                                            "first\n"
                                            "\n"
                                            "runs over\n"
                                            "caf\xc3\xa9 \xff\xfe &amp; &#233;\n"));
}

TEST_F(Fetch, WithoutATotalTellsSoAndLeavesTheChosenFileAlone)
{
    const struct {
        const char* label;
        bool withoutTotal;
        int status;
    } cases[] = {{"no total element", true, 200}, {"service error", false, 500}, {"refused key", false, 401}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ServiceScript script;
        script.detailsWithoutTotal = c.withoutTotal;
        script.detailsStatus = c.status;
        open(250, 0, script);
        WriteFile(output, "keep me\n");
        fetchInto(output);
        EXPECT_EQ(harness->dialogs.messages, std::vector<QString>{kTotalUnreadable});
        EXPECT_EQ(harness->dialogs.beeps, 0);
        EXPECT_TRUE(mentionRequests().empty());
        EXPECT_EQ(FileBytes(output), QByteArray("keep me\n"));
        harness.reset();
        QFile::remove(PrefsFilePath());
    }
}

TEST_F(Fetch, UnreachableServiceTellsSoAndLeavesTheChosenFileAlone)
{
    open(250);
    harness->service.answerAll(Answer{200, {}, Answer::Mode::Close});
    fetchInto(output);
    EXPECT_EQ(harness->dialogs.messages, std::vector<QString>{kTotalUnreadable});
    EXPECT_FALSE(QFileInfo::exists(output));
}

namespace {

struct PageFault {
    const char* label;
    std::optional<Answer::Mode> mode;
    int status;
};

class FailedPage : public ::testing::TestWithParam<PageFault> {};

} // namespace

TEST_P(FailedPage, StopsTheFetchAndSaysTheFileIsIncomplete)
{
    const PageFault& fault = GetParam();
    ServiceScript script;
    script.profiles = {{QStringLiteral("7"), QStringLiteral("Prof"), 300}};
    if (fault.mode)
        script.pageModes[1] = *fault.mode;
    else
        script.pageStatus[1] = fault.status;
    StoreKey(script.validKey.toLatin1());
    AppHarness harness(script);
    harness.start();
    harness.profileMenu().SetListIndex(1);
    harness.dialogs.messages.clear();
    const QString output = ScratchFolder() + QStringLiteral("/out.txt");
    harness.dialogs.saveAnswers.push_back(output);
    harness.click();

    EXPECT_EQ(harness.dialogs.messages, std::vector<QString>{kIncomplete});
    EXPECT_EQ(harness.dialogs.beeps, 0);
    // Page 2 of 3 failed: no third request.
    EXPECT_EQ(harness.service.requestsTo(QStringLiteral("/api/twitter/mentions")).size(), 2u);
    // The first page is there, nothing of the failed one.
    std::vector<QByteArray> firstPage = ExpectedMentionLines(QStringLiteral("twitter"), 100);
    EXPECT_EQ(FileBytes(output), joinLines(firstPage));
}

INSTANTIATE_TEST_SUITE_P(Fetch, FailedPage,
                         ::testing::Values(PageFault{"Status500", std::nullopt, 500},
                                           PageFault{"CutMidPage", Answer::Mode::CutMidBody, 200},
                                           PageFault{"Stalled", Answer::Mode::Stall, 200}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(Fetch, AFileThatCannotBeWrittenIsTold)
{
    open(150);
    fetchInto(ScratchFolder() + QStringLiteral("/no/such/folder/out.txt"));
    EXPECT_EQ(harness->dialogs.messages, std::vector<QString>{kNotWritten});
    EXPECT_EQ(harness->dialogs.beeps, 0);
    EXPECT_EQ(mentionRequests().size(), 1u);   // stopped at the first page
}

TEST_F(Fetch, AFullDiskIsTold)
{
    // A full device of our own, so nothing of the system's is at stake.
    const QString device = ScratchFolder() + QStringLiteral("/full");
    if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        GTEST_SKIP() << "cannot make a device node here";
    open(150);
    fetchInto(device);
    EXPECT_EQ(harness->dialogs.messages, std::vector<QString>{kNotWritten});
    EXPECT_EQ(harness->dialogs.beeps, 0);
    // The device is written to, never deleted.
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(device).constData(), &after), 0);
    EXPECT_TRUE(S_ISCHR(after.st_mode));
}

TEST_F(Fetch, HostileOutputPathsNameExactlyTheChosenFile)
{
    const struct {
        const char* name;
        std::vector<const char*> canaries;   // files an unquoted path would touch
    } cases[] = {
        {"out put.txt", {"out", "put.txt"}},
        {"it's.txt", {"its.txt"}},
        {"q\"uote.txt", {"quote.txt"}},
        {"$HOME.txt", {".txt"}},
        {"semi;colon.txt", {"semi", "colon.txt"}},
        {"star*.txt", {"star-canary.txt"}},
        {"new\nline.txt", {"new", "line.txt"}},
        {"-rf.txt", {"rf.txt"}},
        {"caf\xc3\xa9 \xe2\x82\xac.txt", {"caf\xc3\xa9"}},
    };
    open(1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = ScratchFolder();
        for (const char* canary : c.canaries)
            WriteFile(folder + QLatin1Char('/') + QString::fromUtf8(canary), "canary\n");
        const QString path = folder + QLatin1Char('/') + QString::fromUtf8(c.name);
        harness->dialogs.messages.clear();
        fetchInto(path);
        EXPECT_EQ(harness->dialogs.messages, std::vector<QString>{kDone});
        EXPECT_EQ(FileBytes(path), joinLines(ExpectedMentionLines(QStringLiteral("twitter"), 1)));
        for (const char* canary : c.canaries)
            EXPECT_EQ(FileBytes(folder + QLatin1Char('/') + QString::fromUtf8(canary)), QByteArray("canary\n"))
                << canary;
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(),
                  static_cast<qsizetype>(c.canaries.size() + 1));
    }
}

TEST_F(Fetch, QuitDuringAFetchEndsItAfterTheCurrentPage)
{
    ServiceScript script;
    script.profiles = {{QStringLiteral("7"), QStringLiteral("Prof"), 500}};
    open(500, 0, script);
    harness->service.setHandler([script](const Request& request) {
        // Quit is chosen while the second page is on its way.
        if (request.value(QStringLiteral("page_number")) == std::optional<QString>(QStringLiteral("1")))
            QMetaObject::invokeMethod(QCoreApplication::instance(), [] { platform::Quit(); }, Qt::QueuedConnection);
        return FakeService::scriptedAnswer(script, request);
    });
    fetchInto(output);
    EXPECT_TRUE(platform::QuitRequested());
    EXPECT_TRUE(harness->dialogs.messages.empty());
    EXPECT_EQ(mentionRequests().size(), 2u);
    EXPECT_EQ(FileBytes(output), joinLines(ExpectedMentionLines(QStringLiteral("twitter"), 200)));
}

// The window manager's close of the main window during a fetch ends it as Quit does:
// nothing runs on unseen, no "Done!" comes later.
TEST_F(Fetch, ClosingTheWindowDuringAFetchEndsItAfterTheCurrentPage)
{
    ServiceScript script;
    script.profiles = {{QStringLiteral("7"), QStringLiteral("Prof"), 500}};
    open(500, 0, script);
    const auto restore = qScopeGuard([] { platform::RuntimeInit(0, nullptr); });
    QWindow* qtWindow = harness->window().qtWindow()->windowHandle();
    ASSERT_NE(qtWindow, nullptr);
    harness->service.setHandler([script, qtWindow](const Request& request) {
        if (request.value(QStringLiteral("page_number")) == std::optional<QString>(QStringLiteral("1")))
            QCoreApplication::postEvent(qtWindow, new QCloseEvent);
        return FakeService::scriptedAnswer(script, request);
    });
    fetchInto(output);
    EXPECT_TRUE(platform::QuitRequested());
    EXPECT_FALSE(harness->window().Visible());
    EXPECT_TRUE(harness->dialogs.messages.empty());
    EXPECT_EQ(harness->dialogs.beeps, 0);
    EXPECT_EQ(mentionRequests().size(), 2u);
    EXPECT_EQ(FileBytes(output), joinLines(ExpectedMentionLines(QStringLiteral("twitter"), 200)));
}

TEST_F(Fetch, AClickDuringAFetchIsIgnored)
{
    ServiceScript script;
    script.profiles = {{QStringLiteral("7"), QStringLiteral("Prof"), 300}};
    open(300, 0, script);
    AppHarness* h = harness.get();
    harness->service.setHandler([script, h](const Request& request) {
        if (request.value(QStringLiteral("page_number")) == std::optional<QString>(QStringLiteral("1")))
            QMetaObject::invokeMethod(QCoreApplication::instance(), [h] { h->click(); }, Qt::QueuedConnection);
        return FakeService::scriptedAnswer(script, request);
    });
    fetchInto(output);
    EXPECT_EQ(harness->dialogs.messages, std::vector<QString>{kDone});
    EXPECT_EQ(harness->dialogs.saveDefaultNames.size(), 1u);
    EXPECT_EQ(mentionRequests().size(), 3u);
}
