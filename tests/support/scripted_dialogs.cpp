#include "support/scripted_dialogs.h"

namespace pwtest {

ScriptedDialogs::ScriptedDialogs() { platform::test::SetDialogSeam(this); }

ScriptedDialogs::~ScriptedDialogs() { platform::test::SetDialogSeam(nullptr); }

void ScriptedDialogs::message(const QString& text)
{
    messages.push_back(text);
    if (onMessage)
        onMessage(text);
}

void ScriptedDialogs::beep() { ++beeps; }

std::optional<QString> ScriptedDialogs::saveFile(const QString& filter, const QString& defaultName)
{
    saveFilters.push_back(filter);
    saveDefaultNames.push_back(defaultName);
    if (saveAnswers.empty())
        return std::nullopt;
    // Swapped out rather than copied: g++ 12 takes a copied optional<QString> for
    // possibly uninitialised.
    std::optional<QString> answer;
    answer.swap(saveAnswers.front());
    saveAnswers.pop_front();
    return answer;
}

} // namespace pwtest
