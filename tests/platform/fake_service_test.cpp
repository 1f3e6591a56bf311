// The fake service as the real curl sees it: the tests of the program trust these answers,
// so they are checked through the same curl configuration the program's tests use.
#include "support/fake_service.h"
#include "support/test_env.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

namespace {

using pwtest::Answer;
using pwtest::FakeService;

constexpr int kBoundMs = 20000;

struct CurlResult {
    int exitCode = -1;
    QByteArray out;
};

// The real curl, with this process's CURL_HOME; the host is never resolved.
CurlResult RunCurl(const QStringList& args)
{
    QProcess curl;
    curl.start(QStringLiteral("curl"), args);
    if (!curl.waitForFinished(kBoundMs)) {
        curl.kill();
        curl.waitForFinished();
        return {};
    }
    return {curl.exitStatus() == QProcess::NormalExit ? curl.exitCode() : -1, curl.readAllStandardOutput()};
}

QString Url(const QString& target) { return QStringLiteral("http://api.pondwhirl.com") + target; }

CurlResult RunShell(const QString& line)
{
    QProcess sh;
    sh.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), line});
    if (!sh.waitForFinished(kBoundMs)) {
        sh.kill();
        sh.waitForFinished();
        return {};
    }
    return {sh.exitCode(), sh.readAllStandardOutput()};
}

TEST(FakeService, ScriptedAnswersReachTheRealCurlAndSplitAsTheProgramReadsThem)
{
    FakeService service;
    pwtest::ServiceScript script;
    script.profiles = {{QStringLiteral("7"), QStringLiteral("Acme"), 150},
                       {QStringLiteral("9"), QStringLiteral("Beta"), 0}};
    service.setScript(script);
    service.writeCurlConfig(pwtest::CurlHome());
    const QString key = script.validKey;

    const CurlResult list = RunCurl({QStringLiteral("-s"), Url("/api/profile/list_all?api_key=" + key)});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_EQ(list.out, pwtest::ProfileListXml(script.profiles));
    EXPECT_EQ(list.out.count("<profile>"), 2);

    const CurlResult refused = RunCurl({QStringLiteral("-s"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                                        QStringLiteral("-w"), QStringLiteral("%{http_code}"),
                                        Url(QStringLiteral("/api/profile/list_all?api_key=wrong"))});
    EXPECT_EQ(refused.out, "401");

    const CurlResult totals =
        RunShell("curl -s '" + Url("/api/profile/details?profile_id=7&api_key=" + key) + "' | grep '<total_[^>]*>'");
    EXPECT_TRUE(totals.out.startsWith("    <total_mentions>150</total_mentions>\n")) << totals.out.constData();

    // Pages 0, 1 and one past the end, cut out the way the fetch's pipelines do.
    for (const QString segment : {"twitter", "website", "video", "facebook"}) {
        const QString tag = pwtest::TagForSegment(segment);
        const QString file = pwtest::ScratchFolder() + QStringLiteral("/out.txt");
        for (const QString page : {"", "&page_number=1", "&page_number=2"}) {
            const QString target = "/api/" + segment + "/mentions?profile_id=7" + page + "&api_key=" + key;
            RunShell("curl -s '" + Url(target) + "' | grep '<" + tag + ">' | sed 's/^[ ]*<" + tag +
                     ">//' | sed 's/<\\/" + tag + ">.*//' >> '" + file + "'");
        }
        QFile written(file);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly)) << segment.toStdString();
        QList<QByteArray> lines = written.readAll().split('\n');
        ASSERT_EQ(lines.takeLast(), QByteArray());
        const std::vector<QByteArray> expected = pwtest::ExpectedMentionLines(segment, 150);
        EXPECT_EQ(std::vector<QByteArray>(lines.begin(), lines.end()), expected) << segment.toStdString();
        ASSERT_EQ(expected.size(), 150u);
        EXPECT_EQ(expected.back(), segment.toUtf8() + " mention 1-50");
    }

    const std::vector<pwtest::Request> requests = service.requests();
    ASSERT_EQ(requests.size(), 2u + 1u + 4u * 3u);
    for (const pwtest::Request& r : requests) {
        EXPECT_EQ(r.method, "GET");
        EXPECT_EQ(r.host, "api.pondwhirl.com");
    }
    EXPECT_EQ(service.requestsTo(QStringLiteral("/api/video/mentions")).size(), 3u);
}

