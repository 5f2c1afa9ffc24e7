#include "tools/CommandListPanel.h"

#include "commands/Widgets.h"
#include "tools/CommandFile.h"
#include "tools/CommandList.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

const QString kBlank = QStringLiteral("        ");
constexpr int kDelayBoxWidth = 46;

// Label32 keeps its caption with the blanks, but draws the blank part as wide as the delay
// box that stands over it; proportional fonts make eight blanks too narrow for a number.
class BlankHoldingLabel : public QLabel {
public:
    BlankHoldingLabel(const QString& prefix, const QString& suffix, QWidget* parent)
        : QLabel(prefix + kBlank + suffix, parent), m_prefix(prefix), m_suffix(suffix) {}

    // Where the blank part begins, in the label's coordinates.
    int blankStart() const {
        return contentsRect().left() + fontMetrics().horizontalAdvance(m_prefix) + 2;
    }
    QSize sizeHint() const override {
        const QFontMetrics metrics = fontMetrics();
        const QMargins margins = contentsMargins();
        return {metrics.horizontalAdvance(m_prefix) + kDelayBoxWidth + 6 +
                    metrics.horizontalAdvance(m_suffix) + margins.left() + margins.right(),
                metrics.height() + margins.top() + margins.bottom()};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area = contentsRect();
        const int suffixStart = blankStart() + kDelayBoxWidth + 4;
        style()->drawItemText(&painter, area, Qt::AlignLeft | Qt::AlignVCenter, palette(),
                              isEnabled(), m_prefix, foregroundRole());
        style()->drawItemText(&painter, area.adjusted(suffixStart - area.left(), 0, 0, 0),
                              Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(), m_suffix,
                              foregroundRole());
    }

private:
    QString m_prefix;
    QString m_suffix;
};

QString askWithFileDialog(QWidget* parent, CommandListPanel::Dialog dialog, const QString& title,
                          const QString& filter) {
    if (dialog == CommandListPanel::Dialog::Open) {
        return QFileDialog::getOpenFileName(parent, title, QString(), filter);
    }
    // The panel asks its own overwrite question.
    return QFileDialog::getSaveFileName(parent, title, QString(), filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

} // namespace

CommandListPanel::CommandListPanel(QGroupBox& frame, FormState& state, Send send, Report report)
    : QObject(&frame), m_frame(frame), m_state(state), m_send(std::move(send)),
      m_report(std::move(report)) {
    setObjectName(QStringLiteral("CommandListPanel"));
    m_askFileName = [this](Dialog dialog, const QString& title, const QString& filter) {
        return askWithFileDialog(&m_frame, dialog, title, filter);
    };
    m_timer.setParent(this);
    m_timer.setObjectName(QStringLiteral("Timer2"));
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &CommandListPanel::onTick);
    buildControls();
}

