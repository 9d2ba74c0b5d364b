#pragma once
// The serial layer's line-settings dialog: baud rate, data bits, parity,
// stop bits and flow control.

#include "line_settings_editor.h"

#include <QDialog>

class QComboBox;

class TCommConfigDialog : public QDialog {
    Q_OBJECT
public:
    explicit TCommConfigDialog(const SerialLineSettings& settings, QWidget* parent = nullptr);

    // The settings as the operator left them; a baud rate that is not a
    // whole rate from 50 to 4000000 keeps the one the dialog opened with.
    SerialLineSettings settings() const;

private:
    SerialLineSettings initial_;
    QComboBox* baud_;
    QComboBox* dataBits_;
    QComboBox* parity_;
    QComboBox* stopBits_;
    QComboBox* flow_;
};

// The dialog as the layer's line-settings editor, modal over the active window.
class DialogLineSettingsEditor final : public LineSettingsEditor {
public:
    bool editLineSettings(SerialLineSettings& settings) override;
};