TEST(FakeService, RecordsTheQueryPercentDecodedInOrderAndTheTargetAsSent)
{
    FakeService service;
    service.answerAll({200, "ok", Answer::Mode::Normal});
    service.writeCurlConfig(pwtest::CurlHome());

    const QByteArray target =
        "/api/x?b=%27%20%22%24&a=1+2&%6B%65y=%E2%82%AC&flag&empty=&odd=%zz%4&b=second&amp=%26%3D%23";
    const CurlResult r = RunCurl({QStringLiteral("-s"), QStringLiteral("--globoff"), Url(QString::fromLatin1(target))});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "ok");

    const std::vector<pwtest::Request> requests = service.requests();
    ASSERT_EQ(requests.size(), 1u);
    const pwtest::Request& got = requests[0];
    EXPECT_EQ(got.rawTarget, target);
    EXPECT_EQ(got.path, "/api/x");
    const std::vector<std::pair<QString, QString>> expected = {
        {"b", "' \"$"}, {"a", "1+2"}, {"key", QString::fromUtf8("\xE2\x82\xAC")}, {"flag", ""},
        {"empty", ""}, {"odd", "%zz%4"}, {"b", "second"}, {"amp", "&=#"}};
    EXPECT_EQ(got.query, expected);
    EXPECT_EQ(got.value(QStringLiteral("b")), QStringLiteral("' \"$"));   // the first of two
    EXPECT_EQ(got.value(QStringLiteral("missing")), std::nullopt);
}

TEST(FakeService, FaultModesFailTheRequestAsCurlReportsIt)
{
    const QByteArray body(1000, 'x');
    struct Case {
        const char* name;
        Answer answer;
        int curlExit;          // with --fail
        qsizetype bytesOut;
    } cases[] = {
        {"normal", {200, body, Answer::Mode::Normal}, 0, 1000},
        {"cut mid-body", {200, body, Answer::Mode::CutMidBody}, 18, 500},
        {"cut, empty body", {200, {}, Answer::Mode::CutMidBody}, 18, 0},
        {"closed unanswered", {200, body, Answer::Mode::Close}, 52, 0},
        {"status 500", {500, {}, Answer::Mode::Normal}, 22, 0},
    };
    FakeService service;
    service.writeCurlConfig(pwtest::CurlHome());
    for (const Case& c : cases) {
        service.answerAll(c.answer);
        const CurlResult r = RunCurl({QStringLiteral("-s"), QStringLiteral("--fail"), Url(QStringLiteral("/api/x"))});
        EXPECT_EQ(r.exitCode, c.curlExit) << c.name;
        EXPECT_EQ(r.out.size(), c.bytesOut) << c.name;
    }
    EXPECT_EQ(service.requests().size(), std::size(cases));
}

TEST(FakeService, StalledAnswerEndsWhenTheServerIsDestroyed)
{
    auto service = std::make_unique<FakeService>();
    service->answerAll({200, QByteArray(1000, 's'), Answer::Mode::Stall});
    service->writeCurlConfig(pwtest::CurlHome());

    // A client with a time-out of its own sees a stall, not an early end (exit 18).
    const CurlResult bounded = RunCurl({QStringLiteral("-s"), QStringLiteral("--max-time"), QStringLiteral("1"),
                                        Url(QStringLiteral("/api/x"))});
    EXPECT_EQ(bounded.exitCode, 28);
    EXPECT_EQ(bounded.out, QByteArray(500, 's'));

    // Without one, only the server's stop can end the request.
    QProcess curl;
    curl.start(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("--no-buffer"), Url(QStringLiteral("/api/x"))});
    QByteArray out;
    const QDeadlineTimer deadline(kBoundMs);
    while (out.size() < 500 && !deadline.hasExpired() && curl.state() != QProcess::NotRunning) {
        curl.waitForReadyRead(100);
        out += curl.readAllStandardOutput();
    }
    ASSERT_EQ(out, QByteArray(500, 's'));

    service.reset();
    ASSERT_TRUE(curl.waitForFinished(kBoundMs));
    EXPECT_EQ(curl.exitCode(), 18);   // the announced body never came
}

