#pragma once
// The program's eight windows. Each is created once at start and lives until
// the process ends; the secondary ones are only hidden when closed.

class TFerrow;
class TStationForm;
class TSendDataDialog;
class TFunctionForm;
class TTNC_SetupForm;
class TTNC_CloseForm;
class TBCForm;
class TAboutForm;

extern TFerrow* Ferrow;
extern TStationForm* StationForm;
extern TSendDataDialog* SendDataDialog;
extern TFunctionForm* FunctionForm;
extern TTNC_SetupForm* TNC_SetupForm;
extern TTNC_CloseForm* TNC_CloseForm;
extern TBCForm* BCForm;
extern TAboutForm* AboutForm;

// Creates the windows in start-up order, the main window first.
void CreateForms();
// Destroys them again (tests build a fresh set for every case).
void DestroyForms();
// Hides every secondary window.
void HideSecondaryForms();
