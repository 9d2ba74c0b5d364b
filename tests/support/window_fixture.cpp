#include "window_fixture.h"

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/menu_accelerators.h"
#include "app/state.h"
#include "link/port_transport.h"

#include <QAction>
#include <QFile>
#include <QTest>

WindowFixture::WindowFixture(bool realTransport)
{
    qputenv("QUILLMAR_HOME", home_.path().toLocal8Bit());
    G = ProcessState{};
    seams::Set set;
    set.pause = &pause;
    set.query = &query;
    set.sound = &sound;
    if (realTransport) {
        set.makeTransport = [] { return std::make_unique<PortTransport>(); };
    } else {
        set.makeTransport = [this] {
            auto fake = std::make_unique<FakeTransport>(&transcript);
            device_ = fake.get();
            return fake;
        };
    }
    seams::install(set);
    installLineSettingsEditor(&query);
    CreateForms();
}

WindowFixture::~WindowFixture()
{
    DestroyForms();
    seams::install({});
    installLineSettingsEditor(nullptr);
}

void WindowFixture::show()
{
    Ferrow->show();
    Ferrow->activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(Ferrow));
}

void WindowFixture::restart()
{
    // As though the settings file had been there when this run started.
    const QString settings = home() + QStringLiteral("Quillmar.cfg");
    G.SettingsFilePath.store(QFile::encodeName(settings).toStdString());
    Ferrow->close();
    DestroyForms();
    G = ProcessState{};
    CreateForms();
    show();
    transcript.clear();
}

QString caption(const QAction* item)
{
    return visibleCaption(item->text());
}

QString checkedCaptions(const QList<QAction*>& items)
{
    QStringList checked;
    for (const QAction* item : items)
        if (item->isChecked())
            checked << caption(item);
    return checked.join('+');
}

bool triggerCaptioned(const QList<QAction*>& items, const QString& wanted)
{
    for (QAction* item : items)
        if (caption(item) == wanted) {
            item->trigger();
            return true;
        }
    return false;
}

void openFakePort(int n)
{
    void (TFerrow::*const choose[])() = {&TFerrow::Comm11Click, &TFerrow::Comm21Click, &TFerrow::Comm31Click,
                                         &TFerrow::Comm41Click, &TFerrow::Comm51Click, &TFerrow::Comm61Click};
    (Ferrow->*choose[n - 1])();
}
