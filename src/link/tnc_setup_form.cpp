#include "tnc_setup_form.h"

TTNC_SetupForm::TTNC_SetupForm(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("TNC Startup Parameters"));
}
