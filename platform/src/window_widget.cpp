#include "window_widget.h"

#include "platform/runtime.h"

#include <QCloseEvent>
#include <QLayout>
#include <QWindow>
#include <algorithm>

namespace platform {

namespace detail {

WindowWidget::WindowWidget()
{
    setButtons(closeButton, minimizeButton, maximizeButton);
}

int WindowWidget::menuBarHeight(int contentWidth) const
{
    QWidget* bar = menuWidget();
    if (!bar || bar->isHidden())
        return 0;
    // The same height Qt's main-window layout gives the bar at that width.
    int h = bar->heightForWidth(std::max(contentWidth, bar->minimumWidth()));
    if (h < 0)
        h = bar->sizeHint().height();
    return std::clamp(h, bar->minimumSizeHint().height(), bar->maximumHeight());
}

QSize WindowWidget::contentSize() const
{
    return centralWidget() ? centralWidget()->size() : QSize();
}

void WindowWidget::applyLimits(QSize content)
{
    const int bar = menuBarHeight(content.width());
    auto bounded = [](int v) { return std::clamp(v, 0, QWIDGETSIZE_MAX); };
    if (resizeable_) {
        setMinimumSize(bounded(minContent_.width()), bounded(minContent_.height() + bar));
        setMaximumSize(bounded(maxContent_.width()), bounded(maxContent_.height() + bar));
    } else {
        setFixedSize(bounded(content.width()), bounded(content.height() + bar));
    }
}

void WindowWidget::setContentSize(QSize size)
{
    size = size.expandedTo(QSize(0, 0));
    applyLimits(size);
    resize(size.width(), size.height() + menuBarHeight(size.width()));
    // Settle the layout now, even while the window is hidden, so that the content's size
    // reads back at once; correct once for any difference in the bar's height.
    if (layout()) {
        layout()->invalidate();
        layout()->activate();
        const QSize got = contentSize();
        const QSize wanted = size.boundedTo(maxContent_).expandedTo(minContent_);
        if (got != wanted && resizeable_) {
            resize(this->size() + (wanted - got));
            layout()->invalidate();
            layout()->activate();
        }
    }
}

void WindowWidget::setContentLimits(QSize minimum, QSize maximum)
{
    minContent_ = minimum;
    maxContent_ = maximum;
    setContentSize(contentSize());
}

void WindowWidget::setResizeable(bool on)
{
    const QSize content = contentSize();
    resizeable_ = on;
    if (on) {
        // Undo setFixedSize before the limits apply again.
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    setContentSize(content);
}

void WindowWidget::setButtons(bool close, bool minimize, bool maximize)
{
    closeButton = close;
    minimizeButton = minimize;
    maximizeButton = maximize;
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (close)
        flags |= Qt::WindowCloseButtonHint;
    if (minimize)
        flags |= Qt::WindowMinimizeButtonHint;
    if (maximize)
        flags |= Qt::WindowMaximizeButtonHint;
    if (flags == windowFlags())
        return;
    // setWindowFlags hides a window on screen and shows it again, and a window manager
    // may lose a window unmapped that quickly: a shown window gets its flags in place.
    if (isVisible() && windowHandle()) {
        overrideWindowFlags(flags);
        windowHandle()->setFlags(flags);
        return;
    }
    setWindowFlags(flags);
}

void WindowWidget::closeEvent(QCloseEvent* event)
{
    QMainWindow::closeEvent(event);
    // Qt's own quit on the last window closed would wait for a running handler to return
    // and leave its work going on unseen; Quit also tells that work to stop.
    if (event->isAccepted())
        Quit();
}

void WindowWidget::setMenuBarShown(bool on)
{
    const QSize content = contentSize();
    menuBarShown_ = on;
    if (QWidget* bar = menuWidget())
        bar->setVisible(on);
    setContentSize(content);
}

} // namespace detail

} // namespace platform
