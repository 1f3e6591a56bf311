#include "support/fake_service.h"

#include "support/test_env.h"

#include <QDir>
#include <QFile>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace pwtest {

namespace {

// A client that opens a connection and sends nothing must not keep a thread forever.
constexpr int kRequestTimeoutMs = 30000;
constexpr std::size_t kMaxRequestHead = 64 * 1024;

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// '+' stays '+': the program percent-encodes every byte it sends, so a '+' on the wire
// is one the client meant literally. A '%' not followed by two hex digits stays as sent.
QByteArray PercentDecode(const QByteArray& in)
{
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '%' && i + 2 < in.size() && HexDigit(in[i + 1]) >= 0 && HexDigit(in[i + 2]) >= 0) {
            out.append(char(HexDigit(in[i + 1]) * 16 + HexDigit(in[i + 2])));
            i += 2;
        } else {
            out.append(in[i]);
        }
    }
    return out;
}

const char* ReasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 302: return "Found";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

QByteArray XmlHead() { return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<response>\n"); }

const Profile* FindProfile(const ServiceScript& script, const std::optional<QString>& id)
{
    if (!id)
        return nullptr;
    for (const Profile& p : script.profiles)
        if (p.id == *id)
            return &p;
    return nullptr;
}

Answer Status(int status) { return Answer{status, {}, Answer::Mode::Normal}; }

} // namespace

std::optional<QString> Request::value(const QString& key) const
{
    for (const auto& [k, v] : query)
        if (k == key)
            return v;
    return std::nullopt;
}

QByteArray ProfileListXml(const std::vector<Profile>& profiles)
{
    // Names and ids go in raw: the program reads the text between the tags as it stands,
    // so a test that wants character references writes them into the name itself.
    QByteArray xml = XmlHead();
    xml += "  <profiles>\n";
    for (const Profile& p : profiles) {
        xml += "    <profile>\n";
        xml += "      <id>" + p.id.toUtf8() + "</id>\n";
        xml += "      <name>" + p.name.toUtf8() + "</name>\n";
        xml += "    </profile>\n";
    }
    xml += "  </profiles>\n</response>\n";
    return xml;
}

namespace {

QByteArray DetailsBody(const QByteArray& idName, std::optional<std::int64_t> total)
{
    QByteArray xml = XmlHead();
    xml += "  <profile>\n" + idName;
    xml += "    <created_at>2011-03-14</created_at>\n";
    if (total) {
        // The per-platform figures differ from the overall one (they add up to it), so a
        // reader that picks anything but the first total element reads a wrong count.
        const std::int64_t t = *total;
        const std::int64_t quarter = t / 4;
        xml += "    <total_mentions>" + QByteArray::number(qlonglong(t)) + "</total_mentions>\n";
        xml += "    <total_twitter>" + QByteArray::number(qlonglong(t - 3 * quarter)) + "</total_twitter>\n";
        xml += "    <total_website>" + QByteArray::number(qlonglong(quarter)) + "</total_website>\n";
        xml += "    <total_video>" + QByteArray::number(qlonglong(quarter)) + "</total_video>\n";
        xml += "    <total_facebook>" + QByteArray::number(qlonglong(quarter)) + "</total_facebook>\n";
    }
    xml += "    <status>active</status>\n";
    xml += "  </profile>\n</response>\n";
    return xml;
}

QByteArray IdName(const QString& id, const QString& name)
{
    return "    <id>" + id.toUtf8() + "</id>\n    <name>" + name.toUtf8() + "</name>\n";
}

} // namespace

QByteArray DetailsXml(std::int64_t total) { return DetailsXml(total, QStringLiteral("7"), QStringLiteral("Acme")); }

QByteArray DetailsXml(std::int64_t total, const QString& id, const QString& name)
{
    return DetailsBody(IdName(id, name), total);
}

QByteArray DetailsXmlWithoutTotal(const QString& id, const QString& name)
{
    return DetailsBody(IdName(id, name), std::nullopt);
}

QString TagForSegment(const QString& segment)
{
    if (segment == QLatin1String("twitter"))
        return QStringLiteral("message");
    if (segment == QLatin1String("website"))
        return QStringLiteral("site_title");
    if (segment == QLatin1String("video"))
        return QStringLiteral("title");
    if (segment == QLatin1String("facebook"))
        return QStringLiteral("comment");
    return {};
}

