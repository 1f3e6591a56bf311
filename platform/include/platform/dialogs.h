#pragma once
// Message box, beep and save dialog: Qt's own (tests answer them through the seam in
// platform/testing.h). Once quit has been asked for they show nothing: the message box
// and beep return at once, the save dialog as cancelled.
#include "platform/files.h"

#include <QString>
#include <memory>

namespace platform {

void MsgBox(const QString& text);
void Beep();
// The chosen file, or nullptr when the user cancels.
std::unique_ptr<FolderItem> GetSaveFolderItem(const QString& filter, const QString& defaultName);

} // namespace platform
