#pragma once
// A popup menu of text rows.
#include "platform/rect_control.h"

#include <QStringList>

namespace platform {

class PopupMenu : public RectControl {
public:
    using RectControl::RectControl;
    // The selected row, 0-based; -1 when none.
    int ListIndex() const;
    // The selected row's text; empty when none.
    QString Text() const;
    void AddRow(const QString& text);
    const std::vector<PropertyDescriptor>& propertyTable() const override;

protected:
    QWidget* createWidget(QWidget* parent) override;

private:
    // Replaces the rows; the selection stays as it was set.
    void setRows(const QStringList& rows);
};

} // namespace platform
