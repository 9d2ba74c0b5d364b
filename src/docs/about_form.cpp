#include "about_form.h"

#include "app/version.h"
#include "app/window_access.h"

#include "about_picture.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QColor Navy(0, 0, 128);

const char* const CreditText =
    "Quillmar\n"
    "EMCOMM/ARES packet terminal\n"
    "\n"
    "Keyboard traffic, stations, beacons, files and a log, all through the "
    "TNC on your serial port.\n"
    "\n"
    "For the operators who keep the messages moving when other networks are down.\n"
    "\n"
    "Version ";

constexpr int MemoWidth = 300;

// The height the memo needs to show all of its text without scrolling.
int heightForText(const QPlainTextEdit* memo)
{
    const QFontMetrics metrics(memo->font());
    int height = 0;
    for (const QString& line : memo->toPlainText().split(QLatin1Char('\n')))
        height += line.isEmpty()
            ? metrics.lineSpacing()
            : metrics.boundingRect(QRect(0, 0, MemoWidth - 12, 10000), Qt::TextWordWrap, line).height();
    return height + 2 * int(memo->document()->documentMargin()) + 8;
}

} // namespace

TAboutForm::TAboutForm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("About Quillmar"));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Base, Qt::white);
    white.setColor(QPalette::Text, Navy);
    white.setColor(QPalette::ButtonText, Navy);
    setPalette(white);
    setAutoFillBackground(true);

    Image1 = new QLabel(this);
    Image1->setPixmap(QPixmap::fromImage(aboutPicture()));
    Image1->setFixedSize(Image1->pixmap().size());

    AboutMemo = new QPlainTextEdit(QString::fromLatin1(CreditText) + QLatin1String(QuillmarVersion), this);
    AboutMemo->setReadOnly(true);
    AboutMemo->setFrameStyle(QFrame::NoFrame);
    AboutMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    AboutMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    AboutMemo->setFocusPolicy(Qt::NoFocus);
    QFont text = AboutMemo->font();
    text.setPixelSize(16);
    AboutMemo->setFont(text);
    AboutMemo->setFixedSize(MemoWidth, std::max(Image1->height(), heightForText(AboutMemo)));

    AboutCloseBtn = new QPushButton(QStringLiteral("Close"), this);
    connect(AboutCloseBtn, &QPushButton::clicked, this, &TAboutForm::AboutCloseBtnClick);

    auto* top = new QHBoxLayout;
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addWidget(AboutMemo);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(AboutCloseBtn);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(bottom);
    // A single border: the box keeps the size its contents need.
    all->setSizeConstraint(QLayout::SetFixedSize);
    AboutMemo->setAccessibleName(QStringLiteral("About Quillmar"));
    fitTitle(this);
}

void TAboutForm::showCentred()
{
    if (!placed_) {
        placed_ = true;
        adjustSize();
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    show();
    raise();
    activateWindow();
}

void TAboutForm::AboutCloseBtnClick()
{
    hide();
}
