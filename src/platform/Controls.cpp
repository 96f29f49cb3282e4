// SPDX-License-Identifier: GPL-3.0-or-later
#include "Controls.h"

#include "FitLabel.h"
#include "Guard.h"

#include <QAccessibleWidget>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QStylePainter>

#include <cmath>
#include <utility>

namespace platform {
namespace {

// Where a line edit lays out its text: inside the frame and text margins, less the 2 pixels it keeps on each side.
QRect lineEditTextRect(const QLineEdit* box)
{
    QStyleOptionFrame option;
    option.initFrom(box);  // the whole box
    option.lineWidth = box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
    option.state |= QStyle::State_Sunken;
    constexpr int kSideMargin = 2;
    return box->style()
        ->subElementRect(QStyle::SE_LineEditContents, &option, box)
        .marginsRemoved(box->textMargins())
        .adjusted(kSideMargin, 0, -kSideMargin, 0);
}

class CommandButtonAccessible final : public QAccessibleWidget {
public:
    explicit CommandButtonAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Button) {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
            return button()->text().remove(u'&');
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.pressed = button()->isDown();
        return state;
    }

    QStringList actionNames() const override { return QStringList(pressAction()) + QAccessibleWidget::actionNames(); }

    void doAction(const QString& action) override
    {
        if (action != pressAction())
            QAccessibleWidget::doAction(action);
        else if (button()->isEnabled())
            // The click runs from the event loop right after this call has returned to the caller.
            QMetaObject::invokeMethod(button(), &QAbstractButton::click, Qt::QueuedConnection);
    }

private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String(CommandButton::staticMetaObject.className()) && object && object->isWidgetType())
        return new CommandButtonAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

// An editable NameComboBox's field: unfocused, a text too long is drawn as its start and "…"; focused, as usual.
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

CommandButton::CommandButton(QWidget* parent) : QToolButton(parent)
{
    static bool factoryInstalled = false;
    if (!std::exchange(factoryInstalled, true))
        QAccessible::installFactory(accessibleFactory);
    setFocusPolicy(Qt::StrongFocus);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
}

void CommandButton::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier &&
        !event->isAutoRepeat())
        click();
    else
        QToolButton::keyPressEvent(event);
}

HScrollBar::HScrollBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void HScrollBar::keyPressEvent(QKeyEvent* event)
{
    const bool inverted = invertedControls();
    setInvertedControls(false);
    QScrollBar::keyPressEvent(event);
    setInvertedControls(inverted);
}

void setTextShowingStart(QLineEdit* box, const QString& text)
{
    box->setText(text);
    box->setCursorPosition(0);
}

void keepTextWhole(QLineEdit* box, double minimumPoints)
{
    // The font the box is described with; the box shows its text in a smaller one where that does not fit.
    const QFont described = box->font();
    const auto fit = [box, described, minimumPoints] {
        const QString text = box->text();
        // The text fits whole with room for the cursor after it (the line edit keeps one pixel after the text for it).
        const QFont font = fittingFont(described, minimumPoints, box, [&](const QFont& candidate) {
                               const qreal width = QFontMetricsF(candidate, box).horizontalAdvance(text);
                               return std::ceil(width) + 1 <= lineEditTextRect(box).width();
                           }).font;
        if (font != box->font())
            box->setFont(font);
    };
    QObject::connect(box, &QLineEdit::textChanged, box, guardedSlot(fit));
    fit();
}

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

KeyPressFilter::KeyPressFilter(QWidget* widget, Handler handler) : QObject(widget), mHandler(std::move(handler))
{
    widget->installEventFilter(this);
}

bool KeyPressFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    int code = 0;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        code = 13;
    else if (key->text().size() == 1)
        code = key->text().at(0).unicode();
    if (code == 0)
        return false;  // not a character key
    runGuarded([&] { mHandler(code); });
    return code == 0;
}

}  // namespace platform
