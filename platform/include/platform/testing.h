#pragma once
// What only tests use: the class records in order, the application object, the seam the
// dialogs pass through, the clipboard's text, a line's output as bytes, and what the
// windows and controls show (their geometry, a popup's rows, what a bar shows). The
// program never includes it.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

class QMainWindow;

namespace platform {

class Application;
class Clipboard;
class FolderItem;
class Picture;
class PopupMenu;
class ProgressBar;
class RectControl;
class Shell;
class Window;

namespace test {

// Full names of the classes in the order their records were built.
QStringList ClassRecordOrder();
// The application object of the run, or nullptr.
Application* App();

// MsgBox, Beep and GetSaveFolderItem all pass through one seam: without one they show
// Qt's dialogs; a test installs a scripted seam that answers without opening a window.
// Once quit has been asked for they reach no seam.
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

// What the clipboard holds as text now.
QString Text(const Clipboard& clipboard);

bool Directory(const FolderItem& item);
int Width(const Picture& picture);
int Height(const Picture& picture);

// Where a control stands in its window's content; 0 before it is constructed.
int Left(const RectControl& control);
int Top(const RectControl& control);
int Width(const RectControl& control);
int Height(const RectControl& control);

void SetListIndex(PopupMenu& menu, int index);
int ListCount(const PopupMenu& menu);
QString List(const PopupMenu& menu, int row);

// What the bar shows now.
int ShownValue(const ProgressBar& bar);

QString Title(const Window& window);
// Size of the content under the menu bar.
int Width(const Window& window);
int Height(const Window& window);
// The Qt window, for tests that act as a user would.
QMainWindow* QtWindow(const Window& window);

// Standard output of the runner's most recent line, byte for byte.
QByteArray ResultBytes(const Shell& shell);

// Reaches, for the functions above, what a class keeps to itself.
struct Access;

} // namespace test
} // namespace platform
