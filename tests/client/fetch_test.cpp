// The fetch: requests, progress, the output file, and every failure told.
#include "support/app_harness.h"

#include "client/quit_support.h"
#include "support/signal_catcher.h"

#include "platform/testing.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QMetaObject>
#include <QProgressBar>
#include <QScopeGuard>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

using namespace pwtest;
using namespace Qt::StringLiterals;

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
        ASSERT_EQ(platform::test::ListCount(harness->profileMenu()), 2);
        platform::test::SetListIndex(harness->profileMenu(), 1);
        platform::test::SetListIndex(harness->platformMenu(), platformRow);
        harness->service.clearRequests();
        harness->dialogs.messages.clear();
        auto* bar = qobject_cast<QProgressBar*>(harness->bar().widget());
        QObject::connect(bar, &QProgressBar::valueChanged, bar, [this](int shown) { shownValues.push_back(shown); });
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

// Keys typed during a page's line reach the key field before the next page's line is
// built: each page asks with the key the field holds then.
TEST_F(Fetch, KeysTypedDuringAPageReachTheNextPagesRequest)
{
    const auto removeKey = qScopeGuard([] { QFile::remove(PrefsFilePath()); });
    open(250);
    QWidget* field = harness->keyField().widget();
    ServiceScript script;
    script.profiles = {{QStringLiteral("7"), QStringLiteral("Prof"), 250}};
    harness->service.setHandler([field, script](const Request& request) {
        if (request.path == QStringLiteral("/api/twitter/mentions") && !request.value(QStringLiteral("page_number")))
            TypeWhileTheLineRuns(field, QStringLiteral("X"));
        // The script knows one key; here any key answers as that one.
        Request asValid = request;
        for (auto& [key, value] : asValid.query)
            if (key == QStringLiteral("api_key"))
                value = script.validKey;
        return FakeService::scriptedAnswer(script, asValid);
    });
    fetchInto(output);
    EXPECT_EQ(harness->dialogs.messages, std::vector<QString>{kDone});
    std::vector<std::optional<QString>> keys;
    for (const Request& r : mentionRequests())
        keys.push_back(r.value(QStringLiteral("api_key")));
    const QString typed = kValidKey + QStringLiteral("X");
    EXPECT_EQ(keys, (std::vector<std::optional<QString>>{kValidKey, typed, typed}));
    EXPECT_EQ(FileBytes(output), joinLines(ExpectedMentionLines(QStringLiteral("twitter"), 250)));
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
        "  <message>a NUL \0 inside</message>\n"
        "  <other>not a mention</other>\n"
        "</mentions>"_qba;   // no line end after the last line
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
                                            "caf\xc3\xa9 \xff\xfe &amp; &#233;\n"
                                            "a NUL \0 inside\n"_qba));
}

