#pragma once
// Message box, beep and save dialog. They all pass through one seam: production shows
// Qt's dialogs; tests install a scripted seam that answers without opening a window.
// Once quit has been asked for they show nothing and reach no seam: the message box and
// beep return at once, the save dialog as cancelled.
#include "platform/files.h"

#include <QString>
#include <memory>
#include <optional>

namespace platform {

class DialogSeam {
public:
    virtual ~DialogSeam() = default;
    // A modal message box with text; returns when it is dismissed.
    virtual void message(const QString& text) = 0;
    virtual void beep() = 0;
    // A modal save dialog proposing defaultName; the chosen absolute path, or nullopt
    // when the user cancels.
    virtual std::optional<QString> saveFile(const QString& filter, const QString& defaultName) = 0;
};

// Replaces the seam (nullptr: back to Qt's dialogs). The caller keeps ownership.
void SetDialogSeam(DialogSeam* seam);

void MsgBox(const QString& text);
void Beep();
// The chosen file, or nullptr when the user cancels.
std::unique_ptr<FolderItem> GetSaveFolderItem(const QString& filter, const QString& defaultName);

} // namespace platform
