// The fetch against a plain shell loop running the same pipelines, and the fetch's peak
// memory for many pages against few.
//
//   fetch_bench              time: 500 pages of 100 mentions, app vs shell loop; then the
//                            memory figures, each measured in a fresh process
//   fetch_bench --pages N    one fetch of N pages; prints this process's peak memory
#include "bench_support.h"

#include "client/command_lines.h"

#include "platform/files.h"
#include "platform/shell.h"

#include <QFileInfo>
#include <QProcess>
#include <cstdio>
#include <cstring>

namespace {

struct Run {
    double seconds = 0;
    long peakKb = 0;
    qint64 bytes = 0;
};

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
    window->control<platform::PopupMenu>(QStringLiteral("profilemenu")).SetListIndex(1);
    const QString output = env.path(QStringLiteral("app.txt"));
    dialogs.saveAnswers.push_back(output);

    const auto start = std::chrono::steady_clock::now();
    window->control<platform::PushButton>(QStringLiteral("PushButton1")).Push();
    Run run;
    run.seconds = bench::secondsSince(start);
    run.peakKb = bench::peakKilobytes();
    run.bytes = QFileInfo(output).size();
    if (dialogs.messages != std::vector<QString>{QStringLiteral("Done!")})
        std::printf("warning: the fetch ended with \"%s\"\n",
                    dialogs.messages.empty() ? "" : dialogs.messages.back().toUtf8().constData());
    app::Finalize();
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
        lines += commands::Mentions(QStringLiteral("twitter"), QStringLiteral("message"), QStringLiteral("7"), number,
                                    script.validKey, path, scratch)
                     .toUtf8() +
                 "\n";
    }
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
    return run;
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

    // Alternated, best of three each, so neither side pays alone for a cold cache or a
    // busy moment of the machine.
    Run loop, fetch;
    for (int round = 0; round < 3; ++round) {
        const Run l = shellLoop(500);
        const Run f = appFetch(500);
        if (round == 0 || l.seconds < loop.seconds)
            loop = l;
        if (round == 0 || f.seconds < fetch.seconds)
            fetch = f;
    }
    std::printf("fetch of 500 pages (best of 3): application %.2f s, shell loop %.2f s, ratio %.3f (target <= 1.10); "
                "%lld and %lld bytes written\n",
                fetch.seconds, loop.seconds, fetch.seconds / loop.seconds, static_cast<long long>(fetch.bytes),
                static_cast<long long>(loop.bytes));

    const long few = peakInFreshProcess(argv[0], 10);
    const long many = peakInFreshProcess(argv[0], 2000);
    std::printf("peak memory: 10 pages %ld kB, 2,000 pages %ld kB, difference %ld kB (target <= 5120 kB)\n", few, many,
                many - few);
    return 0;
}
