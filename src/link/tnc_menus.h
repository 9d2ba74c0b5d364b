#pragma once
// The two TNC menus of the main window ("TNC Initialization Setup" and "TNC
// Termination Setup") always show the same TNC names and the same choice.

// Shows TncNames slot n (0..7) as the caption of item n+1 in both menus.
void showTncNameInMenus(int n);
// Checks item n+1 (n = 0..7) in both menus, or both None items for any
// other n, and unchecks the rest.
void checkTncInMenus(int n);
// Lets a name stored in either TNC window show in both menus; called once
// the windows exist.
void wireTncFormsToMenus();
