#include "ui/FrmMain.h"

#include "commands/CommandButtons.h"
#include "commands/Lamp.h"
#include "commands/Panels.h"
#include "commands/Widgets.h"
#include "link/CommPort.h"
#include "link/PortResolver.h"
#include "link/ReplyDecoder.h"
#include "link/TransmitLog.h"
#include "tools/CommandListPanel.h"
#include "tools/PlcMapping.h"
#include "tools/RawToolsPanel.h"
#include "ui/LogPane.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSerialPortInfo>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kMainPage = 2;

QStringList presentSerialDevices() {
    QStringList devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        devices << info.systemLocation();
    }
    return devices;
}

QString environmentValue(const QString& name) {
    return qEnvironmentVariable(name.toLatin1().constData());
}

// The maker's logo, drawn rather than shipped as an image.
QPixmap drawLogo() {
    QPixmap logo(275, 51);
    logo.fill(QColor(0, 64, 128));
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPointSize(20);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(10, 0, 150, 51), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("Torvane"));
    font.setPointSize(10);
    font.setBold(false);
    painter.setFont(font);
    painter.drawText(QRect(150, 0, 120, 51), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("闭环步进驱动"));
    return logo;
}

} // namespace

FrmMain::FrmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(
        QStringLiteral("Torvane数控MODBUS调试工具FOR R7731/R5531/R5532/R5533/R5534/PX-2等系列"));

    m_port = new CommPort(
        [](int portNumber) {
            return PortResolver(presentSerialDevices(), environmentValue).deviceFor(portNumber);
        },
        this);

    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("SSTab1"));
    tabs->addTab(buildInformationPage(0), QStringLiteral("闭环步进驱动器"));
    tabs->addTab(buildInformationPage(1), QStringLiteral("运动控制方案"));
    tabs->addTab(buildMainPage(), QStringLiteral("TorvaneMODBUS调试工具"));
    tabs->addTab(buildProtocolPage(), QStringLiteral("通讯协议"));
    tabs->setCurrentIndex(kMainPage);
    setCentralWidget(tabs);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));

    wireWindow();

    // At least the classic 981 x 711 client area; larger when the screen has room for every
    // panel without scrolling (the panels need more room with this platform's fonts).
    const QSize content =
        m_mainPage->sizeHint() + QSize(8, tabs->tabBar()->sizeHint().height() + 8);
    QSize size(std::max(981, content.width()),
               std::max(711, content.height()) + statusBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        size = size.boundedTo(available.size() - QSize(16, 48));
        resize(size);
        move(available.center() - rect().center());
    } else {
        resize(size);
    }
}

FrmMain::~FrmMain() = default;

void FrmMain::showProblem(const QString& text) {
    statusBar()->showMessage(text);
}

