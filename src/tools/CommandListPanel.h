#pragma once

#include "commands/FormState.h"

#include <QObject>
#include <QTimer>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;

// The automation panel Frame6: the command list List1, recorded into by the ">" companions,
// completed with delay entries, saved and loaded as command files, and replayed by Timer2
// while Check1 is ticked.
class CommandListPanel : public QObject {
    Q_OBJECT
public:
    using Send = std::function<void(const QByteArray& frame)>;
    using Report = std::function<void(const QString& message)>;
    enum class Dialog { Open, Save };
    // Asks the user for a file name; the empty text means cancelled.
    using AskFileName =
        std::function<QString(Dialog dialog, const QString& title, const QString& filter)>;

    CommandListPanel(QGroupBox& frame, FormState& state, Send send, Report report);

    // Replaces the file dialogs (tests answer them without a display).
    void setFileNameAsker(AskFileName ask) { m_askFileName = std::move(ask); }

private:
    void buildControls();
    void placeDelayBox();
    void onRunToggled(bool on);
    void onTick();
    void onOpenClicked();
    void onSaveClicked();
    void onDelayTextChanged(const QString& text);
    void showMenu(const QPoint& pos);
    bool eventFilter(QObject* watched, QEvent* event) override;

    QGroupBox& m_frame;
    FormState& m_state;
    Send m_send;
    Report m_report;
    AskFileName m_askFileName;

    QLineEdit* m_gapBox = nullptr;
    QCheckBox* m_run = nullptr;
    QListWidget* m_list = nullptr;
    QLabel* m_delayLabel = nullptr;
    QLineEdit* m_delayBox = nullptr;
    QMenu* m_menu = nullptr;
    QTimer m_timer;
    int m_gap = 1000;
};
