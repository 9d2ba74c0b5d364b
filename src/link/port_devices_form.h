#pragma once
// "Port Devices": what COM1 .. COM6 stand for, and setting each to a detected
// adapter, a typed device path or network URL, or nothing.

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

class PortDevicesForm : public QDialog {
    Q_OBJECT
public:
    // `devRoot` is where adapters are looked for ("/dev").
    PortDevicesForm(const QString& programFolder, const QString& devRoot, QWidget* parent = nullptr);

    // Reads again what each port stands for and which adapters are there.
    void refresh();

    // Asked before port n changes; false leaves it as it is.
    std::function<bool(int n)> mayChange;
    // A change that could not be made, with the reason.
    std::function<void(const QString& reason)> refused;
    // Port n now stands for something else.
    std::function<void(int n)> changed;

    static constexpr int Ports = 6;
    QLabel* Now[Ports];
    QComboBox* Choice[Ports];
    QPushButton* SetBtn[Ports];
    QPushButton* ClearBtn[Ports];

private:
    void change(int n, const QString& choice);

    QString folder_;
    QString devRoot_;
};
