// The fetch against a plain shell loop running the same pipelines, and against the loop a
// user would write by hand; then the fetch's peak memory for many pages against few.
//
//   fetch_bench              time: 500 pages of 100 mentions, app vs shell loop of its own
//                            lines vs hand-written loop, each file checked against the
//                            expected lines; then the memory figures, each measured in a
//                            fresh process
//   fetch_bench --pages N    one fetch of N pages; prints this process's peak memory
#include "bench_support.h"

#include "client/command_lines.h"
#include "client/service.h"

#include "platform/files.h"
#include "platform/shell.h"
#include "platform/testing.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>
#include <cstring>

namespace {

struct Run {
    double seconds = 0;
    long peakKb = 0;
    qint64 bytes = 0;
    QByteArray digest;   // of the file written; empty when it could not be read
};

const QString kSegment = QStringLiteral("twitter");
const QString kTag = QStringLiteral("message");
const QString kProfileId = QStringLiteral("7");

// Read in pieces, so that taking it costs the fetch's own process no memory worth naming.
QByteArray fileDigest(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return {};
    return hash.result();
}

// The file every run must write: the service's mentions, one a line.
QByteArray expectedDigest(int pages)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QByteArray& line : pwtest::ExpectedMentionLines(kSegment, static_cast<std::int64_t>(pages) * 100)) {
        hash.addData(line);
        hash.addData("\n");
    }
    return hash.result();
}

pwtest::ServiceScript scriptFor(int pages)
{
    pwtest::ServiceScript script;
    script.profiles = {{QStringLiteral("7"), QStringLiteral("Bench"), static_cast<std::int64_t>(pages) * 100}};
    return script;
}

Run appFetch(int pages)
{
    const pwtest::ServiceScript script = scriptFor(pages);
    bench::ServedEnvironment env(script);
    env.storeKey(script.validKey.toLatin1());
    pwtest::ScriptedDialogs dialogs;
    app::Initialize();
    platform::RunFrameworkInitialization(app::Startup);
    Window1* window = Window1::implicitInstance();
    platform::test::SetListIndex(window->control<platform::PopupMenu>(QStringLiteral("profilemenu")), 1);
    const QString output = env.path(QStringLiteral("app.txt"));
    dialogs.saveAnswers.push_back(output);

    const auto start = std::chrono::steady_clock::now();
    window->control<platform::PushButton>(QStringLiteral("PushButton1")).Push();
    Run run;
    run.seconds = bench::secondsSince(start);
    run.peakKb = bench::peakKilobytes();
    run.bytes = QFileInfo(output).size();
    run.digest = fileDigest(output);
    if (dialogs.messages != std::vector<QString>{QStringLiteral("Done!")})
        std::printf("warning: the fetch ended with \"%s\"\n",
                    dialogs.messages.empty() ? "" : dialogs.messages.back().toUtf8().constData());
    app::Finalize();
    return run;
}

// lines, one page each, as one script run by one shell; it writes output.
Run timeScript(const bench::ServedEnvironment& env, const QByteArray& lines, const QString& output)
{
    QFile file(env.path(QStringLiteral("loop.sh")));
    file.open(QIODevice::WriteOnly);
    file.write(lines);
    file.close();

    const auto start = std::chrono::steady_clock::now();
    platform::Shell shell;
    shell.Execute(QStringLiteral("sh ") + platform::FolderItem(file.fileName()).ShellPath());
    Run run;
    run.seconds = bench::secondsSince(start);
    run.bytes = QFileInfo(output).size();
    run.digest = fileDigest(output);
    return run;
}

// The same pipelines, one after another in one shell.
Run shellLoop(int pages)
{
    const pwtest::ServiceScript script = scriptFor(pages);
    bench::ServedEnvironment env(script);
    const QString output = env.path(QStringLiteral("loop.txt"));
    const QString path = platform::FolderItem(output).ShellPath();
    const QString scratch = platform::FolderItem(env.path(QStringLiteral("page.xml"))).ShellPath();
    QByteArray lines;
    for (int page = 0; page < pages; ++page) {
        const std::optional<std::int64_t> number = page == 0 ? std::nullopt : std::optional<std::int64_t>(page);
        lines += commands::Mentions(kSegment, kTag, kProfileId, number, script.validKey, path, scratch).toUtf8() +
                 "\n";
    }
    return timeScript(env, lines, output);
}