TEST(FakeService, ALateAnswerComesWholeAfterItsDelayUnlessTheServerStopsFirst)
{
    auto service = std::make_unique<FakeService>();
    service->writeCurlConfig(pwtest::CurlHome());
    Answer late{200, QByteArray(1000, 'l'), Answer::Mode::Normal};
    late.delay = std::chrono::milliseconds(700);
    service->answerAll(late);
    QElapsedTimer clock;
    clock.start();
    const CurlResult whole = RunCurl({QStringLiteral("-s"), QStringLiteral("--fail"), Url(QStringLiteral("/api/x"))});
    EXPECT_EQ(whole.exitCode, 0);
    EXPECT_EQ(whole.out, QByteArray(1000, 'l'));
    EXPECT_GE(clock.elapsed(), 700);

    // The script makes a page late by its number.
    pwtest::ServiceScript script;
    script.profiles = {{QStringLiteral("7"), QStringLiteral("Acme"), 300}};
    script.pageDelays[1] = std::chrono::seconds(3);
    pwtest::Request page;
    page.path = QStringLiteral("/api/video/mentions");
    page.query = {{"profile_id", "7"}, {"page_number", "1"}, {"api_key", script.validKey}};
    EXPECT_EQ(FakeService::scriptedAnswer(script, page).delay, std::chrono::seconds(3));
    page.query[1].second = QStringLiteral("2");
    EXPECT_EQ(FakeService::scriptedAnswer(script, page).delay, std::chrono::milliseconds(0));

    // Stopped during the wait, the server sends nothing and does not wait it out.
    late.delay = std::chrono::seconds(60);
    service->answerAll(late);
    QProcess curl;
    curl.start(QStringLiteral("curl"), {QStringLiteral("-s"), Url(QStringLiteral("/api/x"))});
    const QDeadlineTimer deadline(kBoundMs);
    while (service->requests().size() < 2 && !deadline.hasExpired())
        QThread::msleep(10);
    ASSERT_EQ(service->requests().size(), 2u);
    clock.restart();
    service.reset();
    EXPECT_LT(clock.elapsed(), kBoundMs);
    ASSERT_TRUE(curl.waitForFinished(kBoundMs));
    EXPECT_EQ(curl.exitCode(), 52);   // an empty reply
    EXPECT_TRUE(curl.readAllStandardOutput().isEmpty());
}

TEST(FakeService, EndlessAnswerRepeatsTheBodyUntilTheClientGoesOrTheServerStops)
{
    auto service = std::make_unique<FakeService>();
    service->answerAll({200, QByteArrayLiteral("<profile>"), Answer::Mode::Endless});
    service->writeCurlConfig(pwtest::CurlHome());

    // A client that takes what it wants and goes.
    const CurlResult taken = RunShell(QStringLiteral("curl -s '%1' | head -c 9000000 | grep -o '<profile>' | wc -l")
                                          .arg(Url(QStringLiteral("/api/x"))));
    EXPECT_EQ(taken.out.trimmed(), QByteArray("1000000"));

    // One that never goes is ended only by its own limit, or by the server's stop.
    const CurlResult bounded = RunCurl({QStringLiteral("-s"), QStringLiteral("--max-time"), QStringLiteral("1"),
                                        QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("-w"),
                                        QStringLiteral("%{size_download}"), Url(QStringLiteral("/api/x"))});
    EXPECT_EQ(bounded.exitCode, 28);
    EXPECT_GT(bounded.out.toLongLong(), 1'000'000);

    QProcess curl;
    curl.start(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                                        Url(QStringLiteral("/api/x"))});
    ASSERT_TRUE(curl.waitForStarted(kBoundMs));
    const QDeadlineTimer deadline(kBoundMs);
    while (service->requests().size() < 3 && !deadline.hasExpired())
        QThread::msleep(10);
    service.reset();
    ASSERT_TRUE(curl.waitForFinished(kBoundMs));
}

} // namespace
