#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

// Answers the message boxes a test provokes (modal or not) and records their texts.
class MessageBoxWatcher : public QObject {
public:
    explicit MessageBoxWatcher(QMessageBox::StandardButton answer = QMessageBox::Ok)
        : m_answer(answer) {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { answerOpenBoxes(); });
        m_timer.start();
    }

    QStringList texts;
    QStringList titles;

private:
    void answerOpenBoxes() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box == nullptr || !box->isVisible()) {
                continue;
            }
            texts << box->text();
            titles << box->windowTitle();
            QAbstractButton* button = box->button(m_answer);
            if (button != nullptr) {
                button->click();
            } else {
                box->close();
            }
        }
    }

    QMessageBox::StandardButton m_answer;
    QTimer m_timer;
};