void CommandListPanel::buildControls() {
    auto* column = new QVBoxLayout(&m_frame);
    column->setContentsMargins(6, 4, 6, 6);
    column->setSpacing(4);

    auto* gapRow = new QHBoxLayout;
    auto* gapLabel = makeLabel(QStringLiteral("Label59"), QStringLiteral("隔"));
    m_gapBox = makeEdit(QStringLiteral("Text22"), QStringLiteral("1000"));
    m_gapBox->setFixedWidth(56);
    m_gapBox->setAccessibleName(QStringLiteral("命令间隔(MS)"));
    gapLabel->setBuddy(m_gapBox);
    gapRow->addWidget(gapLabel);
    gapRow->addWidget(m_gapBox);
    gapRow->addWidget(makeLabel(QStringLiteral("Label60"), QStringLiteral("MS")));
    gapRow->addStretch(1);
    column->addLayout(gapRow);

    m_run = new QCheckBox(QStringLiteral("按行循环执行命令"));
    m_run->setObjectName(QStringLiteral("Check1"));
    column->addWidget(m_run);

    auto* fileRow = new QHBoxLayout;
    auto* open = makeButton(QStringLiteral("Command54"), QStringLiteral("打开文件"));
    auto* save = makeButton(QStringLiteral("Command55"), QStringLiteral("命令另存为"));
    fileRow->addWidget(open);
    fileRow->addWidget(save);
    column->addLayout(fileRow);

    m_list = new QListWidget;
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setAccessibleName(QStringLiteral("命令列表"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->setMinimumHeight(120);
    m_list->viewport()->installEventFilter(this);
    column->addWidget(m_list, 1);

    // The delay box stands over the blank part of its label.
    m_delayLabel =
        new BlankHoldingLabel(QStringLiteral("延时:"), QStringLiteral("毫秒50-6000"), &m_frame);
    m_delayLabel->setObjectName(QStringLiteral("Label32"));
    m_delayBox = makeEdit(QStringLiteral("Text20"), QStringLiteral("1000"), &m_frame);
    m_delayBox->setAccessibleName(QStringLiteral("延时(毫秒)"));
    m_delayLabel->setBuddy(m_delayBox);
    m_delayLabel->setMinimumHeight(m_delayBox->sizeHint().height());
    m_delayLabel->installEventFilter(this);
    column->addWidget(m_delayLabel);

    auto* insert = makeButton(QStringLiteral("Command34"), QStringLiteral("插入命令"));
    column->addWidget(insert);

    m_menu = new QMenu(QStringLiteral("命令操作"), &m_frame);
    m_menu->setObjectName(QStringLiteral("MenuCMD"));
    QAction* remove = m_menu->addAction(QStringLiteral("删除"));
    remove->setObjectName(QStringLiteral("DelectList"));
    QAction* clear = m_menu->addAction(QStringLiteral("清空"));
    clear->setObjectName(QStringLiteral("DelectAll"));

    connect(m_run, &QCheckBox::toggled, this, &CommandListPanel::onRunToggled);
    connect(open, &QPushButton::clicked, this, &CommandListPanel::onOpenClicked);
    connect(save, &QPushButton::clicked, this, &CommandListPanel::onSaveClicked);
    connect(insert, &QPushButton::clicked, this,
            [this] { m_list->addItem(delayEntry(m_delayBox->text())); });
    connect(m_delayBox, &QLineEdit::textChanged, this, &CommandListPanel::onDelayTextChanged);
    connect(m_list, &QListWidget::customContextMenuRequested, this, &CommandListPanel::showMenu);
    connect(remove, &QAction::triggered, this, [this] {
        const QList<QListWidgetItem*> selected = m_list->selectedItems();
        if (!selected.isEmpty()) {
            delete m_list->takeItem(m_list->row(selected.first()));
        }
    });
    connect(clear, &QAction::triggered, m_list, &QListWidget::clear);
}

void CommandListPanel::placeDelayBox() {
    const QRect label = m_delayLabel->geometry();
    const int height = qMin(label.height(), m_delayBox->sizeHint().height());
    m_delayBox->setGeometry(label.x() + static_cast<BlankHoldingLabel*>(m_delayLabel)->blankStart(),
                            label.y() + (label.height() - height) / 2, kDelayBoxWidth, height);
}

bool CommandListPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_delayLabel &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        placeDelayBox();
    } else if (watched == m_list->viewport()) {
        // The right button opens the menu without touching the selection.
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
                return true;
            }
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void CommandListPanel::showMenu(const QPoint& pos) {
    m_menu->popup(m_list->viewport()->mapToGlobal(pos));
}

void CommandListPanel::onDelayTextChanged(const QString& text) {
    if (const std::optional<QString> limited = limitDelayText(text)) {
        m_delayBox->setText(*limited);
    }
}

void CommandListPanel::onRunToggled(bool on) {
    if (!on) {
        m_timer.stop();
        m_gapBox->setEnabled(true);
        return;
    }
    const std::optional<int> gap = gapFromText(m_gapBox->text());
    if (!gap) {
        m_report(QStringLiteral("间隔“%1”无效：隔须为1到65535之间的整数毫秒，命令未执行")
                     .arg(m_gapBox->text()));
        m_run->setChecked(false);
        m_gapBox->setFocus();
        m_gapBox->selectAll();
        return;
    }
    m_state.ListStepIndex = 0;
    m_gapBox->setEnabled(false);
    m_gap = *gap;
    m_timer.start(m_gap);
}

void CommandListPanel::onTick() {
    const ListStep step = stepCommandList(
        m_list->count(), [this](qsizetype row) { return m_list->item(int(row))->text(); },
        m_state.ListStepIndex, m_gap);
    m_state.ListStepIndex = step.nextIndex;
    // The next tick is timed from here, before the frame goes out, so writing and logging
    // it does not lengthen the gap. An interval of 0 ends the ticks until the next start.
    if (step.interval > 0) {
        m_timer.start(step.interval);
    } else {
        m_timer.stop();
    }
    if (!step.frame.isEmpty()) {
        m_send(step.frame);
    }
}

void CommandListPanel::onOpenClicked() {
    const QString name = m_askFileName(Dialog::Open, QStringLiteral("打开文件"),
                                       QStringLiteral("txt文件(*.txt);;所有文件(*.*)"));
    if (name.isEmpty()) {
        return;
    }
    if (!FileExists(name)) {
        QMessageBox::information(&m_frame, QStringLiteral("打开文件"),
                                 QStringLiteral("文件名无效,请重新打开!"));
        return;
    }
    const LoadedCommandFile loaded = LoadCommandFile(name);
    if (!loaded.problem.isEmpty()) {
        // The list the user has stays when the file cannot be read.
        m_report(loaded.problem);
        return;
    }
    m_list->clear();
    m_list->addItems(loaded.entries);
}

void CommandListPanel::onSaveClicked() {
    const QString name = m_askFileName(Dialog::Save, QStringLiteral("保存文件"),
                                       QStringLiteral("TXT文件(*.TXT);;所有文件(*.*)"));
    if (name.isEmpty()) {
        return;
    }
    if (FileExists(name) &&
        QMessageBox::question(&m_frame, QStringLiteral("文件保存"),
                              QStringLiteral("是否覆盖文件？"),
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    QStringList entries;
    entries.reserve(m_list->count());
    for (int row = 0; row < m_list->count(); ++row) {
        entries << m_list->item(row)->text();
    }
    const QString problem = SaveCommandFile(name, entries);
    if (!problem.isEmpty()) {
        m_report(problem);
    }
}
