#include "commands/CommandButtons.h"

#include "link/FrameCodec.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QRadioButton>
#include <QWidget>

namespace {

const char* const kProblemStyle = "background-color: rgb(255, 200, 200);";

} // namespace

CommandButtons::CommandButtons(QWidget& window, FormState& state, Send send, Report report)
    : QObject(&window), m_window(window), m_state(state), m_send(std::move(send)),
      m_report(std::move(report)) {}

void CommandButtons::connectButtons() {
    for (const CommandRow& row : commandCatalogue()) {
        auto* button = m_window.findChild<QAbstractButton*>(QLatin1String(row.button));
        if (button != nullptr) {
            connect(button, &QAbstractButton::clicked, this, [this, &row] { perform(row); });
        }
    }
    for (const CompanionRow& companion : companionButtons()) {
        auto* button = m_window.findChild<QAbstractButton*>(QLatin1String(companion.companion));
        if (button == nullptr) {
            continue;
        }
        connect(button, &QAbstractButton::clicked, this, [this, &companion] {
            if (companion.flag == CompanionFlag::Record) {
                m_state.RecordToList = true;
            } else {
                m_state.CaptureToIoCommand = true;
            }
            if (const CommandRow* row = findCommand(QLatin1String(companion.action))) {
                perform(*row);
            } else if (auto* action =
                           m_window.findChild<QAbstractButton*>(QLatin1String(companion.action))) {
                action->click();
            }
        });
    }
}

QString CommandButtons::controlText(const char* name) const {
    QWidget* control = m_window.findChild<QWidget*>(QLatin1String(name));
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        return edit->text();
    }
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        return combo->currentText();
    }
    return {};
}

void CommandButtons::setPlcMode(bool on) {
    if (auto* check = m_window.findChild<QCheckBox*>(QStringLiteral("Check2"))) {
        check->setChecked(on);
    }
}

void CommandButtons::selectPlcOption(PlcOption option) {
    switch (option) {
    case PlcOption::Leave:
        break;
    case PlcOption::Read:
    case PlcOption::Write: {
        const QString name =
            option == PlcOption::Read ? QStringLiteral("Option3") : QStringLiteral("Option4");
        if (auto* radio = m_window.findChild<QRadioButton*>(name)) {
            radio->setChecked(true);
        }
        break;
    }
    case PlcOption::Off:
        setPlcMode(false);
        break;
    }
}

void CommandButtons::highlight(const QString& control) {
    QWidget* widget = m_window.findChild<QWidget*>(control);
    if (widget == nullptr) {
        return;
    }
    widget->setStyleSheet(QString::fromLatin1(kProblemStyle));
    widget->setFocus();
    // The mark stays until the user edits the field.
    auto clear = [widget] { widget->setStyleSheet(QString()); };
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        connect(edit, &QLineEdit::textEdited, widget, clear, Qt::SingleShotConnection);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        connect(combo, &QComboBox::currentTextChanged, widget, clear, Qt::SingleShotConnection);
    }
}

void CommandButtons::perform(const CommandRow& row) {
    selectPlcOption(row.plc);
    const BuildResult built = buildCommand(
        row, [this](const char* name) { return controlText(name); }, m_state);
    switch (built.kind) {
    case BuildResult::Built:
        break;
    case BuildResult::Stopped:
        return;
    case BuildResult::Refused:
        m_state.RecordToList = false;
        m_state.CaptureToIoCommand = false;
        m_report(built.problem.message);
        highlight(built.problem.control);
        return;
    case BuildResult::OutOfRange:
        m_state.RecordToList = false;
        QMessageBox::warning(&m_window, QStringLiteral("系统提示"),
                             QStringLiteral("偏移地址超出范围,请设置0-65500之间"));
        return;
    }

    const QByteArray& frame = built.frame;
    if ((row.honours & HonoursCapture) && m_state.CaptureToIoCommand) {
        m_state.CaptureToIoCommand = false;
        if (auto* box = m_window.findChild<QLineEdit*>(QStringLiteral("Text31"))) {
            box->setText(FormatHexPairs(frame, 1, frame.size() - 3));
        }
        return;
    }
    if ((row.honours & HonoursRecord) && m_state.RecordToList) {
        m_state.RecordToList = false;
        if (auto* list = m_window.findChild<QListWidget*>(QStringLiteral("List1"))) {
            list->addItem(FormatHexPairs(frame));
        }
    }
    m_send(frame);
    afterSend(row);
}

void CommandButtons::afterSend(const CommandRow& row) {
    auto caption = [this](const char* name, const QString& text) {
        if (auto* button = m_window.findChild<QAbstractButton*>(QLatin1String(name))) {
            button->setText(text);
        }
    };
    switch (row.shape) {
    case DataShape::OutputK1:
    case DataShape::OutputK2:
        // Each caption names what the next click on that button does.
        caption("Command109", m_state.K1State ? QStringLiteral("K1关") : QStringLiteral("K1开"));
        caption("Command110", m_state.K2State ? QStringLiteral("K2关") : QStringLiteral("K2开"));
        break;
    case DataShape::LastChr:
        caption("Command78",
                m_state.LastChrState ? QStringLiteral("NoLast") : QStringLiteral("LastChr"));
        break;
    case DataShape::RegisterBase:
        setPlcMode(true);
        break;
    default:
        break;
    }
}
