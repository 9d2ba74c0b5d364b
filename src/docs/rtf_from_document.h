#pragma once
// What a rich-text document holds, in the terms the RTF writer needs: the
// paragraphs, and in each the runs of text with their font, size, colour and
// style. Pictures and other embedded objects are left out.

#include "rtf_writer.h"

class QFont;
class QTextDocument;

RtfDocument rtfDocumentOf(const QTextDocument& document);

// A font's size in half points; a size given in pixels counts at 96 pixels
// per inch in whole points, the way the screens' fonts are sized.
int halfPointsOf(const QFont& font);