namespace {
QByteArray MentionText(const QString& segment, std::int64_t page, int j)
{
    return segment.toUtf8() + " mention " + QByteArray::number(qlonglong(page)) + '-' + QByteArray::number(j);
}
} // namespace

QByteArray MentionsPageXml(const QString& segment, const QString& tag, int page, int count)
{
    const QByteArray t = tag.toUtf8();
    QByteArray xml = XmlHead();
    xml += "  <page_number>" + QByteArray::number(page) + "</page_number>\n";
    xml += "  <mentions>\n";
    for (int j = 1; j <= count; ++j) {
        xml += "    <mention>\n";
        xml += "      <id>" + QByteArray::number(qlonglong(page) * 100 + j) + "</id>\n";
        xml += "      <" + t + '>' + MentionText(segment, page, j) + "</" + t + ">\n";
        xml += "    </mention>\n";
    }
    xml += "  </mentions>\n</response>\n";
    return xml;
}

std::vector<QByteArray> ExpectedMentionLines(const QString& segment, std::int64_t total)
{
    std::vector<QByteArray> lines;
    for (std::int64_t page = 0; page * 100 < total; ++page) {
        const std::int64_t count = std::min<std::int64_t>(100, total - page * 100);
        for (int j = 1; j <= count; ++j)
            lines.push_back(MentionText(segment, page, j));
    }
    return lines;
}

Answer FakeService::scriptedAnswer(const ServiceScript& script, const Request& request)
{
    const QString& path = request.path;
    const bool keyOk = request.value(QStringLiteral("api_key")) == script.validKey;

    if (path == QLatin1String("/api/profile/list_all"))
        return keyOk ? Answer{200, ProfileListXml(script.profiles), Answer::Mode::Normal} : Status(401);

    if (path == QLatin1String("/api/profile/details")) {
        if (!keyOk)
            return Status(401);
        if (script.detailsStatus != 200)
            return Status(script.detailsStatus);
        const Profile* p = FindProfile(script, request.value(QStringLiteral("profile_id")));
        if (!p)
            return Status(404);
        return Answer{200, script.detailsWithoutTotal ? DetailsXmlWithoutTotal(p->id, p->name)
                                                      : DetailsXml(p->total, p->id, p->name),
                      script.detailsMode};
    }

    const QStringList parts = path.split(QLatin1Char('/'));   // "", "api", segment, "mentions"
    if (parts.size() == 4 && parts[1] == QLatin1String("api") && parts[3] == QLatin1String("mentions")) {
        const QString tag = TagForSegment(parts[2]);
        if (tag.isEmpty())
            return Status(404);
        if (!keyOk)
            return Status(401);
        const Profile* p = FindProfile(script, request.value(QStringLiteral("profile_id")));
        if (!p)
            return Status(404);
        int page = 0;
        if (const auto number = request.value(QStringLiteral("page_number"))) {
            bool ok = false;
            page = number->toInt(&ok);
            if (!ok || page < 0)
                return Status(400);
        }
        Answer answer;
        if (auto s = script.pageStatus.find(page); s != script.pageStatus.end())
            answer.status = s->second;
        if (auto m = script.pageModes.find(page); m != script.pageModes.end())
            answer.mode = m->second;
        if (auto d = script.pageDelays.find(page); d != script.pageDelays.end())
            answer.delay = d->second;
        if (answer.status == 200) {
            const std::int64_t count = std::clamp<std::int64_t>(p->total - std::int64_t(page) * 100, 0, 100);
            answer.body = MentionsPageXml(parts[2], tag, page, int(count));
        }
        return answer;
    }
    return Status(404);
}

ServiceScript DefaultScript()
{
    ServiceScript script;
    script.profiles = {{QStringLiteral("7"), QStringLiteral("Acme Corp: EU/North"), 250},
                       {QStringLiteral("9"), QStringLiteral("Beta"), 100}};
    return script;
}

// ---------------------------------------------------------------------------------------

struct FakeService::Impl {
    int listenFd = -1;
    int wakeRead = -1;    // becomes readable, and stays so, once the server stops
    int wakeWrite = -1;
    std::thread acceptThread;