QWidget* FrmMain::buildMainPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);

    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    left->addWidget(buildTopRows());
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(buildSerialPanel());
    auto* busSetup = makeFrame(QStringLiteral("Frame1"), QStringLiteral("基本命令"));
    buildBusSetupPanel(*busSetup);
    portRow->addWidget(busSetup);
    left->addLayout(portRow);
    auto* parameters = makeFrame(QStringLiteral("Frame2"), QStringLiteral("参数设置与查询"));
    buildParameterPanel(*parameters);
    left->addWidget(parameters);
    auto* motion = makeFrame(QStringLiteral("Frame3"), QStringLiteral("运动控制"));
    buildMotionPanel(*motion);
    left->addWidget(motion);
    left->addStretch(1);

    auto* middle = new QVBoxLayout;
    middle->setSpacing(4);
    auto* automation =
        makeFrame(QStringLiteral("Frame6"), QStringLiteral("高级自动控制功能(HEX格式)"));
    new CommandListPanel(
        *automation, *this, [this](const QByteArray& frame) { SendComm(frame); },
        [this](const QString& message) { showProblem(message); });
    middle->addWidget(automation);
    auto* other = makeFrame(QStringLiteral("Frame5"), QStringLiteral("其他"));
    buildOtherPanel(*other);
    middle->addWidget(other);
    middle->addStretch(1);

    auto* right = new QVBoxLayout;
    right->setSpacing(4);
    auto* picture = new QLabel;
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setPixmap(drawLogo());
    picture->setFixedSize(275, 51);
    picture->setAccessibleName(QStringLiteral("Torvane"));
    right->addWidget(picture);
    right->addWidget(buildLogBlock(QStringLiteral("接收内容："), QStringLiteral("Label1"),
                                   QStringLiteral("Label45"), QStringLiteral("Command36"),
                                   QStringLiteral("RichTextBox1"), m_receiveLog),
                     1);
    right->addWidget(buildLogBlock(QStringLiteral("发送内容："), QStringLiteral("Label2"),
                                   QStringLiteral("Label44"), QStringLiteral("Command6"),
                                   QStringLiteral("RichTextBox2"), m_sendLog),
                     1);
    auto* rawTools = new QWidget;
    rawTools->setObjectName(QStringLiteral("RawTools"));
    new RawToolsPanel(*rawTools, *this,
                      {[this](const QByteArray& frame) { SendComm(frame); },
                       [this](const QString& entry) {
                           control<QListWidget>(QStringLiteral("List1"))->addItem(entry);
                       },
                       [this] { control<QCheckBox>(QStringLiteral("Check2"))->setChecked(false); },
                       [this](const QString& message) { showProblem(message); }});
    right->addWidget(rawTools);

    grid->addLayout(left, 0, 0);
    grid->addLayout(middle, 0, 1);
    grid->addLayout(right, 0, 2, 2, 1);
    auto* closedLoop = makeFrame(QStringLiteral("Frame7"), QStringLiteral("闭环控制"));
    buildClosedLoopPanel(*closedLoop);
    grid->addWidget(closedLoop, 1, 0, 1, 2);
    grid->setColumnStretch(2, 1);

    m_mainPage = page;
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("MainPageScroll"));
    scroll->setWidget(page);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    return scroll;
}

QWidget* FrmMain::buildTopRows() {
    // Fixed positions, as the PLC row stands at fixed places beside the mode and address.
    auto* top = new QWidget;
    top->setObjectName(QStringLiteral("TopRows"));
    top->setFixedSize(440, 78);

    auto* language = makeLabel(QStringLiteral("Label31"),
                               QStringLiteral("语言(Language):                     "
                                              "Version 5.5 for R77(55)系列"),
                               top);
    language->move(4, 6);
    auto* combo10 = makeCombo(QStringLiteral("Combo10"), {QStringLiteral("中文")},
                              QStringLiteral("中文"), top, false);
    combo10->setGeometry(104, 2, 74, 22);
    combo10->setAccessibleName(QStringLiteral("语言(Language)"));

    auto* modeLabel = makeLabel(QStringLiteral("Label18"), QStringLiteral("选择通讯模式:"), top);
    modeLabel->move(4, 31);
    auto* combo7 = makeCombo(QStringLiteral("Combo7"),
                             {QStringLiteral("Modbus RTU"), QStringLiteral("Modbus ASC")},
                             QStringLiteral("Modbus RTU"), top);
    combo7->setGeometry(96, 27, 128, 22);
    modeLabel->setBuddy(combo7);
    combo7->setAccessibleName(modeLabel->text());

    auto* check2 = new QCheckBox(QStringLiteral("PLC标准协议"), top);
    check2->setObjectName(QStringLiteral("Check2"));
    check2->setGeometry(232, 28, 100, 20);
    auto* option3 = new QRadioButton(QStringLiteral("读"), top);
    option3->setObjectName(QStringLiteral("Option3"));
    option3->setGeometry(333, 28, 46, 20);
    auto* option4 = new QRadioButton(QStringLiteral("写"), top);
    option4->setObjectName(QStringLiteral("Option4"));
    option4->setGeometry(381, 28, 46, 20);
    auto* options = new QButtonGroup(top);
    options->addButton(option3);
    options->addButton(option4);
    option3->setChecked(true);

    auto* addressLabel =
        makeLabel(QStringLiteral("Label40"), QStringLiteral("设备操作地址(Hex)："), top);
    addressLabel->move(4, 55);
    auto* text23 = makeEdit(QStringLiteral("Text23"), QStringLiteral("1"), top);
    text23->setGeometry(130, 52, 94, 22);
    addressLabel->setBuddy(text23);
    text23->setAccessibleName(QStringLiteral("设备操作地址(Hex)"));

    auto* command3 =
        makeButton(QStringLiteral("Command3"), QStringLiteral("设寄存器映射地址"), QString(), top);
    command3->setGeometry(232, 51, 130, 24);
    auto* text34 = makeEdit(QStringLiteral("Text34"), QStringLiteral("0"), top);
    text34->setGeometry(368, 52, 66, 22);
    text34->setAccessibleName(QStringLiteral("寄存器映射地址"));

    for (QWidget* w : {static_cast<QWidget*>(option3), static_cast<QWidget*>(option4),
                       static_cast<QWidget*>(command3), static_cast<QWidget*>(text34)}) {
        w->setEnabled(false);
    }
    return top;
}

