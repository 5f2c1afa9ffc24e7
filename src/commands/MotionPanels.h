#pragma once

class QGroupBox;

// The parameter panel (Frame2) and the motion control panel (Frame3): each fills its frame
// with its controls under their documented names; the catalogue wires the buttons.
void buildParameterPanel(QGroupBox& frame);
void buildMotionPanel(QGroupBox& frame);
