#pragma once

#include "PtyPair.h"
#include "link/CommPort.h"
#include "ui/FrmMain.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

// The window with COM1 opened on the slave side of a pty pair at the given speed.
inline bool openOnPty(FrmMain& window, const PtyPair& pty, const QString& speed = "9600") {
    qputenv("TORVANE_COM1", pty.slavePath().toLocal8Bit());
    window.control<QComboBox>("Combo1")->setEditText(QStringLiteral("COM1"));
    window.control<QComboBox>("Combo2")->setEditText(speed);
    QTest::mouseClick(window.control<QPushButton>("Command32"), Qt::LeftButton);
    return window.port().isOpen();
}
