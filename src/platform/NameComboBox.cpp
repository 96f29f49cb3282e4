// SPDX-License-Identifier: GPL-3.0-or-later
#include "NameComboBox.h"

#include "TextBox.h"

#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QStylePainter>

namespace platform {
namespace {

// The text field of an editable NameComboBox: without the focus, a text too long for it is drawn as its start
// and "…"; with the focus it is the usual text field.
class NameField : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

    QString shownText() const
    {
        return fontMetrics().elidedText(text(), Qt::ElideRight, lineEditTextRect(this).width());
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (hasFocus() || shownText() == text()) {
            QLineEdit::paintEvent(event);
            return;
        }
        QPainter painter(this);
        QStyleOptionFrame panel;
        initStyleOption(&panel);
        style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
        painter.drawText(lineEditTextRect(this), Qt::AlignLeft | Qt::AlignVCenter, shownText());
    }
};

}  // namespace

NameComboBox::NameComboBox(Kind kind, QWidget* parent) : QComboBox(parent)
{
    if (kind != Kind::Editable)
        return;
    auto* field = new NameField(this);
    setLineEdit(field);
    // A name the program puts in the field shows its start, also once the field has the focus.
    connect(field, &QLineEdit::textChanged, this, [field] {
        if (!field->hasFocus())
            field->setCursorPosition(0);
    });
    connect(this, &QComboBox::currentIndexChanged, this, [field] { field->setCursorPosition(0); });
}

QString NameComboBox::shownText() const
{
    if (const auto* field = dynamic_cast<const NameField*>(lineEdit()))
        return field->hasFocus() ? field->text() : field->shownText();
    QStyleOptionComboBox option;
    initStyleOption(&option);
    // The label is drawn a pixel inside the field on each side, after the icon where there is one.
    QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    if (!option.currentIcon.isNull())
        field.setLeft(field.left() + option.iconSize.width() + 4);
    return fontMetrics().elidedText(currentText(), Qt::ElideRight, field.width() - 2);
}

void NameComboBox::paintEvent(QPaintEvent* event)
{
    if (isEditable()) {
        QComboBox::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.currentText = shownText();
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

}  // namespace platform
