// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>

namespace platform {

// A combo box of item names. A name too long for the box shows its start and "…", never its tail (where an
// editable box's text field, its cursor at the end, would scroll) nor a start cut off without a sign. An
// editable box being typed in shows its text as a text box does.
class NameComboBox : public QComboBox {
    Q_OBJECT
public:
    enum class Kind { ChooseOnly, Editable };
    explicit NameComboBox(Kind kind, QWidget* parent = nullptr);

    // The text as the box shows it now: the whole current text where it fits, else its start and "…".
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace platform
