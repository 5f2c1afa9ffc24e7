#pragma once

#include "commands/Widgets.h"

#include <QColor>
#include <QGridLayout>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QStringList>

#include <algorithm>

// Shared bits of the panels: compact sizing and the documented tints and tooltips.

inline const QColor kQueryTint(192, 255, 192);   // query buttons and queried values
inline const QColor kCaptureTint(255, 128, 128); // capture and IO substitution buttons
inline const QString kRecordTip = QStringLiteral("加入高级命令");
inline const QString kCaptureTip = QStringLiteral("添加IO取代命令");

// The style gives every captioned button a wide minimum; these rows need the caption only.
inline void fixToCaption(QPushButton* button, int padding = 12) {
    const int text = button->fontMetrics().horizontalAdvance(button->text());
    button->setFixedWidth(std::max(text + padding, 24));
}

// Lets a layout shrink the button down to its widest caption (it may still grow with its
// column); `otherCaptions` are captions the button takes later.
inline QPushButton* fitCaption(QPushButton* button, const QStringList& otherCaptions = {}) {
    int widest = button->fontMetrics().horizontalAdvance(button->text());
    for (const QString& caption : otherCaptions) {
        widest = std::max(widest, button->fontMetrics().horizontalAdvance(caption));
    }
    button->setMinimumWidth(widest + 12);
    return button;
}

// A box that shows `sample` whole and may grow to `maxWidth`.
inline void fitBox(QWidget* box, const QString& sample, int maxWidth) {
    const int width = box->fontMetrics().horizontalAdvance(sample) + 10;
    box->setMinimumWidth(width);
    box->setMaximumWidth(std::max(width, maxWidth));
}

inline void tint(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(qobject_cast<QLineEdit*>(widget) ? QPalette::Base : QPalette::Button, color);
    widget->setPalette(palette);
}

inline QGridLayout* compactGrid(QWidget* frame) {
    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(5, 4, 5, 4);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(2);
    return grid;
}

// ">" beside its action; `action` names what it records, for the spoken name.
inline QPushButton* recordButton(const char* name, const QString& action) {
    auto* button = makeButton(QLatin1String(name), QStringLiteral(">"),
                              action + QStringLiteral("加入高级命令"));
    button->setToolTip(kRecordTip);
    fixToCaption(button);
    return button;
}
