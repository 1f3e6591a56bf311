// The command lines as exact text, and the default file name.
#include "client/command_lines.h"

#include <gtest/gtest.h>

using namespace commands;

// The lines as they ship, with the shipped limits: 30 s to connect, 60 s without data.
TEST(CommandLines, CarryOrdinaryValuesExactlyAsTyped)
{
    const QString curl = QStringLiteral("curl -s --fail --connect-timeout 30 --speed-limit 1 --speed-time 60");
    const QString take = ": > '/s' && s=$(" + curl + " -o '/s' -w '%{http_code}%{stderr}%{http_code}' ";
    EXPECT_EQ(ProfileList(QStringLiteral("abc-DEF_123.x~y")),
              curl + " -w '%{stderr}%{http_code}' 'http://api.pondwhirl.com/api/profile/list_all?api_key=abc-DEF_123.x~y'");
    EXPECT_EQ(ProfileDetails(QStringLiteral("42"), QStringLiteral("KEY"), QStringLiteral("'/s'")),
              ": > '/s' && s=$(trap '' XFSZ; ulimit -S -f 32768 2>/dev/null; " + curl +
                  " -o '/s' -w '%{http_code}%{stderr}%{http_code}' "
                  "'http://api.pondwhirl.com/api/profile/details?profile_id=42&api_key=KEY') && "
              "[ \"$s\" = 200 ] || exit 100; grep -a '<total_[^>]*>' '/s' || [ $? = 1 ]");
    EXPECT_EQ(Mentions(QStringLiteral("video"), QStringLiteral("title"), QStringLiteral("42"), std::nullopt,
                       QStringLiteral("KEY"), QStringLiteral("'/tmp/o.txt'"), QStringLiteral("'/s'")),
              take + "'http://api.pondwhirl.com/api/video/mentions?profile_id=42&api_key=KEY') && "
              "[ \"$s\" = 200 ] || exit 100; echo >> '/s' || exit 100; "
              "sed -n '/<title>/{s/^[ ]*<title>//;s/<\\/title>.*//;p;}' '/s' >> '/tmp/o.txt' || exit 101");
    EXPECT_EQ(Mentions(QStringLiteral("twitter"), QStringLiteral("message"), QStringLiteral("42"), 2,
                       QStringLiteral("KEY"), QStringLiteral("'/o'"), QStringLiteral("'/s'")),
              take + "'http://api.pondwhirl.com/api/twitter/mentions?profile_id=42&page_number=2&api_key=KEY') && "
              "[ \"$s\" = 200 ] || exit 100; echo >> '/s' || exit 100; "
              "sed -n '/<message>/{s/^[ ]*<message>//;s/<\\/message>.*//;p;}' '/s' >> '/o' || exit 101");
    EXPECT_EQ(Delete(QStringLiteral("'/o'")), "if [ -f '/o' ] || [ -L '/o' ]; then rm -f '/o' || exit 101; fi");
    EXPECT_EQ(CreateEmpty(QStringLiteral("'/o'")), "true >> '/o' || exit 101");
}

TEST(CommandLines, EveryRequestCarriesTheLimitsItIsGiven)
{
    const CurlLimits limits{4, 2};
    const QString curl = QStringLiteral("curl -s --fail --connect-timeout 4 --speed-limit 1 --speed-time 2 ");
    EXPECT_TRUE(ProfileList(QStringLiteral("K"), limits).startsWith(curl));
    EXPECT_TRUE(ProfileDetails(QStringLiteral("1"), QStringLiteral("K"), QStringLiteral("'/s'"), limits)
                    .contains("2>/dev/null; " + curl));
    EXPECT_TRUE(Mentions(QStringLiteral("video"), QStringLiteral("title"), QStringLiteral("1"), 3, QStringLiteral("K"),
                         QStringLiteral("'/o'"), QStringLiteral("'/s'"), limits)
                    .contains("s=$(" + curl));
}

