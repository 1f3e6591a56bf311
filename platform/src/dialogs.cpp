#include "platform/dialogs.h"

#include "platform/runtime.h"
#include "platform/testing.h"
#include "testing_private.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace platform {

test::DialogSeam* detail::dialogSeam = nullptr;

namespace {
// The program's file types are all "text/any": any file may be chosen.
QString qtFilter(const QString&) { return QStringLiteral("All files (*)"); }
} // namespace

void MsgBox(const QString& text)
{
    // Once the user has asked to quit, nothing more is put in front of them.
    if (QuitRequested())
        return;
    if (test::DialogSeam* seam = detail::dialogSeam) {
        seam->message(text);
        return;
    }
    QMessageBox box(QApplication::activeWindow());
    // Without a title of its own the box would be titled with the short application name.
    box.setWindowTitle(QApplication::applicationDisplayName());
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void Beep()
{
    if (QuitRequested())
        return;
    if (test::DialogSeam* seam = detail::dialogSeam) {
        seam->beep();
        return;
    }
    QApplication::beep();
}

std::unique_ptr<FolderItem> GetSaveFolderItem(const QString& filter, const QString& defaultName)
{
    if (QuitRequested())
        return nullptr;
    std::optional<QString> chosen;
    if (test::DialogSeam* seam = detail::dialogSeam) {
        chosen = seam->saveFile(filter, defaultName);
    } else {
        // Qt's own dialog, the same on every desktop; it asks before replacing a file.
        const QString path = QFileDialog::getSaveFileName(
            QApplication::activeWindow(), QString(), QDir(QDir::homePath()).filePath(defaultName),
            qtFilter(filter), nullptr, QFileDialog::DontUseNativeDialog);
        if (!path.isEmpty())
            chosen = path;
    }
    if (!chosen || chosen->isEmpty())
        return nullptr;
    return std::make_unique<FolderItem>(QFileInfo(*chosen).absoluteFilePath());
}

} // namespace platform
