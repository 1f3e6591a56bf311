#include "platform/text.h"

#include <gtest/gtest.h>

#include <QString>

#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>

using namespace platform;

namespace {

struct FieldCase {
    const char* text;
    const char* separator;
    int n;
    const char* field;
};

TEST(TextTest, NthFieldTable)
{
    const FieldCase cases[] = {
        {"twitter,website,video,facebook", ",", 1, "twitter"},
        {"twitter,website,video,facebook", ",", 4, "facebook"},
        {"twitter,website,video,facebook", ",", 5, ""},
        {"twitter,website,video,facebook", ",", 0, ""},
        {"twitter,website,video,facebook", ",", -1, ""},
        {"a,,b", ",", 2, ""},
        {"a,,b", ",", 3, "b"},
        {"a,", ",", 2, ""},
        {",a", ",", 1, ""},
        {"", ",", 1, ""},
        // A text without the separator is field 1, and has nothing after it.
        {"<id>7</id>", "<name>", 1, "<id>7</id>"},
        {"<id>7</id>", "<name>", 2, ""},
        {"Acme</name>rest", "</name>", 1, "Acme"},
        // The separator is matched as a whole, never as one of its characters.
        {"a<b<name>c", "<name>", 1, "a<b"},
        {"a<b<name>c", "<name>", 2, "c"},
        {"x<name>A<name>B", "<name>", 2, "A"},
        // Matches do not overlap: "aaa" holds one "aa", then "a".
        {"aaa", "aa", 2, "a"},
        // Case matters in the separator.
        {"a<NAME>b", "<name>", 2, ""},
        {"abc", "", 1, "abc"},
        {"abc", "", 2, ""},
        {"<total_mentions>42</total_mentions>", "<total_", 2, "mentions>42</total_mentions>"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NthField(QString::fromUtf8(c.text), QString::fromUtf8(c.separator), c.n),
                  QString::fromUtf8(c.field))
            << "text \"" << c.text << "\" separator \"" << c.separator << "\" n " << c.n;
    }
}

TEST(TextTest, CountFieldsTable)
{
    const struct {
        const char* text;
        const char* separator;
        int count;
    } cases[] = {
        {"", "<profile>", 0},
        {"", "", 0},
        {"no profiles here", "<profile>", 1},
        {"head<profile>A", "<profile>", 2},
        {"head<profile>A<profile>B", "<profile>", 3},
        // An empty last field counts.
        {"head<profile>", "<profile>", 2},
        {"<profile>", "<profile>", 2},
        {"<profile><profile>", "<profile>", 3},
        {"a,b,c,d", ",", 4},
        {"aaaa", "aa", 3},
        {"abc", "", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CountFields(QString::fromUtf8(c.text), QString::fromUtf8(c.separator)), c.count)
            << "text \"" << c.text << "\" separator \"" << c.separator << "\"";
    }
}

// Every field that CountFields announces is the one NthField gives, over a list of
// profiles that a quadratic scan per call would make slow; each call must be one pass.
TEST(TextTest, FieldsOfALargeProfileListAreLinear)
{
    const int profiles = 20000;
    QString text = QStringLiteral("<?xml?><response>");
    for (int i = 0; i < profiles; ++i)
        text += QStringLiteral("<profile><name>P%1</name><id>%1</id></profile>").arg(i);
    ASSERT_EQ(CountFields(text, QStringLiteral("<profile>")), profiles + 1);
    EXPECT_EQ(NthField(text, QStringLiteral("<profile>"), profiles + 1),
              QStringLiteral("<name>P%1</name><id>%1</id></profile>").arg(profiles - 1));
    EXPECT_EQ(NthField(text, QStringLiteral("<profile>"), profiles + 2), QString());
    const QString last = NthField(text, QStringLiteral("<profile>"), profiles + 1);
    EXPECT_EQ(NthField(NthField(last, QStringLiteral("<name>"), 2), QStringLiteral("</name>"), 1),
              QStringLiteral("P%1").arg(profiles - 1));
}

TEST(TextTest, ReplaceAllTable)
{
    const struct {
        const char* text;
        const char* old;
        const char* replacement;
        const char* result;
    } cases[] = {
        {"Acme Corp/EU: North", "/", "", "Acme CorpEU: North"},
        {"Acme CorpEU: North", " ", "", "AcmeCorpEU:North"},
        {"a:b:c", ":", "", "abc"},
        {"aaa", "aa", "b", "ba"},
        {"abc", "", "x", "abc"},
        {"abc", "d", "x", "abc"},
        {"", "a", "x", ""},
        {"a.b", ".", "..", "a..b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReplaceAll(QString::fromUtf8(c.text), QString::fromUtf8(c.old),
                             QString::fromUtf8(c.replacement)),
                  QString::fromUtf8(c.result))
            << "text \"" << c.text << "\" old \"" << c.old << "\"";
    }
}

