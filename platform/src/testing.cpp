#include "platform/testing.h"

#include "platform/class_registry.h"
#include "platform/clipboard.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "testing_private.h"
#include "window_widget.h"

#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMainWindow>
#include <QProgressBar>
#include <QWidget>
#include <algorithm>

namespace platform::test {

struct Access {
    static QMainWindow* qtWindow(const Window& window) { return window.qtWindow_.get(); }
    static QByteArray resultBytes(const Shell& shell) { return shell.stdout_; }
};

namespace {
QComboBox* comboOf(const PopupMenu& menu) { return static_cast<QComboBox*>(menu.widget()); }
} // namespace

QStringList ClassRecordOrder()
{
    QStringList names;
    for (const auto& record : detail::ClassRecordsInOrder())
        names << record->fullName;
    return names;
}

Application* App() { return detail::AppObject(); }

void SetDialogSeam(DialogSeam* seam) { detail::dialogSeam = seam; }

QString Text(const Clipboard&) { return QGuiApplication::clipboard()->text(); }

bool Directory(const FolderItem& item) { return QFileInfo(item.NativePath()).isDir(); }
int Width(const Picture& picture) { return picture.image().width(); }
int Height(const Picture& picture) { return picture.image().height(); }

int Left(const RectControl& control) { return control.widget() ? control.widget()->x() : 0; }
int Top(const RectControl& control) { return control.widget() ? control.widget()->y() : 0; }
int Width(const RectControl& control) { return control.widget() ? control.widget()->width() : 0; }
int Height(const RectControl& control) { return control.widget() ? control.widget()->height() : 0; }

void SetListIndex(PopupMenu& menu, int index)
{
    static_cast<QComboBox&>(menu.constructedWidget("popup menu")).setCurrentIndex(index);
}

int ListCount(const PopupMenu& menu)
{
    QComboBox* w = comboOf(menu);
    return w ? w->count() : 0;
}

QString List(const PopupMenu& menu, int row)
{
    QComboBox* w = comboOf(menu);
    return w ? w->itemText(row) : QString();
}

int ShownValue(const ProgressBar& bar)
{
    auto* shown = static_cast<QProgressBar*>(bar.widget());
    return shown ? shown->value() : std::clamp(bar.Value(), 0, std::max(0, bar.Maximum()));
}

QString Title(const Window& window)
{
    QMainWindow* qt = Access::qtWindow(window);
    return qt ? qt->windowTitle() : QString();
}

int Width(const Window& window) { return window.content() ? window.content()->width() : 0; }
int Height(const Window& window) { return window.content() ? window.content()->height() : 0; }

QMainWindow* QtWindow(const Window& window) { return Access::qtWindow(window); }

QByteArray ResultBytes(const Shell& shell) { return Access::resultBytes(shell); }

} // namespace platform::test
