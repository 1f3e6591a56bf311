#pragma once
// The dialog seam, scripted: message boxes are recorded and dismissed at once, the save
// dialog returns the next answer set ahead, beeps are counted. Installed for its lifetime.
#include "platform/testing.h"

#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace pwtest {

class ScriptedDialogs : public platform::test::DialogSeam {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    void message(const QString& text) override;
    void beep() override;
    std::optional<QString> saveFile(const QString& filter, const QString& defaultName) override;

    std::vector<QString> messages;            // every text shown, in order
    int beeps = 0;
    std::vector<QString> saveFilters;         // filter of each save dialog shown
    std::vector<QString> saveDefaultNames;    // default name of each save dialog shown
    std::deque<std::optional<QString>> saveAnswers;   // next answers; none left: cancel
    // Called for each message after it is recorded (e.g. to act while it is "shown").
    std::function<void(const QString&)> onMessage;
};

} // namespace pwtest
