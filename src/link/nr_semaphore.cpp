#include "nr_semaphore.h"

#include <QPainter>
#include <QRadialGradient>

TnrSemaphore::TnrSemaphore(QWidget* parent)
    : QWidget(parent)
{
    setFixedSize(16, 16);
}

void TnrSemaphore::SetChecked(bool checked)
{
    if (checked_ == checked)
        return;
    checked_ = checked;
    update();
}

void TnrSemaphore::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor base = checked_ ? QColor(0, 0, 255) : QColor(255, 0, 0);
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
    QRadialGradient shine(r.center() - QPointF(r.width() / 5, r.height() / 5), r.width() / 1.5);
    shine.setColorAt(0, base.lighter(180));
    shine.setColorAt(1, base.darker(130));
    p.setBrush(shine);
    p.setPen(base.darker(160));
    p.drawEllipse(r);
}
