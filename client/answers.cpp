#include "client/answers.h"

#include "platform/text.h"

#include <QStringList>

namespace answers {

namespace {

const QString kProfileTag = QStringLiteral("<profile>");

// The text between the first open tag and the first close tag after it.
QString cut(const QString& field, const QString& open, const QString& close)
{
    return platform::NthField(platform::NthField(field, open, 2), close, 1);
}

} // namespace

bool ListsAProfile(const QString& answer) { return platform::CountFields(answer, kProfileTag) >= 2; }

std::vector<ProfileField> ProfileFields(const QString& answer)
{
    std::vector<ProfileField> fields;
    if (answer.isEmpty())
        return fields;
    // One split of the answer, read once.
    const QStringList parts = answer.split(kProfileTag, Qt::KeepEmptyParts);
    fields.reserve(static_cast<std::size_t>(parts.size()));
    for (const QString& part : parts)
        fields.push_back({cut(part, QStringLiteral("<name>"), QStringLiteral("</name>")),
                          cut(part, QStringLiteral("<id>"), QStringLiteral("</id>"))});
    return fields;
}

std::optional<std::int32_t> MentionsTotal(const QString& detailsAnswer)
{
    if (platform::CountFields(detailsAnswer, QStringLiteral("<total_")) < 2)
        return std::nullopt;
    const QString first = platform::NthField(detailsAnswer, QStringLiteral("<total_"), 2);
    const QString inside = platform::NthField(first, QStringLiteral(">"), 2);
    const std::optional<double> number =
        platform::LeadingNumber(platform::NthField(inside, QStringLiteral("</total_"), 1));
    if (!number)
        return std::nullopt;
    return platform::ToInteger(*number);
}

} // namespace answers
