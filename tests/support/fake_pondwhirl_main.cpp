// The scripted fake service as a program of its own, for the end-to-end test. It listens
// on 127.0.0.1 (a free port), writes the port to --port-file once listening (and, when
// asked, the .curlrc that aims curl at it and the facts of its script for a shell), and
// serves until SIGTERM or SIGINT. Without profile options it serves the tests' default
// script.
#include "support/fake_service.h"
#include "support/test_env.h"

#include <QFile>
#include <QSaveFile>

#include <chrono>
#include <climits>
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
        "  --curl-home DIR       write DIR/.curlrc, which sends curl's requests here (CURL_HOME=DIR)\n"
        "  --facts FILE          write the script's facts as shell assignments: PW_KEY,\n"
        "                        PW_PREFS_FILE_NAME and the arrays PW_PROFILE_IDS, _NAMES, _TOTALS\n"
        "  --key KEY             the one API key the service accepts\n"
        "  (no profile option: the tests' two default profiles)\n"
        "  --profiles N          add N profiles, ids 1..N, named \"Profile <id>\"\n"
        "  --total T             mentions of each profile added by --profiles (default 250)\n"
        "  --profile-id ID       start a profile of its own with this id\n"
        "  --profile-name NAME   the name of the profile started last\n"
        "  --profile-total T     the mentions of the profile started last (default --total)\n"
        "  --log FILE            append each request's target to FILE, one per line\n"
        "  --stall-page K        mentions page K (0: the request without page_number) hangs\n"
        "                        after the headers and half its body, on every profile\n"
        "  --stall-key KEY       a second key, answered as the accepted one, except that\n"
        "                        every answer to it hangs after the headers and half its body\n"
        "  --late-page K         mentions page K is answered whole, but only after\n"
        "                        --late-seconds S (default 3), on every profile\n",
        stderr);
}

// text in single quotes, for a POSIX shell.
QByteArray ShellQuoted(const QString& text)
{
    QByteArray quoted = text.toUtf8();
    quoted.replace('\'', "'\\''");
    return '\'' + quoted + '\'';
}

QByteArray Facts(const pwtest::ServiceScript& script)
{
    QByteArray facts = "PW_KEY=" + ShellQuoted(script.validKey) + "\n";
    facts += "PW_PREFS_FILE_NAME=" + ShellQuoted(pwtest::PrefsFileName()) + "\n";
    QByteArray ids, names, totals;
    for (const pwtest::Profile& p : script.profiles) {
        ids += ' ' + ShellQuoted(p.id);
        names += ' ' + ShellQuoted(p.name);
        totals += ' ' + QByteArray::number(qlonglong(p.total));
    }
    facts += "PW_PROFILE_IDS=(" + ids + " )\nPW_PROFILE_NAMES=(" + names + " )\nPW_PROFILE_TOTALS=(" + totals +
             " )\n";
    return facts;
}

// Written whole and renamed into place: a reader never sees half of it.
bool WriteWhole(const QString& path, const QByteArray& bytes)
{
    QSaveFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
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
    QString curlHome;
    QString factsFile;
    bool profilesGiven = false;
    pwtest::ServiceScript script;
    std::int64_t generated = 0;
    std::int64_t total = 250;
    std::vector<pwtest::Profile> own;
    std::vector<bool> ownTotalSet;
    QString stallKey;
    std::vector<int> latePages;
    std::int64_t lateSeconds = 3;

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
        } else if (opt == "--curl-home") {
            curlHome = QString::fromLocal8Bit(value);
        } else if (opt == "--facts") {
            factsFile = QString::fromLocal8Bit(value);
        } else if (opt == "--log") {
            logFile = QString::fromLocal8Bit(value);
        } else if (opt == "--stall-page" && ParseCount(value, number) && number >= 0 && number <= INT_MAX) {
            script.pageModes[int(number)] = pwtest::Answer::Mode::Stall;
        } else if (opt == "--late-page" && ParseCount(value, number) && number >= 0 && number <= INT_MAX) {
            latePages.push_back(int(number));
        } else if (opt == "--late-seconds" && ParseCount(value, number) && number >= 0 && number <= 3600) {
            lateSeconds = number;
        } else if (opt == "--stall-key" && *value) {
            stallKey = QString::fromUtf8(value);
        } else if (opt == "--key") {
            script.validKey = QString::fromUtf8(value);
        } else if (opt == "--profiles" && ParseCount(value, number) && number >= 0) {
            generated = number;
            profilesGiven = true;
        } else if (opt == "--total" && ParseCount(value, number)) {
            total = number;
        } else if (opt == "--profile-id") {
            own.push_back({QString::fromUtf8(value), QString(), 0});
            profilesGiven = true;
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
    for (int page : latePages)
        script.pageDelays[page] = std::chrono::seconds(lateSeconds);
    if (!profilesGiven)
        script.profiles = pwtest::DefaultScript().profiles;
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
    service.setHandler([shared, log, logMutex, stallKey](const pwtest::Request& r) {
        if (log) {
            std::lock_guard lock(*logMutex);
            log->write(r.rawTarget + '\n');
        }
        if (stallKey.isEmpty() || r.value(QStringLiteral("api_key")) != stallKey)
            return pwtest::FakeService::scriptedAnswer(*shared, r);
        pwtest::Request asAccepted = r;
        for (auto& [key, value] : asAccepted.query) {
            if (key == QLatin1String("api_key"))
                value = shared->validKey;
        }
        pwtest::Answer answer = pwtest::FakeService::scriptedAnswer(*shared, asAccepted);
        answer.mode = pwtest::Answer::Mode::Stall;
        return answer;
    });

    if (!curlHome.isEmpty() && !pwtest::WriteCurlConfig(curlHome, service.port())) {
        std::fprintf(stderr, "fake-pondwhirl: cannot write %s/.curlrc\n", qPrintable(curlHome));
        return 1;
    }
    if (!factsFile.isEmpty() && !WriteWhole(factsFile, Facts(script))) {
        std::fprintf(stderr, "fake-pondwhirl: cannot write %s\n", qPrintable(factsFile));
        return 1;
    }
    // Last: once the port is there, everything else is.
    if (!WriteWhole(portFile, QByteArray::number(service.port()) + '\n')) {
        std::fprintf(stderr, "fake-pondwhirl: cannot write %s\n", qPrintable(portFile));
        return 1;
    }

    int signal = 0;
    sigwait(&stopSignals, &signal);
    return 0;
}
