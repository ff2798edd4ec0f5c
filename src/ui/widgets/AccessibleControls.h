#pragma once
// What assistive technology reads of the program's own controls: the wheels
// and the knobs as value controls, the scroll arrows and the panel buttons as
// buttons, the piano keyboard with the note under its focus cursor.
class QWidget;

// Installed once, by the first control that needs it.
void InstallAccessibleControls();
// Tells assistive technology that a value control's value changed, and with
// described, the text that describes it.
void TellValueChanged(QWidget* control, int value, bool described = false);
