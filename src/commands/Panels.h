#pragma once

class QGroupBox;

// Each panel fills its frame with its controls, named as documented; the catalogue wires
// their buttons.
void buildBusSetupPanel(QGroupBox& frame);
