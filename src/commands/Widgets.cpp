#include "commands/Widgets.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

QGroupBox* makeFrame(const QString& name, const QString& caption, QWidget* parent) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    return frame;
}

QLabel* makeLabel(const QString& name, const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

QPushButton* makeButton(const QString& name, const QString& caption, const QString& accessibleName,
                        QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    if (!accessibleName.isEmpty()) {
        button->setAccessibleName(accessibleName);
    }
    return button;
}

QLineEdit* makeEdit(const QString& name, const QString& text, QWidget* parent) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    return edit;
}

QComboBox* makeCombo(const QString& name, const QStringList& items, const QString& text,
                     QWidget* parent, bool editable) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(editable);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    if (editable) {
        combo->setEditText(text);
    } else {
        combo->setCurrentText(text);
    }
    return combo;
}

void labelFor(QLabel* label, QWidget* field) {
    label->setBuddy(field);
    QString name = label->text().trimmed();
    while (name.endsWith(u':') || name.endsWith(u'：')) {
        name.chop(1);
    }
    field->setAccessibleName(name);
}