TEST(TextTest, StrCompIsZeroExactlyWhenEqual)
{
    EXPECT_EQ(StrComp(QStringLiteral("Fetch Via API"), QStringLiteral("Fetch Via API"), 0), 0);
    EXPECT_NE(StrComp(QStringLiteral("Fetch Via API"), QStringLiteral("fetch via api"), 0), 0);
    EXPECT_NE(StrComp(QStringLiteral("Fetch Via API"), QStringLiteral("Fetch Via API "), 0), 0);
    EXPECT_EQ(StrComp(QStringLiteral("a"), QStringLiteral("b"), 0), -1);
    EXPECT_EQ(StrComp(QStringLiteral("b"), QStringLiteral("a"), 0), 1);
    EXPECT_EQ(StrComp(QString(), QString(), 0), 0);
    EXPECT_EQ(StrComp(QStringLiteral("Fetch Via API"), QStringLiteral("fetch via api"), 1), 0);
}

TEST(TextTest, LeadingNumberAndValTable)
{
    const struct {
        const char* text;
        std::optional<double> number;   // Val gives 0 where there is none
    } cases[] = {
        {"", std::nullopt},
        {"42", 42},
        {"0", 0},
        {"12abc", 12},
        {"  -3.5e2", -350},
        {"\t+7", 7},
        {"3.25</total>", 3.25},
        {".5", 0.5},
        {"+.5", 0.5},
        {"5.", 5},
        {"1e", 1},
        {"1e+", 1},
        {"2E3x", 2000},
        {"-", std::nullopt},
        {"+.", std::nullopt},
        {"  ", std::nullopt},
        {"abc12", std::nullopt},
        {"inf", std::nullopt},
        {"-infinity", std::nullopt},
        {"nan", std::nullopt},
        {"0x10", 0},
        {"\n5", std::nullopt},
        {"1,5", 1},
        {"007", 7},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(LeadingNumber(text), c.number) << "text \"" << c.text << "\"";
        EXPECT_DOUBLE_EQ(Val(text), c.number.value_or(0)) << "text \"" << c.text << "\"";
    }
}

TEST(TextTest, StrGivesDecimalDigits)
{
    EXPECT_EQ(Str(1), QStringLiteral("1"));
    EXPECT_EQ(Str(1234567), QStringLiteral("1234567"));
    EXPECT_EQ(Str(0), QStringLiteral("0"));
    EXPECT_EQ(Str(-42), QStringLiteral("-42"));
    EXPECT_EQ(Str(std::numeric_limits<std::int64_t>::max()), QStringLiteral("9223372036854775807"));
}

TEST(TextTest, LenCountsCodePoints)
{
    EXPECT_EQ(Len(QString()), 0);
    EXPECT_EQ(Len(QStringLiteral("0123456789abcdef")), 16);
    EXPECT_EQ(Len(QString::fromUtf8("\xC3\xA9t\xC3\xA9")), 3);          // "été"
    EXPECT_EQ(Len(QString::fromUtf8("\xF0\x9F\x94\x91")), 1);           // U+1F511, a surrogate pair
    EXPECT_EQ(Len(QString::fromUtf8("k\xF0\x9F\x94\x91y")), 3);
    // A lone surrogate is still one character.
    EXPECT_EQ(Len(QString(QChar(0xD83D)) + QStringLiteral("a")), 2);
}

TEST(TextTest, ToIntegerTable)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        std::int32_t integer;
    } cases[] = {
        {0.0, 0},
        {42.0, 42},
        {2.9, 2},
        {-2.9, -2},
        {-0.5, 0},
        {2147483647.0, 2147483647},
        {2147483647.9, 2147483647},
        {2147483648.0, 2147483647},
        {1e20, 2147483647},
        {inf, 2147483647},
        {-2147483648.0, -2147483647 - 1},
        {-2147483648.9, -2147483647 - 1},
        {-1e20, -2147483647 - 1},
        {-inf, -2147483647 - 1},
        {nan, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToInteger(c.value), c.integer) << "value " << c.value;
}

} // namespace
