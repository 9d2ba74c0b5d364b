// The TNC command sets: the two TNC menus, the four sequences that send a
// TNC's initialization or termination lines, the RESET command entry and the
// "TNC Sel." box. Only SelectedTnc 0..7 names a TNC; any other value (8 for
// None, 9 for the box's empty row, -1 for a typed name that matches none)
// means no TNC, and nothing is sent for it.

#include "app/ferrow.h"

#include "app/combo_box.h"
#include "app/forms.h"
#include "app/menu_accelerators.h"
#include "app/seams.h"
#include "app/state.h"
#include "link/nr_comm.h"
#include "link/setup_window_parts.h"
#include "link/tnc_close_form.h"
#include "link/tnc_menus.h"
#include "link/tnc_setup_form.h"

#include <QAction>

namespace {

constexpr int NoneRow = 8;

bool isTnc(int n)
{
    return n >= 0 && n < 8;
}

// The filled lines among lines 1..32 of a set, in order. An empty line is
// skipped, it does not end the set; slot 32 is never a line.
QList<QByteArray> filledLines(const CommandSet& set)
{
    QList<QByteArray> lines;
    for (int i = 0; i < TncLinesForm::Lines; ++i)
        if (!set[i].empty())
            lines << slotBytes(set[i]);
    return lines;
}

// The selected TNC's filled lines of `sets`; none when no TNC is selected.
QList<QByteArray> selectedTncLines(const CommandSet* sets)
{
    return isTnc(G.SelectedTnc) ? filledLines(sets[G.SelectedTnc]) : QList<QByteArray>{};
}

QAction* setupMenuItem(int n)
{
    QAction* const items[] = {Ferrow->TNC,  Ferrow->TNC2, Ferrow->TNC3, Ferrow->TNC4,
                              Ferrow->TNC5, Ferrow->TNC6, Ferrow->TNC7, Ferrow->TNC8};
    return items[n];
}

QAction* closeMenuItem(int n)
{
    QAction* const items[] = {Ferrow->TNC11, Ferrow->TNC21, Ferrow->TNC31, Ferrow->TNC41,
                              Ferrow->TNC51, Ferrow->TNC61, Ferrow->TNC71, Ferrow->TNC81};
    return items[n];
}

} // namespace

void showTncNameInMenus(int n)
{
    if (!Ferrow || !isTnc(n))
        return;
    // The name shows as typed, an '&' in it too; its accelerator is the
    // TNC's number where the name has it.
    const QString name = QString::fromLatin1(slotBytes(G.TncNames[n]));
    const QChar number = QChar('1' + n);
    setItemCaption(setupMenuItem(n), name, number);
    setItemCaption(closeMenuItem(n), name, number);
}

void checkTncInMenus(int n)
{
    for (int i = 0; i < 8; ++i) {
        setupMenuItem(i)->setChecked(i == n);
        closeMenuItem(i)->setChecked(i == n);
    }
    Ferrow->NoTNC->setChecked(!isTnc(n));
    Ferrow->NoTNC2->setChecked(!isTnc(n));
}

// ---- Menu choices ----

void TFerrow::TNCClick()
{
    ChooseTnc(0, TNC_SetupForm);
}
void TFerrow::TNC2Click()
{
    ChooseTnc(1, TNC_SetupForm);
}
void TFerrow::TNC3Click()
{
    ChooseTnc(2, TNC_SetupForm);
}
void TFerrow::TNC4Click()
{
    ChooseTnc(3, TNC_SetupForm);
}
void TFerrow::TNC5Click()
{
    ChooseTnc(4, TNC_SetupForm);
}
void TFerrow::TNC6Click()
{
    ChooseTnc(5, TNC_SetupForm);
}
void TFerrow::TNC7Click()
{
    ChooseTnc(6, TNC_SetupForm);
}
void TFerrow::TNC8Click()
{
    ChooseTnc(7, TNC_SetupForm);
}
void TFerrow::TNC11Click()
{
    ChooseTnc(0, TNC_CloseForm);
}
void TFerrow::TNC21Click()
{
    ChooseTnc(1, TNC_CloseForm);
}
void TFerrow::TNC31Click()
{
    ChooseTnc(2, TNC_CloseForm);
}
void TFerrow::TNC41Click()
{
    ChooseTnc(3, TNC_CloseForm);
}
void TFerrow::TNC51Click()
{
    ChooseTnc(4, TNC_CloseForm);
}
void TFerrow::TNC61Click()
{
    ChooseTnc(5, TNC_CloseForm);
}
void TFerrow::TNC71Click()
{
    ChooseTnc(6, TNC_CloseForm);
}
void TFerrow::TNC81Click()
{
    ChooseTnc(7, TNC_CloseForm);
}
void TFerrow::NoTNCClick()
{
    ChooseNoTnc();
}
void TFerrow::NoTNC2Click()
{
    ChooseNoTnc();
}

