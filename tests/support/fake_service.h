#pragma once
// A fake PondWhirl service: a real HTTP/1.1 server on 127.0.0.1, on a free port, in a
// thread of its own. Tests script its answers and read back every request it received.
// The real curl reaches it through curl's own configuration (see writeCurlConfig), so
// the program runs exactly as it ships.
#include <QByteArray>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace pwtest {

struct Request {
    QString method;                                   // "GET"
    QString path;                                     // "/api/profile/list_all"
    QByteArray rawTarget;                             // path and query as sent
    std::vector<std::pair<QString, QString>> query;   // keys and values, percent-decoded, in order
    QString host;                                     // the Host header
    // The decoded value of the first query key named key; nullopt when absent.
    std::optional<QString> value(const QString& key) const;
};

struct Answer {
    enum class Mode {
        Normal,      // status line, headers with Content-Length, the whole body
        CutMidBody,  // announces the whole body, sends half of it, closes the connection
        Stall,       // sends the headers and half the body, then nothing until stopped
        Close,       // closes the connection without answering
        Endless,     // headers without a length, then the body over and over at full
                     // speed until the client goes or the server stops
    };
    int status = 200;
    QByteArray body;
    Mode mode = Mode::Normal;
    // Nothing is sent until this has passed (or the server stops); then the answer as its
    // mode says.
    std::chrono::milliseconds delay{0};
};

// The service as the program knows it, from a script.
struct Profile {
    QString id;
    QString name;
    std::int64_t total = 0;   // mentions; the details answer's <total_mentions>
};

struct ServiceScript {
    QString validKey = QStringLiteral("0123456789abcdefKEY");   // any other key: 401, empty body
    std::vector<Profile> profiles;
    // Faults by page index of a mentions fetch: 0 is the request without page_number,
    // k the request with page_number=k.
    std::map<int, Answer::Mode> pageModes;
    std::map<int, int> pageStatus;   // e.g. {1, 500}
    std::map<int, std::chrono::milliseconds> pageDelays;   // answered only after the delay
    int detailsStatus = 200;
    bool detailsWithoutTotal = false;
    Answer::Mode detailsMode = Answer::Mode::Normal;
};

// The service every test, benchmark and end-to-end run meets unless it says otherwise: two
// profiles with mentions on every platform ("7" "Acme Corp: EU/North" 250, "9" "Beta"
// 100), accepting ServiceScript's validKey.
ServiceScript DefaultScript();

// The XML answers of the scripted service, also for tests that answer by hand.
QByteArray ProfileListXml(const std::vector<Profile>& profiles);
QByteArray DetailsXml(std::int64_t total);
QByteArray DetailsXml(std::int64_t total, const QString& id, const QString& name);
// A details answer that names the profile but holds no <total_...> element.
QByteArray DetailsXmlWithoutTotal(const QString& id, const QString& name);
// One page of count mentions for a platform element tag; mention j (counted from 1) of
// page k reads "<segment> mention k-j".
QByteArray MentionsPageXml(const QString& segment, const QString& tag, int page, int count);
// The lines a fetch of total mentions writes for that platform, in order.
std::vector<QByteArray> ExpectedMentionLines(const QString& segment, std::int64_t total);
// Element tag of a platform's path segment ("twitter" -> "message", ...).
QString TagForSegment(const QString& segment);

class FakeService {
public:
    using Handler = std::function<Answer(const Request&)>;

    FakeService();    // listening when constructed
    ~FakeService();   // stops, ending stalled connections too
    FakeService(const FakeService&) = delete;
    FakeService& operator=(const FakeService&) = delete;

    std::uint16_t port() const { return port_; }

    // Answers every request with handler (called on the server's thread).
    void setHandler(Handler handler);
    // Answers as the scripted service: list_all, details and the four mentions calls.
    void setScript(const ServiceScript& script);
    // Answers every request alike.
    void answerAll(Answer answer);

    std::vector<Request> requests() const;
    std::vector<Request> requestsTo(const QString& path) const;
    void clearRequests();

    // Writes <dir>/.curlrc so that curl with CURL_HOME=dir sends every request, whatever
    // its host, to this server.
    void writeCurlConfig(const QString& dir) const;

    // The answer the scripted service gives to request.
    static Answer scriptedAnswer(const ServiceScript& script, const Request& request);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::uint16_t port_ = 0;
};

} // namespace pwtest
