#include "bc_form.h"

TBCForm::TBCForm(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Broadcast Message"));
}
