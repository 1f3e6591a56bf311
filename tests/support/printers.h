#pragma once
// How GoogleTest prints the values of these tests: Qt's text types as text, not as
// bytes, and a row of a parameter table as its label, so test names and failures read
// the same from run to run. Every test file sees this header (the test targets include
// it first).
//
// A parameter table's row type is found by its namespace: declare it in
//     namespace pwtest { inline namespace { struct Case { const char* label; ... }; } }
// and it prints as its label.
#include <QByteArray>
#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <concepts>
#include <ostream>
#include <string_view>

namespace pwtest {

template <class Row>
concept LabelledRow = requires(const Row& row) {
    { row.label } -> std::convertible_to<std::string_view>;
};

template <LabelledRow Row>
void PrintTo(const Row& row, std::ostream* os)
{
    *os << std::string_view(row.label);
}

} // namespace pwtest

// Found through the Qt types' own (global) namespace.
inline void PrintTo(const QString& text, std::ostream* os)
{
    // Control characters escaped, so a stray one shows and none acts on the terminal;
    // everything else as UTF-8 text.
    QString shown;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n')
            shown += QLatin1String("\\n");
        else if (u < 0x20 || u == 0x7f)
            shown += QLatin1String("\\x") + QLatin1Char("0123456789abcdef"[u >> 4]) +
                     QLatin1Char("0123456789abcdef"[u & 15]);
        else
            shown += c;
    }
    *os << '"' << shown.toStdString() << '"';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    // Printable ASCII as it is, everything else escaped, so a stray byte shows.
    *os << '"';
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\n')
            *os << "\\n";
        else if (c == '"' || c == '\\')
            *os << '\\' << c;
        else if (u >= 0x20 && u < 0x7f)
            *os << c;
        else
            *os << "\\x" << "0123456789abcdef"[u >> 4] << "0123456789abcdef"[u & 15];
    }
    *os << '"';
}

inline void PrintTo(const QPoint& p, std::ostream* os) { *os << '(' << p.x() << ", " << p.y() << ')'; }

inline void PrintTo(const QSize& s, std::ostream* os) { *os << s.width() << 'x' << s.height(); }

inline void PrintTo(const QRect& r, std::ostream* os)
{
    *os << r.width() << 'x' << r.height() << '+' << r.left() << '+' << r.top();
}

inline void PrintTo(const QColor& c, std::ostream* os) { *os << c.name(QColor::HexArgb).toStdString(); }