// The loop a user would write by hand: each page streamed from curl through grep and sed
// straight into the file, with no scratch file and no status check. It asks for the same
// addresses as the fetch and runs in the same C locale.
Run handLoop(int pages)
{
    const pwtest::ServiceScript script = scriptFor(pages);
    bench::ServedEnvironment env(script);
    const QString output = env.path(QStringLiteral("hand.txt"));
    const QString path = platform::FolderItem(output).ShellPath();
    QByteArray lines;
    for (int page = 0; page < pages; ++page) {
        QString address = service::kBaseAddress + QStringLiteral("/api/") + kSegment +
                          QStringLiteral("/mentions?profile_id=") + kProfileId;
        if (page > 0)
            address += QStringLiteral("&page_number=") + QString::number(page);
        address += QStringLiteral("&api_key=") + script.validKey;
        lines += (QStringLiteral("curl -s '") + address + QStringLiteral("' | grep '<") + kTag +
                  QStringLiteral(">' | sed 's/^[ ]*<") + kTag + QStringLiteral(">//' | sed 's/<\\/") + kTag +
                  QStringLiteral(">.*//' >> ") + path)
                     .toUtf8() +
                 "\n";
    }
    return timeScript(env, lines, output);
}

long peakInFreshProcess(const char* self, int pages)
{
    QProcess child;
    child.start(QString::fromLocal8Bit(self), {QStringLiteral("--pages"), QString::number(pages)});
    child.waitForFinished(-1);
    return QString::fromLatin1(child.readAllStandardOutput()).trimmed().toLong();
}

} // namespace

int main(int argc, char** argv)
{
    bench::Environment setup;
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pondwhirl-downloader"));

    if (argc == 3 && std::strcmp(argv[1], "--pages") == 0) {
        const Run run = appFetch(std::atoi(argv[2]));
        std::printf("%ld\n", run.peakKb);
        return 0;
    }

    // Alternated, best of three each, so no side pays alone for a cold cache or a busy
    // moment of the machine.
    constexpr int kPages = 500;
    Run loop, hand, fetch;
    for (int round = 0; round < 3; ++round) {
        const Run l = shellLoop(kPages);
        const Run h = handLoop(kPages);
        const Run f = appFetch(kPages);
        if (round == 0 || l.seconds < loop.seconds)
            loop = l;
        if (round == 0 || h.seconds < hand.seconds)
            hand = h;
        if (round == 0 || f.seconds < fetch.seconds)
            fetch = f;
    }
    std::printf("fetch of 500 pages (best of 3): application %.2f s, shell loop %.2f s, ratio %.3f (target <= 1.10); "
                "%lld and %lld bytes written\n",
                fetch.seconds, loop.seconds, fetch.seconds / loop.seconds, static_cast<long long>(fetch.bytes),
                static_cast<long long>(loop.bytes));
    std::printf("against a hand-written loop (one shell, curl -s URL | grep | sed | sed >> FILE for each page; "
                "best of 3): application %.2f s, hand loop %.2f s, ratio %.3f; %lld bytes written\n",
                fetch.seconds, hand.seconds, fetch.seconds / hand.seconds, static_cast<long long>(hand.bytes));
    std::printf("per page: application %.2f ms, shell loop %.2f ms, hand loop %.2f ms\n", fetch.seconds * 1000 / kPages,
                loop.seconds * 1000 / kPages, hand.seconds * 1000 / kPages);

    // A comparison with a loop that writes something else measures nothing.
    const QByteArray expected = expectedDigest(kPages);
    bool same = true;
    for (const auto& [name, run] : {std::pair{"application", &fetch}, std::pair{"shell loop", &loop},
                                    std::pair{"hand loop", &hand}}) {
        if (run->digest != expected) {
            std::printf("error: the %s's file is not the expected %d mentions, one a line\n", name, kPages * 100);
            same = false;
        }
    }
    if (same)
        std::printf("files: application, shell loop and hand loop each wrote the expected %d mentions\n",
                    kPages * 100);

    const long few = peakInFreshProcess(argv[0], 10);
    const long many = peakInFreshProcess(argv[0], 2000);
    std::printf("peak memory: 10 pages %ld kB, 2,000 pages %ld kB, difference %ld kB (target <= 5120 kB)\n", few, many,
                many - few);
    return same ? 0 : 1;
}
