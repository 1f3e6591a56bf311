#include "client/command_lines.h"

#include "client/service.h"

#include "platform/text.h"

namespace commands {

QString PercentEncode(const QString& value)
{
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray utf8 = value.toUtf8();
    QString out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        const bool unreserved = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
                                b == '-' || b == '.' || b == '_' || b == '~';
        if (unreserved) {
            out += QLatin1Char(static_cast<char>(b));
        } else {
            out += QLatin1Char('%');
            out += QLatin1Char(hex[b >> 4]);
            out += QLatin1Char(hex[b & 0x0F]);
        }
    }
    return out;
}

QString CurlInvocation(const CurlLimits& limits)
{
    return QStringLiteral("curl -s --fail --connect-timeout %1 --speed-limit 1 --speed-time %2")
        .arg(limits.connectSeconds)
        .arg(limits.stallSeconds);
}

namespace {

// A request whose whole answer is in the scratch file before the rest of the line runs.
// A file, not a shell variable: the shell would drop NUL bytes. --fail leaves 1xx-3xx
// statuses to the line, which takes only a 200. The status goes into $s and, as for
// every request, onto standard error.
//
// A bounded answer is kept only up to kAnswerBound: curl's --max-filesize holds only for
// an announced length, so the file-size limit of the subshell stops it (set soft, as a
// lower hard limit may stand already; one that cannot be set leaves the line as it is).
// With SIGXFSZ ignored, curl fails with a write error instead of being killed.
QString takeAnswer(const QString& address, const QString& scratchPath, const CurlLimits& limits, bool bounded)
{
    const QString fileLimit =
        bounded ? QStringLiteral("trap '' XFSZ; ulimit -S -f %1 2>/dev/null; ").arg(kAnswerBound / 512) : QString();
    return QStringLiteral(": > ") + scratchPath + QStringLiteral(" && s=$(") + fileLimit + CurlInvocation(limits) +
           QStringLiteral(" -o ") + scratchPath + QStringLiteral(" -w '%{http_code}%{stderr}%{http_code}' '") +
           address + QStringLiteral("') && [ \"$s\" = 200 ] || exit %1; ").arg(kRequestFailed);
}

} // namespace

QString ProfileList(const QString& key, const CurlLimits& limits)
{
    return CurlInvocation(limits) + QStringLiteral(" -w '%{stderr}%{http_code}' '") + service::kBaseAddress +
           QStringLiteral("/api/profile/list_all?api_key=") + PercentEncode(key) + QStringLiteral("'");
}

QString ProfileDetails(const QString& profileId, const QString& key, const QString& scratchPath,
                       const CurlLimits& limits)
{
    const QString address = service::kBaseAddress + QStringLiteral("/api/profile/details?profile_id=") +
                            PercentEncode(profileId) + QStringLiteral("&api_key=") + PercentEncode(key);
    // grep's 1 means no line matched: an answer without a total, which its reader tells.
    return takeAnswer(address, scratchPath, limits, true) + QStringLiteral("grep -a '<total_[^>]*>' ") + scratchPath +
           QStringLiteral(" || [ $? = 1 ]");
}

QString Mentions(const QString& segment, const QString& tag, const QString& profileId,
                 std::optional<std::int64_t> pageNumber, const QString& key, const QString& shellPath,
                 const QString& scratchPath, const CurlLimits& limits)
{
    QString address = service::kBaseAddress + QStringLiteral("/api/") + segment +
                      QStringLiteral("/mentions?profile_id=") + PercentEncode(profileId);
    if (pageNumber)
        address += QStringLiteral("&page_number=") + platform::Str(*pageNumber);
    address += QStringLiteral("&api_key=") + PercentEncode(key);
    // One sed picks the lines holding the tag and cuts them: a process, not three, for
    // each page. sed leaves a last line without its line end as it is, so the page gets
    // one first (the empty line it makes of an ended page holds no tag). GNU sed reads \<
    // and \> as word boundaries, so the tags are written plainly.
    return takeAnswer(address, scratchPath, limits, false) + QStringLiteral("echo >> ") + scratchPath +
           QStringLiteral(" || exit %1; sed -n '/<").arg(kRequestFailed) + tag + QStringLiteral(">/{s/^[ ]*<") + tag +
           QStringLiteral(">//;s/<\\/") + tag + QStringLiteral(">.*//;p;}' ") + scratchPath + QStringLiteral(" >> ") +
           shellPath + QStringLiteral(" || exit %1").arg(kNotWritten);
}

QString Delete(const QString& shellPath)
{
    // Only a file or a link is removed: a device or a pipe the user chose is written to
    // as it is, never deleted.
    return QStringLiteral("if [ -f ") + shellPath + QStringLiteral(" ] || [ -L ") + shellPath +
           QStringLiteral(" ]; then rm -f ") + shellPath + QStringLiteral(" || exit %1; fi").arg(kNotWritten);
}

QString CreateEmpty(const QString& shellPath)
{
    // true, not ':': a redirection that fails on a special built-in ends the shell before
    // the exit status can be given.
    return QStringLiteral("true >> ") + shellPath + QStringLiteral(" || exit %1").arg(kNotWritten);
}

QString DefaultFileName(const QString& profileName, const QString& platformText)
{
    QString name = QStringLiteral("pw_") + profileName + platformText + QStringLiteral(".txt");
    name = platform::ReplaceAll(name, QStringLiteral("/"), QString());
    name = platform::ReplaceAll(name, QStringLiteral(" "), QString());
    name = platform::ReplaceAll(name, QStringLiteral(":"), QString());
    // The name comes from the service. A save dialog reads text between double quotes as
    // file names of their own, so a quote in it could choose another file than the one
    // offered; control characters have no place in a file name the user is shown.
    name.removeIf([](QChar c) { return c == u'"' || c.unicode() < 0x20 || c.unicode() == 0x7F; });
    return name;
}

} // namespace commands