    struct Connection {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Connection> connections;   // touched by the accept thread, then the destructor

    mutable std::mutex mutex;
    Handler handler;
    std::vector<Request> requests;

    void acceptLoop();
    void serve(int fd);
    // Waits until fd is ready for events or the server stops; false on stop or time-out.
    bool waitFor(int fd, short events, int timeoutMs) const;
    bool sendAll(int fd, const char* data, std::size_t size) const;
    // Waits for delay to pass; false when the server stops first.
    bool waitOut(std::chrono::milliseconds delay) const;
    std::optional<Request> readRequest(int fd) const;
    void reapFinished();
};

bool FakeService::Impl::waitFor(int fd, short events, int timeoutMs) const
{
    pollfd fds[2] = {{fd, events, 0}, {wakeRead, POLLIN, 0}};
    for (;;) {
        const int n = ::poll(fds, 2, timeoutMs);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || fds[1].revents)
            return false;
        return fds[0].revents != 0;
    }
}

bool FakeService::Impl::sendAll(int fd, const char* data, std::size_t size) const
{
    while (size > 0) {
        if (!waitFor(fd, POLLOUT, kRequestTimeoutMs))
            return false;
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

std::optional<Request> FakeService::Impl::readRequest(int fd) const
{
    QByteArray head;
    char buf[4096];
    qsizetype end = -1;
    while ((end = head.indexOf("\r\n\r\n")) < 0) {
        if (head.size() > qsizetype(kMaxRequestHead) || !waitFor(fd, POLLIN, kRequestTimeoutMs))
            return std::nullopt;
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return std::nullopt;
        head.append(buf, n);
    }
    const QList<QByteArray> lines = head.left(end).split('\n');
    const QList<QByteArray> requestLine = lines[0].trimmed().split(' ');
    if (requestLine.size() != 3)
        return std::nullopt;

    Request r;
    r.method = QString::fromLatin1(requestLine[0]);
    r.rawTarget = requestLine[1];
    const qsizetype q = r.rawTarget.indexOf('?');
    r.path = QString::fromUtf8(q < 0 ? r.rawTarget : r.rawTarget.left(q));
    if (q >= 0) {
        for (const QByteArray& pair : r.rawTarget.mid(q + 1).split('&')) {
            if (pair.isEmpty())
                continue;
            const qsizetype eq = pair.indexOf('=');
            const QByteArray key = eq < 0 ? pair : pair.left(eq);
            const QByteArray value = eq < 0 ? QByteArray() : pair.mid(eq + 1);
            r.query.emplace_back(QString::fromUtf8(PercentDecode(key)), QString::fromUtf8(PercentDecode(value)));
        }
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0 && lines[i].left(colon).trimmed().toLower() == "host")
            r.host = QString::fromLatin1(lines[i].mid(colon + 1).trimmed());
    }
    return r;
}

void FakeService::Impl::serve(int fd)
{
    if (std::optional<Request> request = readRequest(fd)) {
        Handler h;
        {
            std::lock_guard lock(mutex);
            requests.push_back(*request);
            h = handler;
        }
        const Answer answer = h ? h(*request) : Answer{404, {}, Answer::Mode::Normal};
        const bool due = waitOut(answer.delay);
        if (due && answer.mode == Answer::Mode::Endless) {
            const QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' +
                                    ReasonPhrase(answer.status) + "\r\n" +
                                    "Content-Type: application/xml; charset=utf-8\r\n" +
                                    "Connection: close\r\n\r\n";
            // Whole copies of the body, some hundred kilobytes at a time.
            const QByteArray unit = answer.body.isEmpty() ? QByteArray(1024, ' ') : answer.body;
            const QByteArray chunk = unit.repeated(std::max<qsizetype>(1, 256 * 1024 / unit.size()));
            if (sendAll(fd, head.constData(), std::size_t(head.size()))) {
                while (sendAll(fd, chunk.constData(), std::size_t(chunk.size()))) {
                }
            }
        } else if (due && answer.mode != Answer::Mode::Close) {
            // A cut answer must come up short even when its body is empty.
            const qsizetype announced = answer.mode == Answer::Mode::CutMidBody && answer.body.isEmpty()
                                            ? 1 : answer.body.size();
            QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' +
                              ReasonPhrase(answer.status) + "\r\n" +
                              "Content-Type: application/xml; charset=utf-8\r\n" +
                              "Content-Length: " + QByteArray::number(announced) + "\r\n" +
                              "Connection: close\r\n\r\n";
            const qsizetype bodyBytes = answer.mode == Answer::Mode::Normal ? answer.body.size()
                                                                             : answer.body.size() / 2;
            head.append(answer.body.constData(), bodyBytes);
            if (sendAll(fd, head.constData(), std::size_t(head.size())) &&
                answer.mode == Answer::Mode::Stall) {
                // Silent until the server stops or the client gives up and closes.
                char sink[1024];
                while (waitFor(fd, POLLIN, -1) && ::recv(fd, sink, sizeof sink, 0) > 0) {
                }
            }
        }
    }
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
}

bool FakeService::Impl::waitOut(std::chrono::milliseconds delay) const
{
    const auto end = std::chrono::steady_clock::now() + delay;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return true;
        pollfd stop{wakeRead, POLLIN, 0};
        const int n = ::poll(&stop, 1, int(left.count()));
        if (n > 0)
            return false;
    }
}

