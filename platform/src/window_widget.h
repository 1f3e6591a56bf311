#pragma once
// Not part of the layer's interface.
#include <QMainWindow>
#include <QSize>

namespace platform::detail {

// The Qt window behind a Window. The window's size properties describe its content, the
// area under the menu bar, so the main window is sized as content plus menu bar.
class WindowWidget : public QMainWindow {
public:
    WindowWidget();

    // Sizes the window so that its central widget gets exactly size.
    void setContentSize(QSize size);
    QSize contentSize() const;
    void setContentLimits(QSize minimum, QSize maximum);
    QSize minContent() const { return minContent_; }
    QSize maxContent() const { return maxContent_; }
    void setResizeable(bool on);
    void setButtons(bool close, bool minimize, bool maximize);
    void setMenuBarShown(bool on);
    bool menuBarShown() const { return menuBarShown_; }

    bool closeButton = true;
    bool minimizeButton = true;
    bool maximizeButton = false;

protected:
    // Closing the window quits the application.
    void closeEvent(QCloseEvent* event) override;

private:
    int menuBarHeight(int contentWidth) const;
    void applyLimits(QSize content);
    QSize minContent_{64, 64};
    QSize maxContent_{32000, 32000};
    bool resizeable_ = true;
    bool menuBarShown_ = true;
};

} // namespace platform::detail
