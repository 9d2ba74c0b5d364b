#pragma once
// Printing a text document page by page, with every failure reported: Qt's
// own document printing says nothing when the printer cannot be started.

#include <QString>

#include <optional>

class QPrinter;
class QTextDocument;

// Prints `document` on `printer` as one job; returns the reason on failure.
// Fonts sized in pixels print at the size they have on a 96 dpi screen.
std::optional<QString> printDocument(const QTextDocument& document, QPrinter& printer);

// Where the job went, for messages: the output file or the printer's name.
QString printTarget(const QPrinter& printer);
