#include "comm_config_dialog.h"

#include "app/window_access.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QVBoxLayout>

namespace {

QComboBox* ordinalCombo(QWidget* parent, int count, QString (*name)(std::uint8_t), int current)
{
    auto* box = new QComboBox(parent);
    for (int i = 0; i < count; ++i)
        box->addItem(name(static_cast<std::uint8_t>(i)));
    box->setCurrentIndex(current < count ? current : -1);
    return box;
}

} // namespace

TCommConfigDialog::TCommConfigDialog(const SerialLineSettings& s, QWidget* parent)
    : QDialog(parent)
    , initial_(s)
{
    setWindowTitle(QStringLiteral("Comms Interface Setup"));
    setModal(true);

    baud_ = new QComboBox(this);
    baud_->setObjectName(QStringLiteral("baudRate"));
    baud_->setEditable(true);
    baud_->setValidator(new QIntValidator(50, 4000000, baud_));
    for (int rate : {300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200})
        baud_->addItem(QString::number(rate));
    baud_->setCurrentText(QString::number(s.baudRate));

    dataBits_ = new QComboBox(this);
    for (int bits = 5; bits <= 8; ++bits)
        dataBits_->addItem(QString::number(bits), bits);
    dataBits_->setCurrentIndex(dataBits_->findData(int(s.byteSize)));

    parity_ = ordinalCombo(this, 5, parityName, s.parity);
    stopBits_ = ordinalCombo(this, 3, stopBitsName, s.stopBits);
    flow_ = ordinalCombo(this, 3, streamProtocolName, s.streamProtocol);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Baud rate"), baud_);
    form->addRow(QStringLiteral("Data bits"), dataBits_);
    form->addRow(QStringLiteral("Parity"), parity_);
    form->addRow(QStringLiteral("Stop bits"), stopBits_);
    form->addRow(QStringLiteral("Flow control"), flow_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    fitTitle(this);
}

SerialLineSettings TCommConfigDialog::settings() const
{
    SerialLineSettings s = initial_;
    // Only a rate the validator takes whole: a half-typed "5" would be kept
    // and make every later open of the port fail.
    QString typed = baud_->currentText();
    int at = 0;
    if (baud_->validator()->validate(typed, at) == QValidator::Acceptable)
        s.baudRate = typed.toUInt();
    if (dataBits_->currentIndex() >= 0)
        s.byteSize = static_cast<std::uint8_t>(dataBits_->currentData().toInt());
    if (parity_->currentIndex() >= 0)
        s.parity = static_cast<std::uint8_t>(parity_->currentIndex());
    if (stopBits_->currentIndex() >= 0)
        s.stopBits = static_cast<std::uint8_t>(stopBits_->currentIndex());
    if (flow_->currentIndex() >= 0)
        s.streamProtocol = static_cast<std::uint8_t>(flow_->currentIndex());
    return s;
}

bool DialogLineSettingsEditor::editLineSettings(SerialLineSettings& settings)
{
    TCommConfigDialog dialog(settings, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    settings = dialog.settings();
    return true;
}