QGroupBox* FrmMain::buildSerialPanel() {
    auto* frame = makeFrame(QStringLiteral("Frame4"), QStringLiteral("串口设置"));
    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setSpacing(3);

    QStringList ports;
    for (int n = 1; n <= 9; ++n) {
        ports << QStringLiteral("COM%1").arg(n);
    }
    auto* label8 = makeLabel(QStringLiteral("Label8"), QStringLiteral("串口号："));
    auto* combo1 = makeCombo(QStringLiteral("Combo1"), ports, QStringLiteral("COM1"));
    auto* device = makeLabel(QStringLiteral("PortDeviceLabel"), QString());
    device->setMinimumWidth(90);
    device->setToolTip(QStringLiteral("所选串口号对应的设备"));
    auto* label9 = makeLabel(QStringLiteral("Label9"), QStringLiteral("波特率："));
    auto* combo2 =
        makeCombo(QStringLiteral("Combo2"),
                  {QStringLiteral("300"), QStringLiteral("600"), QStringLiteral("1200"),
                   QStringLiteral("2400"), QStringLiteral("4800"), QStringLiteral("9600"),
                   QStringLiteral("14400"), QStringLiteral("19200"), QStringLiteral("38400"),
                   QStringLiteral("56000"), QStringLiteral("57600"), QStringLiteral("115200"),
                   QStringLiteral("128000")},
                  QStringLiteral("9600"));
    labelFor(label8, combo1);
    labelFor(label9, combo2);
    auto* label10 =
        makeLabel(QStringLiteral("Label10"), QStringLiteral("起始/终止位为1,无硬件奇偶校验"));
    auto* open = makeButton(QStringLiteral("Command32"), QStringLiteral("打开"));
    auto* close = makeButton(QStringLiteral("Command33"), QStringLiteral("关闭"));
    close->setEnabled(false);

    grid->addWidget(label8, 0, 0);
    grid->addWidget(combo1, 0, 1);
    grid->addWidget(device, 0, 2);
    grid->addWidget(label9, 1, 0);
    grid->addWidget(combo2, 1, 1);
    grid->addWidget(label10, 2, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(open);
    buttons->addWidget(close);
    grid->addLayout(buttons, 3, 0, 1, 3);
    return frame;
}

QWidget* FrmMain::buildLogBlock(const QString& title, const QString& titleName,
                                const QString& counterName, const QString& clearName,
                                const QString& paneName, LogModel& model) {
    auto* block = new QWidget;
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    auto* row = new QHBoxLayout;
    auto* titleLabel = makeLabel(titleName, title);
    auto* counter = makeLabel(counterName, QStringLiteral("0"));
    // A fixed size keeps each new count from relaying out the whole page.
    counter->setFixedSize(80, counter->sizeHint().height());
    counter->setAccessibleName(title + QStringLiteral("字节数"));
    auto* clear = makeButton(clearName, QStringLiteral("清空内容"), title + QStringLiteral("清空"));
    row->addWidget(titleLabel);
    row->addWidget(counter);
    row->addStretch(1);
    row->addWidget(clear);
    column->addLayout(row);
    auto* pane = new LogPane(paneName, model, *counter);
    pane->setMinimumSize(275, 150);
    labelFor(titleLabel, pane);
    column->addWidget(pane, 1);

    connect(clear, &QPushButton::clicked, &model, &LogModel::clear);
    return block;
}

QWidget* FrmMain::buildInformationPage(int page) {
    static const char* const kLines[2][8] = {
        {"1. 闭环步进驱动器 R7731", "2. 闭环步进驱动器 R5531", "3. 闭环步进驱动器 R5532",
         "4. 闭环步进驱动器 R5533", "5. 闭环步进驱动器 R5534", "6. 一体化闭环步进电机 PX-2",
         "7. 两相混合式步进电机", "8. 编码器与连接电缆"},
        {"1. RS-485 多轴总线控制", "2. MODBUS RTU/ASCII 通讯", "3. PLC 标准寄存器映射",
         "4. IO 取代命令（输入组合触发运动）", "5. CAN 总线扩展", "6. 闭环位置反馈与齿轮比",
         "7. 原点搜索与限位保护", "8. 调试工具与技术支持"}};
    auto* widget = new QWidget;
    auto* column = new QVBoxLayout(widget);
    auto* heading =
        new QLabel(page == 0 ? QStringLiteral("产品系列") : QStringLiteral("运动控制与通讯方案"));
    QFont font = heading->font();
    font.setPointSize(font.pointSize() + 4);
    font.setBold(true);
    heading->setFont(font);
    column->addWidget(heading);
    for (const char* line : kLines[page]) {
        column->addWidget(new QLabel(QString::fromUtf8(line)));
    }
    column->addStretch(1);
    return widget;
}

QWidget* FrmMain::buildProtocolPage() {
    auto* document = new QTextBrowser;
    document->setObjectName(QStringLiteral("RichTextBox3"));
    document->setAccessibleName(QStringLiteral("通讯协议"));
    QFile file(QStringLiteral(":/protocol.html"));
    if (file.open(QIODevice::ReadOnly)) {
        document->setHtml(QString::fromUtf8(file.readAll()));
    }
    return document;
}

void FrmMain::wireWindow() {
    auto* check2 = control<QCheckBox>(QStringLiteral("Check2"));
    connect(check2, &QCheckBox::toggled, this, &FrmMain::onPlcModeToggled);

    m_commands = new CommandButtons(
        *this, *this, [this](const QByteArray& frame) { SendComm(frame); },
        [this](const QString& message) { showProblem(message); });
    m_commands->connectButtons();

    auto* combo7 = control<QComboBox>(QStringLiteral("Combo7"));
    connect(combo7, &QComboBox::currentTextChanged, this, &FrmMain::onModeTextChanged);
    onModeTextChanged(combo7->currentText());

    connect(control<QTabWidget>(QStringLiteral("SSTab1")), &QTabWidget::tabBarDoubleClicked, this,
            [this] {
                K1State = false;
                K2State = false;
            });

    connect(control<QPushButton>(QStringLiteral("Command32")), &QPushButton::clicked, this,
            &FrmMain::onOpenClicked);
    connect(control<QPushButton>(QStringLiteral("Command33")), &QPushButton::clicked, this,
            &FrmMain::onCloseClicked);
    connect(m_port, &CommPort::portLost, this, &FrmMain::onPortLost);
    connect(m_port, &CommPort::bytesArrived, this, &FrmMain::MSComm1_OnComm);
    connect(&m_gatherer, &ReplyGatherer::replyReady, this, &FrmMain::CommRec);

    connect(control<QComboBox>(QStringLiteral("Combo1")), &QComboBox::currentTextChanged, this,
            &FrmMain::refreshPortDevice);
    // Adapters come and go; keep the device shown beside the port selector current.
    m_deviceRefresh.setInterval(3000);
    connect(&m_deviceRefresh, &QTimer::timeout, this, &FrmMain::refreshPortDevice);
    m_deviceRefresh.start();
    refreshPortDevice();
}

void FrmMain::onModeTextChanged(const QString& text) {
    const bool rtu = text == QStringLiteral("Modbus RTU");
    control<QPushButton>(QStringLiteral("Command81"))->setEnabled(rtu);
    control<QPushButton>(QStringLiteral("Command88"))->setEnabled(rtu);
}

void FrmMain::onPlcModeToggled(bool on) {
    m_gatherer.setPlcMode(on);
    for (const char* name : {"Command3", "Option3", "Option4", "Text34"}) {
        control<QWidget>(QLatin1String(name))->setEnabled(on);
    }
}

void FrmMain::SendComm(const QByteArray& frame) {
    if (!m_port->isOpen()) {
        return;
    }
    m_sendLog.beginEntry();
    QByteArray outgoing = frame;
    const bool plcMode = control<QCheckBox>(QStringLiteral("Check2"))->isChecked();
    if (plcMode) {
        const PlcMapping mapped =
            MapToPlcRequest(frame, control<QLineEdit>(QStringLiteral("Text34"))->text(),
                            control<QRadioButton>(QStringLiteral("Option3"))->isChecked());
        if (mapped.request.isEmpty()) {
            logUnmappable(m_sendLog, frame, mapped.problem);
            return;
        }
        outgoing = mapped.request;
    }
    logTransmission(m_sendLog, frame, outgoing, plcMode);
    m_port->write(outgoing);
}

void FrmMain::MSComm1_OnComm(const QByteArray& bytes) {
    m_gatherer.feed(bytes);
}

QWidget* FrmMain::replyTarget(const char* name) {
    // Replies arrive up to a thousand times a second: look each target up once.
    auto it = m_replyTargets.find(name);
    if (it == m_replyTargets.end()) {
        it = m_replyTargets.insert(name, control<QWidget>(QLatin1String(name)));
    }
    return it.value();
}

qint16 FrmMain::CommRec(const QByteArray& chunk) {
    m_receiveLog.beginEntry();
    const ReplyDecoding decoded = decodeReply(chunk);
    for (const auto& update : decoded.texts) {
        QWidget* target = replyTarget(update.control);
        if (auto* edit = qobject_cast<QLineEdit*>(target)) {
            edit->setText(update.text);
        } else if (auto* label = qobject_cast<QLabel*>(target)) {
            label->setText(update.text);
        }
    }
    for (const auto& update : decoded.lamps) {
        if (auto* lamp = qobject_cast<Lamp*>(replyTarget(update.lamp))) {
            lamp->setOn(update.on);
        }
    }
    m_receiveLog.prepend(receiveDumpLines(chunk) + decoded.logLine);
    m_receiveLog.addBytes(chunk.size());
    return 0;
}

void FrmMain::onOpenClicked() {
    QString settings =
        control<QComboBox>(QStringLiteral("Combo2"))->currentText() + QStringLiteral(",n,8,1");
    m_port->close();
    const int number = PortResolver::portNumberFromName(
        control<QComboBox>(QStringLiteral("Combo1"))->currentText());
    if (number == 0) {
        m_port->close();
        QMessageBox::information(this, QString(), QStringLiteral("请选择正确的串口名"));
        return;
    }
    qint16 portNumber = static_cast<qint16>(number);
    const QString problem = m_port->OpenCommPort(portNumber, settings);
    if (!problem.isEmpty()) {
        // The panel stays Closed: a port that did not open must not look open.
        showProblem(problem);
        QMessageBox::warning(this, QStringLiteral("串口设置"), problem);
        return;
    }
    showProblem(QStringLiteral("已打开 COM%1（%2），%3")
                    .arg(portNumber)
                    .arg(m_port->deviceName(), settings));
    m_gatherer.reset();
    m_gatherer.setBaudRate(m_port->baudRate());
    setPanelOpen(true);
}

void FrmMain::onCloseClicked() {
    m_port->close();
    m_gatherer.reset();
    setPanelOpen(false);
    statusBar()->clearMessage();
}

void FrmMain::onPortLost(const QString& message) {
    m_gatherer.reset();
    setPanelOpen(false);
    showProblem(message);
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("串口设置"), message,
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void FrmMain::setPanelOpen(bool open) {
    control<QComboBox>(QStringLiteral("Combo1"))->setEnabled(!open);
    control<QComboBox>(QStringLiteral("Combo2"))->setEnabled(!open);
    control<QPushButton>(QStringLiteral("Command32"))->setEnabled(!open);
    control<QPushButton>(QStringLiteral("Command33"))->setEnabled(open);
    if (open) {
        m_deviceRefresh.stop();
    } else {
        m_deviceRefresh.start();
        refreshPortDevice();
    }
}

void FrmMain::refreshPortDevice() {
    auto* label = control<QLabel>(QStringLiteral("PortDeviceLabel"));
    const int number = PortResolver::portNumberFromName(
        control<QComboBox>(QStringLiteral("Combo1"))->currentText());
    QString device;
    if (number != 0) {
        device = PortResolver(presentSerialDevices(), environmentValue).deviceFor(number);
    }
    label->setText(device.isEmpty() ? QStringLiteral("（无设备）") : device);
}