TEST_F(Fetch, WithoutATotalTellsSoAndLeavesTheChosenFileAlone)
{
    const struct {
        const char* label;
        bool withoutTotal;
        int status;
        Answer::Mode mode = Answer::Mode::Normal;
    } cases[] = {{"no total element", true, 200},
                 {"service error", false, 500},
                 {"refused key", false, 401},
                 {"redirect", false, 302},
                 {"no content", false, 204},
                 // Totals without end, at full speed: kept neither in memory nor on disk.
                 {"endless answer", false, 200, Answer::Mode::Endless}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ServiceScript script;
        script.detailsWithoutTotal = c.withoutTotal;
        script.detailsStatus = c.status;
        script.detailsMode = c.mode;
        ResetPeakMemory();
        open(250, 0, script);
        WriteFile(output, "keep me\n");
        fetchInto(output);
        EXPECT_EQ(harness->dialogs.messages, std::vector<QString>{kTotalUnreadable});
        EXPECT_EQ(harness->dialogs.beeps, 0);
        EXPECT_TRUE(mentionRequests().empty());
        EXPECT_EQ(FileBytes(output), QByteArray("keep me\n"));
        EXPECT_LT(PeakMegabytes(), 256);   // whatever the service sends
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

// In pwtest, where the table printer (support/printers.h) finds it.
namespace pwtest {
inline namespace {

struct PageFault {
    const char* label;
    std::optional<Answer::Mode> mode;
    int status;
};

} // namespace
} // namespace pwtest

namespace {

class FailedPage : public Fetch, public ::testing::WithParamInterface<PageFault> {};

} // namespace

TEST_P(FailedPage, StopsTheFetchAndSaysTheFileIsIncomplete)
{
    const PageFault& fault = GetParam();
    ServiceScript script;
    if (fault.mode)
        script.pageModes[1] = *fault.mode;
    else
        script.pageStatus[1] = fault.status;
    open(300, 0, script);
    // The real stall limit, lowered: curl still judges a really silent connection.
    service::requestLimits = {5, 1};
    fetchInto(output);

    EXPECT_EQ(harness->dialogs.messages, std::vector<QString>{kIncomplete});
    EXPECT_EQ(harness->dialogs.beeps, 0);
    // Page 2 of 3 failed: no third request.
    EXPECT_EQ(harness->service.requestsTo(QStringLiteral("/api/twitter/mentions")).size(), 2u);
    // The first page is there, nothing of the failed one.
    std::vector<QByteArray> firstPage = ExpectedMentionLines(QStringLiteral("twitter"), 100);
    EXPECT_EQ(FileBytes(output), joinLines(firstPage));
}

INSTANTIATE_TEST_SUITE_P(Fetch, FailedPage,
                         ::testing::Values(PageFault{"Status500", std::nullopt, 500},
                                           PageFault{"Status302", std::nullopt, 302},
                                           PageFault{"Status204", std::nullopt, 204},
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

// A file-size limit, as `ulimit -f` sets, makes the output file full for the line's
// processes, which inherit it: a write failure any user can bring about.
TEST_F(Fetch, AFileThatReachesItsSizeLimitIsTold)
{
    open(1500);
    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    // Room for a whole page as it comes (about 9 kB), not for the file of ten pages.
    rlimit limited = saved;
    limited.rlim_cur = 16 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    fetchInto(output);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);

    EXPECT_EQ(harness->dialogs.messages, std::vector<QString>{kNotWritten});
    EXPECT_EQ(harness->dialogs.beeps, 0);
    const std::size_t pages = mentionRequests().size();
    EXPECT_GT(pages, 1u);
    EXPECT_LT(pages, 15u);   // stopped at the page that did not fit
    // Every page before the one that did not fit, whole, and nothing of that one.
    ASSERT_GE(pages, 1u);
    EXPECT_EQ(FileBytes(output),
              joinLines(ExpectedMentionLines(QStringLiteral("twitter"), static_cast<std::int64_t>(pages - 1) * 100)));
}

namespace {

// The file curl is writing its answer to (its -o argument), for every curl this process
// runs now.
QStringList curlOutputFiles()
{
    QStringList files;
    for (const pid_t pid : RunningDescendants()) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> args = cmdline.readAll().split('\0');
        if (args.isEmpty() || !args[0].endsWith("curl"))
            continue;
        for (qsizetype i = 0; i + 1 < args.size(); ++i)
            if (args[i] == "-o")
                files << QFile::decodeName(args[i + 1]);
    }
    return files;
}

} // namespace

TEST_F(Fetch, TheAnswersAreKeptInTheTemporaryFolderOrTheFetchSaysItCannotBe)
{
    const QString kNoScratch = QStringLiteral(
        "Sorry, a temporary file could not be created! Check that the temporary folder can be written.");
    const EnvironmentGuard environment;
    const TmpdirTable table;
    ASSERT_TRUE(table.ready());
    ServiceScript script;
    script.profiles = {{QStringLiteral("7"), QStringLiteral("Prof"), 150}};
    open(150, 0, script);
    std::mutex mutex;
    QStringList seen;
    harness->service.setHandler([&, script](const Request& request) {
        if (request.path == QStringLiteral("/api/profile/details")) {
            std::lock_guard lock(mutex);
            seen += curlOutputFiles();
        }
        return FakeService::scriptedAnswer(script, request);
    });
    const QStringList atRoot = TmpdirTable::FoldersAtRoot();
    for (const auto& c : table.cases()) {
        SCOPED_TRACE(c.label);
        TmpdirTable::Apply(c);
        harness->dialogs.messages.clear();
        harness->service.clearRequests();
        seen.clear();
        WriteFile(output, "keep me\n");
        fetchInto(output);
        EXPECT_EQ(TmpdirTable::FoldersAtRoot(), atRoot);
        if (c.madeIn.isEmpty()) {
            EXPECT_EQ(harness->dialogs.messages, std::vector<QString>{kNoScratch});
            EXPECT_TRUE(harness->service.requests().empty());
            EXPECT_EQ(FileBytes(output), QByteArray("keep me\n"));
            continue;
        }
        EXPECT_EQ(harness->dialogs.messages, std::vector<QString>{kDone});
        EXPECT_EQ(FileBytes(output), joinLines(ExpectedMentionLines(QStringLiteral("twitter"), 150)));
        std::lock_guard lock(mutex);
        ASSERT_EQ(seen.size(), 1);
        // <folder>/shell-XXXXXX/scratch
        EXPECT_EQ(QFileInfo(QFileInfo(seen[0]).path()).path(), c.madeIn);
    }
}

// A full device adds what the size limit cannot show: a device chosen as the output is
// written to, never deleted.
TEST_F(Fetch, AFullDeviceIsToldAndKept)
{
    const QString device = ScratchFolder() + QStringLiteral("/full");
    if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        GTEST_SKIP() << "making a device node needs privileges this run does not have (mknod: "
                     << std::strerror(errno) << ")";
    open(150);
    fetchInto(device);
    EXPECT_EQ(harness->dialogs.messages, std::vector<QString>{kNotWritten});
    EXPECT_EQ(harness->dialogs.beeps, 0);
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

// The total's reader has its own table (answers_test.cpp); this is its wiring: the number
// at the start of the text counts, and a total below one writes an empty file.
TEST(FetchTotal, TheNumberReadFromTheDetailsDrivesThePages)
{
    const struct {
        const char* label;
        const char* text;   // inside <total_mentions>
        std::int64_t pages;
        std::int64_t lines;
    } cases[] = {{"number then letters", "250abc", 3, 250}, {"negative", "-5", 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const auto removeKey = qScopeGuard([] { QFile::remove(PrefsFilePath()); });
        ServiceScript script;
        script.profiles = {{QStringLiteral("7"), QStringLiteral("Prof"), c.lines}};
        StoreKey(script.validKey.toLatin1());
        AppHarness harness(script);
        const QByteArray details = "<?xml version=\"1.0\"?>\n<profile>\n  <total_mentions>" + QByteArray(c.text) +
                                   "</total_mentions>\n  <total_twitter>40</total_twitter>\n</profile>\n";
        harness.service.setHandler([script, details](const Request& request) {
            if (request.path == QStringLiteral("/api/profile/details"))
                return Answer{200, details};
            return FakeService::scriptedAnswer(script, request);
        });
        harness.start();
        platform::test::SetListIndex(harness.profileMenu(), 1);
        harness.dialogs.messages.clear();
        const QString output = ScratchFolder() + QStringLiteral("/out.txt");
        WriteFile(output, "old content\n");
        harness.dialogs.saveAnswers.push_back(output);
        harness.click();

        EXPECT_EQ(harness.dialogs.messages, std::vector<QString>{kDone});
        EXPECT_EQ(harness.service.requestsTo(QStringLiteral("/api/twitter/mentions")).size(),
                  static_cast<std::size_t>(c.pages));
        EXPECT_TRUE(QFileInfo(output).isFile());
        EXPECT_EQ(FileBytes(output), joinLines(ExpectedMentionLines(QStringLiteral("twitter"), c.lines)));
    }
}

TEST_F(Fetch, APageOfNoMentionIsStillAPage)
{
    ServiceScript script;
    script.profiles = {{QStringLiteral("7"), QStringLiteral("Prof"), 300}};
    open(300, 0, script);
    harness->service.setHandler([script](const Request& request) {
        if (request.value(QStringLiteral("page_number")) == std::optional<QString>(QStringLiteral("1")))
            return Answer{200, MentionsPageXml(QStringLiteral("twitter"), QStringLiteral("message"), 1, 0)};
        return FakeService::scriptedAnswer(script, request);
    });
    fetchInto(output);
    EXPECT_EQ(harness->dialogs.messages, std::vector<QString>{kDone});
    EXPECT_EQ(mentionRequests().size(), 3u);
    std::vector<QByteArray> lines = ExpectedMentionLines(QStringLiteral("twitter"), 300);
    lines.erase(lines.begin() + 100, lines.begin() + 200);
    EXPECT_EQ(FileBytes(output), joinLines(lines));
}

namespace {

enum class Stalls { Details, SecondPage };
enum class Ends { Quit, CloseWindow, Signal };

struct EndCase {
    const char* label;
    Stalls stalls;
    Ends ends;
    int signal = 0;   // Ends::Signal: sent to this process from the service's thread
};

// A fetch whose request stalls, ended by a quit, by closing the window or by a signal from
// outside while it waits.
class EndedFetch : public Fetch, public ::testing::WithParamInterface<EndCase> {
protected:
    void TearDown() override
    {
        ResumeAfterQuit();
        // The runtime's shut-down gives the signals back what they had: the catcher's.
        harness.reset();
        EXPECT_EQ(platform::RuntimeExit(), 0);
        for (int signal : SignalCatcher::kSignals)
            EXPECT_TRUE(SignalCatcher::Catches(signal)) << signal;
        QFile::remove(PrefsFilePath());
    }

    const SignalCatcher catcher;   // before the runtime takes the signals over
    const EnvironmentGuard environment;   // puts TMPDIR back
};

} // namespace

TEST_P(EndedFetch, EndsAtOnceWithWholePagesAndNothingLeftRunning)
{
    const EndCase& c = GetParam();
    // The command runner's scratch folder is made here, so what stays of it shows.
    const QString temporary = ScratchFolder();
    qputenv("TMPDIR", QFile::encodeName(temporary));
    ServiceScript script;
    script.profiles = {{QStringLiteral("7"), QStringLiteral("Prof"), 300}};   // the handler answers from it too
    if (c.stalls == Stalls::SecondPage)
        script.pageModes[1] = Answer::Mode::Stall;
    open(300, 0, script);
    // Should the end not come, the fetch fails in seconds instead of a minute.
    service::requestLimits = {5, 1};
    WriteFile(output, "keep me\n");

    std::mutex mutex;
    std::set<pid_t> lineProcesses;
    QStringList temporaryWhileRunning;
    std::chrono::steady_clock::time_point endedAt;
    QMainWindow* window = platform::test::QtWindow(harness->window());
    const bool stallsDetails = c.stalls == Stalls::Details;
    harness->service.setHandler([&, script, stallsDetails, ends = c.ends, signal = c.signal](const Request& request) {
        const bool details = request.path == QStringLiteral("/api/profile/details");
        const bool secondPage = request.value(QStringLiteral("page_number")) == std::optional<QString>(QStringLiteral("1"));
        if (details == stallsDetails && (details || secondPage)) {
            {
                std::lock_guard lock(mutex);
                lineProcesses = RunningDescendants();
                temporaryWhileRunning = QDir(temporary).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
            }
            if (ends == Ends::Signal) {
                {
                    std::lock_guard lock(mutex);
                    endedAt = std::chrono::steady_clock::now();
                }
                ::kill(::getpid(), signal);
            } else {
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(),
                    [&, ends] {
                        endedAt = std::chrono::steady_clock::now();
                        if (ends == Ends::Quit)
                            platform::Quit();
                        else
                            window->close();
                    },
                    Qt::QueuedConnection);
            }
            if (details) {
                Answer stalled = FakeService::scriptedAnswer(script, request);
                stalled.mode = Answer::Mode::Stall;
                return stalled;
            }
        }
        return FakeService::scriptedAnswer(script, request);
    });
    fetchInto(output);
    const auto now = std::chrono::steady_clock::now();
    std::unique_lock lock(mutex);
    const double seconds = std::chrono::duration<double>(now - endedAt).count();
    const std::set<pid_t> caughtRunning = lineProcesses;
    const QStringList temporaryAtTheStall = temporaryWhileRunning;
    lock.unlock();

    ASSERT_TRUE(platform::QuitRequested());
    std::printf("the fetch ended %.3f s after the %s\n", seconds,
                c.ends == Ends::Quit ? "quit" : c.ends == Ends::CloseWindow ? "close" : "signal");
    EXPECT_LT(seconds, 5.0);   // asked: within 2 s; slack for a loaded machine
    EXPECT_TRUE(harness->dialogs.messages.empty());
    EXPECT_EQ(harness->dialogs.beeps, 0);
    EXPECT_EQ(SignalCatcher::Caught(), 0);   // a signal went to the runtime
    if (c.stalls == Stalls::Details) {
        EXPECT_EQ(FileBytes(output), QByteArray("keep me\n"));
        EXPECT_TRUE(harness->service.requestsTo(QStringLiteral("/api/twitter/mentions")).empty());
    } else {
        EXPECT_EQ(FileBytes(output), joinLines(ExpectedMentionLines(QStringLiteral("twitter"), 100)));
        EXPECT_EQ(harness->service.requestsTo(QStringLiteral("/api/twitter/mentions")).size(), 2u);
    }
    EXPECT_FALSE(caughtRunning.empty());   // the line was caught running
    EXPECT_TRUE(AllEnded(caughtRunning));
    EXPECT_TRUE(RunningDescendants().empty());
    EXPECT_FALSE(temporaryAtTheStall.isEmpty());   // the scratch folder was there
    EXPECT_EQ(QDir(temporary).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Fetch, EndedFetch,
                         ::testing::Values(EndCase{"QuitDuringTheDetails", Stalls::Details, Ends::Quit},
                                           EndCase{"QuitDuringAPage", Stalls::SecondPage, Ends::Quit},
                                           EndCase{"CloseDuringAPage", Stalls::SecondPage, Ends::CloseWindow},
                                           EndCase{"SigtermDuringAPage", Stalls::SecondPage, Ends::Signal, SIGTERM},
                                           EndCase{"SigintDuringAPage", Stalls::SecondPage, Ends::Signal, SIGINT},
                                           EndCase{"SighupDuringAPage", Stalls::SecondPage, Ends::Signal, SIGHUP}),
                         [](const auto& info) { return std::string(info.param.label); });

// A pipe with no reader chosen as the output blocks the append itself, not curl.
TEST_F(Fetch, QuitEndsAnAppendBlockedOnAPipeWithoutReader)
{
    const auto resume = qScopeGuard([] {
        ResumeAfterQuit();
        QFile::remove(PrefsFilePath());
    });
    open(150);
    const QString fifo = ScratchFolder() + QStringLiteral("/fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    std::chrono::steady_clock::time_point quitAt;
    ServiceScript script;
    script.profiles = {{QStringLiteral("7"), QStringLiteral("Prof"), 150}};
    harness->service.setHandler([script, &quitAt](const Request& request) {
        if (request.path.endsWith(QStringLiteral("/mentions"))) {
            // Well after the page has arrived: the line then waits for a reader.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [&quitAt] {
                    QTimer::singleShot(300, qApp, [&quitAt] {
                        quitAt = std::chrono::steady_clock::now();
                        platform::Quit();
                    });
                },
                Qt::QueuedConnection);
        }
        return FakeService::scriptedAnswer(script, request);
    });
    fetchInto(fifo);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - quitAt).count();
    std::printf("the fetch ended %.3f s after the quit\n", seconds);
    ASSERT_TRUE(platform::QuitRequested());
    EXPECT_LT(seconds, 5.0);
    EXPECT_TRUE(harness->dialogs.messages.empty());
    EXPECT_EQ(mentionRequests().size(), 1u);
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &after), 0);
    EXPECT_TRUE(S_ISFIFO(after.st_mode));
    EXPECT_TRUE(AllEnded(RunningDescendants()));
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
