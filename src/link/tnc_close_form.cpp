#include "tnc_close_form.h"

TTNC_CloseForm::TTNC_CloseForm(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("TNC Terminate Parameters"));
}