void FakeService::Impl::reapFinished()
{
    for (auto it = connections.begin(); it != connections.end();) {
        if (it->done->load()) {
            it->thread.join();
            it = connections.erase(it);
        } else {
            ++it;
        }
    }
}

void FakeService::Impl::acceptLoop()
{
    while (waitFor(listenFd, POLLIN, -1)) {
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0)
            continue;
        reapFinished();
        auto done = std::make_shared<std::atomic<bool>>(false);
        connections.push_back({std::thread([this, fd, done] {
                                   serve(fd);
                                   done->store(true);
                               }),
                               done});
    }
}

FakeService::FakeService() : impl_(std::make_unique<Impl>())
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        throw std::runtime_error("fake service: pipe failed");
    impl_->wakeRead = pipeFds[0];
    impl_->wakeWrite = pipeFds[1];

    impl_->listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (impl_->listenFd < 0 || ::bind(impl_->listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(impl_->listenFd, 256) != 0 ||
        ::getsockname(impl_->listenFd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        const std::string why = std::strerror(errno);
        if (impl_->listenFd >= 0)
            ::close(impl_->listenFd);
        ::close(impl_->wakeRead);
        ::close(impl_->wakeWrite);
        throw std::runtime_error("fake service: cannot listen on 127.0.0.1: " + why);
    }
    port_ = ntohs(addr.sin_port);
    impl_->acceptThread = std::thread([impl = impl_.get()] { impl->acceptLoop(); });
}

FakeService::~FakeService()
{
    const char byte = 1;
    while (::write(impl_->wakeWrite, &byte, 1) < 0 && errno == EINTR) {
    }
    impl_->acceptThread.join();
    for (Impl::Connection& c : impl_->connections)
        c.thread.join();
    ::close(impl_->listenFd);
    ::close(impl_->wakeRead);
    ::close(impl_->wakeWrite);
}

void FakeService::setHandler(Handler handler)
{
    std::lock_guard lock(impl_->mutex);
    impl_->handler = std::move(handler);
}

void FakeService::setScript(const ServiceScript& script)
{
    auto s = std::make_shared<const ServiceScript>(script);
    setHandler([s](const Request& r) { return scriptedAnswer(*s, r); });
}

void FakeService::answerAll(Answer answer)
{
    setHandler([answer](const Request&) { return answer; });
}

std::vector<Request> FakeService::requests() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->requests;
}

std::vector<Request> FakeService::requestsTo(const QString& path) const
{
    std::vector<Request> out;
    for (Request& r : requests())
        if (r.path == path)
            out.push_back(std::move(r));
    return out;
}

void FakeService::clearRequests()
{
    std::lock_guard lock(impl_->mutex);
    impl_->requests.clear();
}

void FakeService::writeCurlConfig(const QString& dir) const
{
    if (!WriteCurlConfig(dir, port_))
        throw std::runtime_error("fake service: cannot write " + dir.toStdString() + "/.curlrc");
}

} // namespace pwtest
