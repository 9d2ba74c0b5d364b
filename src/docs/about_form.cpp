#include "about_form.h"

TAboutForm::TAboutForm(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("About Quillmar"));
}
