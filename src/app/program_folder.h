#pragma once
// The program folder: settings, trace, sounds and help live here.

#include <QString>

// $QUILLMAR_HOME when set, otherwise ~/.quillmar/; always ends in '/'.
// The program never creates it: scripts/run prepares it for an operator.
QString programFolderPath();

// The file `name` for the program to use: the program folder's own copy when
// it has one, else the copy installed with the program, else the program
// folder's path, so a missing file is still reported under the name the
// operator knows.
QString programDataFile(const QString& name);
QString chooseDataFile(const QString& name, const QString& programFolder, const QString& installedFolder);

// Where the installed data files are: <prefix>/share/quillmar/ for this
// executable in <prefix>/bin/; ends in '/'.
QString installedDataFolder();

// Only one running program keeps the settings of a program folder: the first
// holds it (a lock on "Quillmar.lock" beside the settings file, gone with the
// process); a later one on the same folder gets false and keeps none, so two
// windows never write the file over each other. A folder where no lock can be
// made (none there, read-only) counts as held: there is nothing to share.
bool holdProgramFolder(const QString& folder);
