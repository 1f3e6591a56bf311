// The scripted fake service as a program of its own, for the end-to-end test and the
// benchmarks. It listens on 127.0.0.1 (a free port), writes the port to --port-file once
// listening, and serves until SIGTERM or SIGINT.
#include "support/fake_service.h"

#include <QFile>
#include <QSaveFile>

#include <csignal>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

void Usage()
{
    std::fputs(
        "usage: fake-pondwhirl --port-file FILE [options]\n"
        "       fake-pondwhirl --expected-lines SEGMENT TOTAL\n"
        "  (prints the lines a fetch of TOTAL mentions of SEGMENT writes, and exits)\n"
        "  --port-file FILE      write the listening port here (required)\n"
        "  --key KEY             the one API key the service accepts\n"
        "  --profiles N          add N profiles, ids 1..N, named \"Profile <id>\"\n"
        "  --total T             mentions of each profile added by --profiles (default 250)\n"
        "  --profile-id ID       start a profile of its own with this id\n"
        "  --profile-name NAME   the name of the profile started last\n"
        "  --profile-total T     the mentions of the profile started last (default --total)\n"
        "  --log FILE            append each request's target to FILE, one per line\n",
        stderr);
}

bool ParseCount(const char* text, std::int64_t& out)
{
    try {
        std::size_t used = 0;
        out = std::stoll(text, &used);
        return used == std::strlen(text);
    } catch (...) {
        return false;
    }
}

} // namespace

int main(int argc, char** argv)
{
    QString portFile;
    QString logFile;
    pwtest::ServiceScript script;
    std::int64_t generated = 0;
    std::int64_t total = 250;
    std::vector<pwtest::Profile> own;
    std::vector<bool> ownTotalSet;

    if (argc == 4 && std::strcmp(argv[1], "--expected-lines") == 0) {
        std::int64_t count = 0;
        if (!ParseCount(argv[3], count)) {
            Usage();
            return 2;
        }
        for (const QByteArray& line : pwtest::ExpectedMentionLines(QString::fromUtf8(argv[2]), count))
            std::printf("%s\n", line.constData());
        return 0;
    }

    for (int i = 1; i < argc; ++i) {
        const std::string opt = argv[i];
        if (i + 1 >= argc) {
            Usage();
            return 2;
        }
        const char* value = argv[++i];
        std::int64_t number = 0;
        if (opt == "--port-file") {
            portFile = QString::fromLocal8Bit(value);
        } else if (opt == "--log") {
            logFile = QString::fromLocal8Bit(value);
        } else if (opt == "--key") {
            script.validKey = QString::fromUtf8(value);
        } else if (opt == "--profiles" && ParseCount(value, number) && number >= 0) {
            generated = number;
        } else if (opt == "--total" && ParseCount(value, number)) {
            total = number;
        } else if (opt == "--profile-id") {
            own.push_back({QString::fromUtf8(value), QString(), 0});
            ownTotalSet.push_back(false);
        } else if (opt == "--profile-name" && !own.empty()) {
            own.back().name = QString::fromUtf8(value);
        } else if (opt == "--profile-total" && !own.empty() && ParseCount(value, number)) {
            own.back().total = number;
            ownTotalSet.back() = true;
        } else {
            Usage();
            return 2;
        }
    }
    if (portFile.isEmpty()) {
        Usage();
        return 2;
    }
    for (std::size_t i = 0; i < own.size(); ++i) {
        if (!ownTotalSet[i])
            own[i].total = total;
        script.profiles.push_back(own[i]);
    }
    for (std::int64_t id = 1; id <= generated; ++id)
        script.profiles.push_back({QString::number(id), QStringLiteral("Profile %1").arg(id), total});

    // Blocked before any thread starts, so only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    pwtest::FakeService service;
    auto shared = std::make_shared<const pwtest::ServiceScript>(script);
    std::shared_ptr<QFile> log;
    if (!logFile.isEmpty()) {
        log = std::make_shared<QFile>(logFile);
        if (!log->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
            std::fprintf(stderr, "fake-pondwhirl: cannot open %s\n", qPrintable(logFile));
            return 1;
        }
    }
    auto logMutex = std::make_shared<std::mutex>();
    service.setHandler([shared, log, logMutex](const pwtest::Request& r) {
        if (log) {
            std::lock_guard lock(*logMutex);
            log->write(r.rawTarget + '\n');
        }
        return pwtest::FakeService::scriptedAnswer(*shared, r);
    });

    // Written whole and renamed into place: a reader never sees half a number.
    QSaveFile out(portFile);
    if (!out.open(QIODevice::WriteOnly) || out.write(QByteArray::number(service.port()) + '\n') < 0 ||
        !out.commit()) {
        std::fprintf(stderr, "fake-pondwhirl: cannot write %s\n", qPrintable(portFile));
        return 1;
    }

    int signal = 0;
    sigwait(&stopSignals, &signal);
    return 0;
}
