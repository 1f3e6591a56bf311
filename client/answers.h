#pragma once
// The readers of the service's answers that come back into the program: the profile
// list and a profile's total. Plain text cuts at fixed tag strings, no XML parsing. Pure
// functions: the answer in, what the program uses out.
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace answers {

// One field of the profile list: the text before the first "<profile>" (the header),
// then the text of each profile up to the next one. name is the text after the field's
// first "<name>" up to the first "</name>" after it, id the same with "<id>"; either is
// empty when the field holds no such tag.
struct ProfileField {
    QString name;
    QString id;
};

// Whether the answer lists a profile: it holds "<profile>".
bool ListsAProfile(const QString& answer);
// The fields of the answer, in order; none for the empty answer.
std::vector<ProfileField> ProfileFields(const QString& answer);

// The total the details answer gives: the number at the start of the text inside its
// first element whose tag begins with "total_". nullopt when there is no such element,
// or its text does not begin with a number.
std::optional<std::int32_t> MentionsTotal(const QString& detailsAnswer);

} // namespace answers
