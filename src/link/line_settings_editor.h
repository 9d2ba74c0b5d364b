#pragma once
// How the serial layer asks the operator for new line settings. main installs
// the layer's own dialog; tests install an editor that answers from a script.

#include "line_settings.h"

class LineSettingsEditor {
public:
    virtual ~LineSettingsEditor() = default;
    // True when the operator confirmed; `settings` then holds the choice.
    virtual bool editLineSettings(SerialLineSettings& settings) = 0;
};

// nullptr uninstalls.
void installLineSettingsEditor(LineSettingsEditor* editor);
// The installed editor; a program that installed none stops with a message.
LineSettingsEditor& lineSettingsEditor();
