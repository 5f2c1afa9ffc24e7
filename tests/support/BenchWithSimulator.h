#pragma once

#include "OpenWindow.h"
#include "SimulatorProcess.h"

#include <QLineEdit>

// The workbench window talking to the real simulator executable over its pseudo-terminal,
// COM1 bound to it; the simulator's console is the test's way to change and read the
// simulated drivers.
class BenchWithSimulator {
public:
    // Starts the simulator with `arguments` and opens COM1 on it at 9600 baud.
    bool start(const QStringList& arguments = {}) {
        if (!sim.start(arguments, false)) {
            return false;
        }
        qputenv("TORVANE_COM1", sim.path.toLocal8Bit());
        window.control<QComboBox>("Combo1")->setEditText(QStringLiteral("COM1"));
        window.control<QComboBox>("Combo2")->setEditText(QStringLiteral("9600"));
        QTest::mouseClick(window.control<QPushButton>("Command32"), Qt::LeftButton);
        return window.port().isOpen();
    }

    void setText(const char* control, const QString& text) {
        if (auto* edit = window.control<QLineEdit>(QLatin1String(control))) {
            edit->setText(text);
        } else if (auto* combo = window.control<QComboBox>(QLatin1String(control))) {
            combo->setEditText(text);
        }
    }

    void click(const char* button) {
        QTest::mouseClick(window.control<QPushButton>(QLatin1String(button)), Qt::LeftButton);
    }

    QString text(const char* control) const {
        if (auto* edit = window.control<QLineEdit>(QLatin1String(control))) {
            return edit->text();
        }
        return {};
    }

    // A line for the simulator's console, e.g. "inputs 00101".
    void console(const QByteArray& line) { sim.process.write(line + '\n'); }

    // The simulator's "state" summary of every driver, read from its console.
    QString state() {
        sim.process.readAllStandardOutput();
        console("state");
        QString summary;
        const QDeadlineTimer deadline(3000);
        while (!deadline.hasExpired()) {
            QCoreApplication::processEvents();
            // processEvents may already have taken the output into the process's buffer,
            // where waitForReadyRead no longer sees it: read whatever is there either way.
            sim.process.waitForReadyRead(20);
            summary += QString::fromLocal8Bit(sim.process.readAllStandardOutput());
            if (summary.contains(QStringLiteral("IO commands:")) && summary.endsWith(u'\n')) {
                break;
            }
        }
        return summary;
    }

    SimulatorProcess sim;
    FrmMain window;
};