TEST(CommandLines, PercentEncodeEverythingButUnreservedBytes)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"plainKEY0123-._~", "plainKEY0123-._~"},
        {"a'b", "a%27b"},
        {"a b", "a%20b"},
        {"$(touch x);`y`\\\"", "%24%28touch%20x%29%3B%60y%60%5C%22"},
        {"k&api_key=x#frag", "k%26api_key%3Dx%23frag"},
        {"[1-3]{a,b}", "%5B1-3%5D%7Ba%2Cb%7D"},
        {"line\nbreak", "line%0Abreak"},
        {"caf\xc3\xa9", "caf%C3%A9"},
        {"%41", "%2541"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PercentEncode(QString::fromUtf8(c.in)), QString::fromLatin1(c.out)) << c.in;
}

TEST(CommandLines, DefaultFileNameDropsSlashesBlanksColonsQuotesAndControlsOnly)
{
    const struct {
        const char* profile;
        const char* platform;
        const char* name;
    } cases[] = {
        {"Acme Corp: EU/North", "Video", "pw_AcmeCorpEUNorthVideo.txt"},
        {" /:/ ", "Website", "pw_Website.txt"},
        {"R&D (west), \"x\"", "Facebook", "pw_R&D(west),xFacebook.txt"},
        {"", "Microblogging", "pw_Microblogging.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DefaultFileName(QString::fromUtf8(c.profile), QString::fromUtf8(c.platform)),
                  QString::fromUtf8(c.name));
}

// Names from the service that would otherwise smuggle a second file name into the save
// dialog (text between double quotes), or a control character into the file name.
TEST(CommandLines, DefaultFileNameOfAHostileProfileNameHoldsNoQuoteAndNoControlCharacter)
{
    const struct {
        const char* label;
        QString profile;
        const char* name;
    } cases[] = {
        {"quoted second name", QStringLiteral("Evil\".bash_profile\""), "pw_Evil.bash_profileMicroblogging.txt"},
        {"two quoted names", QStringLiteral("\"/etc/passwd\" \"x\""), "pw_etcpasswdxMicroblogging.txt"},
        {"a lone quote", QStringLiteral("a\"b"), "pw_abMicroblogging.txt"},
        {"only a quote", QStringLiteral("\""), "pw_Microblogging.txt"},
        {"only quotes", QStringLiteral("\"\"\"\""), "pw_Microblogging.txt"},
        {"newline, tab, return", QStringLiteral("line\nnext\ttab\rret"), "pw_linenexttabretMicroblogging.txt"},
        {"escape sequence and delete", QStringLiteral("\x1b[31mred\x7f"), "pw_[31mredMicroblogging.txt"},
        {"NUL and other low controls", QStringLiteral("a") + QChar(0) + QStringLiteral("b\x01" "c\x1f"),
         "pw_abcMicroblogging.txt"},
        {"only controls", QStringLiteral("\n\t\x7f") + QChar(0), "pw_Microblogging.txt"},
        {"unicode stays", QStringLiteral("Caf\u00e9 \u6771\u4eac\u00a0\u2014 \U0001F600\u00e9"),
         "pw_Caf\u00e9\u6771\u4eac\u00a0\u2014\U0001F600\u00e9Microblogging.txt"},
        {"other punctuation stays", QStringLiteral("'*?~\\[]$`;|&<>"), "pw_'*?~\\[]$`;|&<>Microblogging.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DefaultFileName(c.profile, QStringLiteral("Microblogging")), QString::fromUtf8(c.name)) << c.label;
}

// Every ASCII character between two letters: exactly "/", " ", ":", the double quote and
// the control characters go, every other one stays where it was.
TEST(CommandLines, DefaultFileNameRemovesExactlyItsSetOfAsciiCharacters)
{
    for (char16_t u = 0; u < 0x80; ++u) {
        const QChar c(u);
        const bool removed = u < 0x20 || u == 0x7F || c == u'/' || c == u' ' || c == u':' || c == u'"';
        const QString expected = QStringLiteral("pw_a") + (removed ? QString() : QString(c)) + QStringLiteral("bVideo.txt");
        EXPECT_EQ(DefaultFileName(QStringLiteral("a") + c + QStringLiteral("b"), QStringLiteral("Video")), expected)
            << "U+" << std::hex << int(u);
    }
}
