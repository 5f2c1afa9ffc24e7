#pragma once

#include <QtGlobal>

// Form-level variables the panels share; all false/0 when the window is created.
struct FormState {
    bool RecordToList = false;
    bool CaptureToIoCommand = false;
    bool K1State = false;
    bool K2State = false;
    bool LastChrState = false;
    qint16 ListStepIndex = 0;
};
