#include "commands/Panels.h"
#include "commands/Widgets.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The panel keeps its controls at fixed places (1 pixel = 15 twips).
void place(QWidget* w, int leftTwips, int topTwips, int width, int height) {
    w->setGeometry(leftTwips / 15, topTwips / 15, width, height);
}

} // namespace

void buildBusSetupPanel(QGroupBox& frame) {
    frame.setMinimumSize(212, 106);
    place(makeButton(QStringLiteral("Command13"), QStringLiteral("查地址"), QString(), &frame), 225,
          270, 54, 24);
    place(makeButton(QStringLiteral("Command12"), QStringLiteral("握手"), QString(), &frame), 1065,
          270, 54, 24);
    place(makeButton(QStringLiteral("Command15"), QStringLiteral("查波特率"), QString(), &frame),
          1905, 270, 68, 24);

    auto* newAddress = makeLabel(QStringLiteral("Label12"), QStringLiteral("New Addr:"), &frame);
    place(newAddress, 240, 780, 62, 18);
    auto* text7 = makeEdit(QStringLiteral("Text7"), QString(), &frame);
    place(text7, 1200, 735, 52, 22);
    labelFor(newAddress, text7);
    place(makeButton(QStringLiteral("Command14"), QStringLiteral("改地址"), QString(), &frame),
          2055, 675, 68, 24);

    auto* bitrate = makeLabel(QStringLiteral("Label13"), QStringLiteral("Bitrate:"), &frame);
    place(bitrate, 255, 1185, 46, 18);
    auto* combo6 =
        makeCombo(QStringLiteral("Combo6"),
                  {QStringLiteral("2400"), QStringLiteral("4800"), QStringLiteral("9600"),
                   QStringLiteral("14400"), QStringLiteral("19200"), QStringLiteral("38400"),
                   QStringLiteral("56000"), QStringLiteral("57600")},
                  QStringLiteral("9600"), &frame);
    place(combo6, 975, 1125, 68, 22);
    labelFor(bitrate, combo6);
    place(makeButton(QStringLiteral("Command16"), QStringLiteral("改波特率"), QString(), &frame),
          2055, 1110, 68, 24);
}
