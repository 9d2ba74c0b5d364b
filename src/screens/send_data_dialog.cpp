#include "send_data_dialog.h"

TSendDataDialog::TSendDataDialog(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Sending Data"));
}