bool TFerrow::TncDialogOpen() const
{
    return (TNC_SetupForm && TNC_SetupForm->isOpen()) || (TNC_CloseForm && TNC_CloseForm->isOpen());
}

void TFerrow::ChooseTnc(int tnc, QWidget* dialog)
{
    checkTncInMenus(tnc);
    // An open TNC window restores PreviousTnc when it closes. A choice made
    // while one is open picks a TNC to edit and must not overwrite it.
    if (!TncDialogOpen())
        G.PreviousTnc = G.SelectedTnc;
    G.SelectedTnc = tnc;
    if (!G.ApplyingSettings && dialog)
        showSetupWindow(dialog);
}

void TFerrow::ChooseNoTnc()
{
    checkTncInMenus(NoneRow);
    SelectTnc(NoneRow);
    TNCSelect->setCurrentIndex(NoneRow);
}

void TFerrow::SelectTnc(int tnc)
{
    G.SelectedTnc = tnc;
    // The operator chose the selection itself: an open TNC window must not
    // put the old one back when it closes.
    if (TncDialogOpen())
        G.PreviousTnc = tnc;
}

// ---- The four sequences ----

void TFerrow::InitializeTNC1Click()
{
    for (const QByteArray& line : selectedTncLines(G.TncInitCommands)) {
        nrComm1->SendString(line);
        nrComm1->SendString("\r");
        Pause(250);
    }
}

void TFerrow::Terminate1Click()
{
    if (!isTnc(G.SelectedTnc))
        return;
    // The TNC may be in converse mode: bring it back to commands first.
    nrComm1->SendString(QByteArray(1, static_cast<char>(G.CommandChar)));
    for (const QByteArray& line : selectedTncLines(G.TncTermCommands)) {
        nrComm1->SendString(line);
        Pause(100);
        nrComm1->SendString("\r");
    }
}

void TFerrow::SendStartupInitialization()
{
    for (const QByteArray& line : selectedTncLines(G.TncInitCommands)) {
        nrComm1->SendString(line);
        Pause(35);
        nrComm1->SendChar(13);
        Pause(150);
    }
}

void TFerrow::SendShutdownTermination()
{
    for (const QByteArray& line : selectedTncLines(G.TncTermCommands)) {
        nrComm1->SendString(line);
        Pause(25);
        nrComm1->SendChar(13);
        Pause(150);
    }
}

// ---- RESET command ----

void TFerrow::ResetCommandSetup1Click()
{
    G.ResetCommandText = slotBytes(G.ResetCommand);
    if (Query().textQuery(QStringLiteral("Input the TNC Reset/Restart Command"),
                          QStringLiteral("RESET Command:"), G.ResetCommandText) &&
        !G.ResetCommandText.isEmpty())
        storeBytes(G.ResetCommand, G.ResetCommandText);
}

// ---- "TNC Sel." ----

void TFerrow::TNCSelectDropDown()
{
    if (G.CommPortNumber == NoCommPort) {
        Query().messageBox(this, QStringLiteral("No Comms port or TNC has been selected!"),
                           QStringLiteral("Communication Setup"));
        TNCSelect->setCurrentIndex(NoneRow);
        SelectTnc(NoneRow);
        return;
    }
    for (int i = 0; i <= NoneRow; ++i)
        TNCSelect->setItemText(i, QString::fromLatin1(slotBytes(G.TncNames[i])));
    // Opening the list to look must not change the selection: the row of
    // the TNC in use is chosen again, so closing it unchosen keeps it. While
    // a TNC window is open, SelectedTnc names the TNC being edited; the one
    // in use is the one the window puts back.
    const int inUse = TncDialogOpen() ? G.PreviousTnc : G.SelectedTnc;
    TNCSelect->setCurrentIndex(inUse >= 0 && inUse < TNCSelect->count() ? inUse : -1);
    tncRowAtDropDown_ = TncSelectorIndex();
}

void TFerrow::TNCSelectCloseUp()
{
    const int row = TncSelectorIndex();
    // A list closed without a choice changes nothing, also while a TNC
    // window is open.
    if (tncRowAtDropDown_ && row == *tncRowAtDropDown_) {
        tncRowAtDropDown_.reset();
        return;
    }
    tncRowAtDropDown_.reset();
    SelectTnc(row);
}

int TFerrow::TncSelectorIndex() const
{
    // The box is editable: a typed name counts when it matches a row.
    const QString text = TNCSelect->currentText();
    const int row = TNCSelect->currentIndex();
    if (row >= 0 && TNCSelect->itemText(row) == text)
        return row;
    return TNCSelect->findText(text, Qt::MatchFixedString);
}
