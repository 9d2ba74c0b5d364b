#include "function_form.h"

TFunctionForm::TFunctionForm(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Function Commands"));
}
