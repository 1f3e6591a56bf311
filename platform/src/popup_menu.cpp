#include "platform/popup_menu.h"

#include <QComboBox>

namespace platform {

namespace {

QComboBox* comboOf(const RectControl& c) { return static_cast<QComboBox*>(c.widget()); }

// Qt selects the first row added to an empty combo box; a popup's selection changes only
// when it is set.
void addRowsKeepingSelection(QComboBox& combo, const QStringList& rows)
{
    const int before = combo.currentIndex();
    combo.addItems(rows);
    if (combo.currentIndex() != before)
        combo.setCurrentIndex(before);
}

} // namespace

QWidget* PopupMenu::createWidget(QWidget* parent) { return new QComboBox(parent); }

int PopupMenu::ListIndex() const
{
    QComboBox* w = comboOf(*this);
    return w ? w->currentIndex() : -1;
}

QString PopupMenu::Text() const
{
    QComboBox* w = comboOf(*this);
    if (!w || w->currentIndex() < 0)
        return QString();
    return w->itemText(w->currentIndex());
}

void PopupMenu::AddRow(const QString& text)
{
    addRowsKeepingSelection(static_cast<QComboBox&>(constructedWidget("popup menu")), {text});
}

void PopupMenu::setRows(const QStringList& rows)
{
    auto& combo = static_cast<QComboBox&>(constructedWidget("popup menu"));
    combo.clear();
    addRowsKeepingSelection(combo, rows);
}

} // namespace platform
