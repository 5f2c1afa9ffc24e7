#pragma once

#include "OpenWindow.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

// The window with COM1 open on a pseudo-terminal; `line()` gathers what reached the far side.
// The port writes from the event loop, so compare it inside QTRY_*.
struct OpenWorkbench {
    PtyPair pty;
    std::unique_ptr<FrmMain> window;
    QByteArray received;

    explicit OpenWorkbench(bool open = true) {
        qputenv("TORVANE_COM1", pty.slavePath().toLocal8Bit());
        window = std::make_unique<FrmMain>();
        if (open) {
            openOnPty(*window, pty);
        }
    }

    template <typename T = QWidget> T* get(const char* name) const {
        return window->control<T>(QLatin1String(name));
    }
    void click(const char* name) const {
        QTest::mouseClick(get<QPushButton>(name), Qt::LeftButton);
    }
    void type(const char* name, const QString& text) const { get<QLineEdit>(name)->setText(text); }
    void setPlcMode(bool on) const {
        if (get<QCheckBox>("Check2")->isChecked() != on) {
            QTest::mouseClick(get<QCheckBox>("Check2"), Qt::LeftButton, {}, QPoint(5, 10));
        }
    }
    QByteArray line() {
        received += pty.drain(0);
        return received;
    }
};
