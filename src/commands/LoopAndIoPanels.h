#pragma once

#include <QStringList>

class QGridLayout;
class QGroupBox;
class QPushButton;

// The closed-loop panel (Frame7) and the IO, CAN and other panel (Frame5). Each fills its
// frame with its controls, named as documented; the catalogue wires their buttons.
void buildClosedLoopPanel(QGroupBox& frame);
void buildOtherPanel(QGroupBox& frame);

// A tight grid for a panel frame.
QGridLayout* compactGrid(QGroupBox& frame);
// Lets a layout shrink the button down to its widest caption (the style's 80-pixel minimum
// for text buttons would push the panels past the window).
QPushButton* fitCaption(QPushButton* button, const QStringList& otherCaptions = {});
