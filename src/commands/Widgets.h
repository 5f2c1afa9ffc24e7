#pragma once

#include <QString>
#include <QStringList>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Small factories for the window's controls: each control gets its documented name as its
// objectName, and a sensible accessible name where its caption alone says too little.

QGroupBox* makeFrame(const QString& name, const QString& caption, QWidget* parent = nullptr);
QLabel* makeLabel(const QString& name, const QString& caption, QWidget* parent = nullptr);
// accessibleName: spoken name when the caption is a symbol ("?", ">", "↓"); empty keeps it.
QPushButton* makeButton(const QString& name, const QString& caption,
                        const QString& accessibleName = QString(), QWidget* parent = nullptr);
QLineEdit* makeEdit(const QString& name, const QString& text, QWidget* parent = nullptr);
QComboBox* makeCombo(const QString& name, const QStringList& items, const QString& text,
                     QWidget* parent = nullptr, bool editable = true);
// Makes label the buddy of field and names the field after the label's text.
void labelFor(QLabel* label, QWidget* field);
