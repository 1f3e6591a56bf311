#include "platform/text.h"

#include <QByteArray>
#include <QStringView>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace platform {

QString NthField(const QString& text, const QString& separator, int n)
{
    if (n < 1)
        return {};
    if (separator.isEmpty())
        return n == 1 ? text : QString();
    // Skip n - 1 separators, searching on from the last one: one pass up to the field.
    qsizetype start = 0;
    for (int i = 1; i < n; ++i) {
        const qsizetype found = text.indexOf(separator, start, Qt::CaseSensitive);
        if (found < 0)
            return {};
        start = found + separator.size();
    }
    const qsizetype end = text.indexOf(separator, start, Qt::CaseSensitive);
    return text.mid(start, end < 0 ? -1 : end - start);
}

int CountFields(const QString& text, const QString& separator)
{
    if (text.isEmpty())
        return 0;
    if (separator.isEmpty())
        return 1;
    qsizetype count = 1;
    qsizetype from = 0;
    for (;;) {
        const qsizetype found = text.indexOf(separator, from, Qt::CaseSensitive);
        if (found < 0)
            break;
        ++count;
        from = found + separator.size();
    }
    return count > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                   : static_cast<int>(count);
}

QString ReplaceAll(const QString& text, const QString& old, const QString& replacement)
{
    if (old.isEmpty())
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    for (;;) {
        const qsizetype found = text.indexOf(old, from, Qt::CaseSensitive);
        if (found < 0)
            break;
        out += QStringView(text).mid(from, found - from);
        out += replacement;
        from = found + old.size();
    }
    out += QStringView(text).mid(from);
    return out;
}

int StrComp(const QString& a, const QString& b, int mode)
{
    const int c = QString::compare(a, b, mode == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// strtod follows the process locale's decimal point; a fixed "C" locale keeps "3.5"
// reading as 3.5 whatever locale the user runs in.
locale_t cLocale()
{
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

} // namespace

std::optional<double> LeadingNumber(const QString& text)
{
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const qsizetype begin = i;
    if (i < size && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < size && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < size && text[i] == u'.') {
        qsizetype j = i + 1;
        while (j < size && isDigit(text[j])) {
            ++j;
            ++digits;
        }
        if (digits > 0)
            i = j;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < size && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < size && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        if (j < size && isDigit(text[j])) {
            while (j < size && isDigit(text[j]))
                ++j;
            i = j;
        }
    }
    // Only the checked prefix reaches strtod, so it never sees "inf", "nan" or hex.
    const QByteArray number = QStringView(text).mid(begin, i - begin).toLatin1();
    return strtod_l(number.constData(), nullptr, cLocale());
}

double Val(const QString& text) { return LeadingNumber(text).value_or(0.0); }

QString Str(std::int64_t value) { return QString::number(static_cast<qlonglong>(value)); }

int Len(const QString& text)
{
    qsizetype count = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (text[i].isHighSurrogate() && i + 1 < size && text[i + 1].isLowSurrogate())
            ++i;
        ++count;
    }
    return count > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                   : static_cast<int>(count);
}

std::int32_t ToInteger(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (value <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

} // namespace platform
