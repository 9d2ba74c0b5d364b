#pragma once
// The program folder: settings, trace, sounds and help live here.

#include <QString>

// $QUILLMAR_HOME when set, otherwise ~/.quillmar/; always ends in '/'.
// The program never creates it: scripts/run prepares it for an operator.
QString programFolderPath();
