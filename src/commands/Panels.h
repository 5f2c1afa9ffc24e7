#pragma once

class QGroupBox;

// Each panel fills its frame with its controls, named as documented; the catalogue wires
// their buttons.
void buildBusSetupPanel(QGroupBox& frame);   // Frame1
void buildParameterPanel(QGroupBox& frame);  // Frame2
void buildMotionPanel(QGroupBox& frame);     // Frame3
void buildOtherPanel(QGroupBox& frame);      // Frame5
void buildClosedLoopPanel(QGroupBox& frame); // Frame7
