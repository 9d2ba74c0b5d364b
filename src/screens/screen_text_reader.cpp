#include "screen_text_reader.h"

#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

ScreenTextReader::ScreenTextReader(const QTextDocument* document)
    : document_(document)
{
    changed_ = QObject::connect(document, &QTextDocument::contentsChange, [this] { stale_ = true; });
}

ScreenTextReader::~ScreenTextReader()
{
    QObject::disconnect(changed_);
}

int ScreenTextReader::length() const
{
    // The document counts one separator per break and one after the last
    // line; the text counts two per break and none after the last line.
    return document_->characterCount() - 1 + document_->blockCount() - 1;
}

bool ScreenTextReader::seek(int index)
{
    // In the text, block b starts at its document position plus one for
    // each break before it.
    int lineStart = 0;
    for (QTextBlock b = document_->begin(); b.isValid(); b = b.next()) {
        const int lineLength = b.length() - 1;
        const int lineEnd = lineStart + lineLength;
        if (index < lineEnd || (index <= lineEnd + 1 && b.next().isValid())) {
            position_ = b.position() + std::min(index - lineStart, lineLength);
            lineFeedNext_ = index == lineEnd + 1;
            index_ = index;
            return true;
        }
        lineStart = lineEnd + 2;
    }
    return false;
}

std::optional<char> ScreenTextReader::at(int index)
{
    if (index < 0)
        return std::nullopt;
    if (stale_ || index != index_) {
        stale_ = false;
        if (!seek(index)) {
            index_ = -1;
            return std::nullopt;
        }
    }
    if (lineFeedNext_) {
        lineFeedNext_ = false;
        ++position_;
        ++index_;
        return char(10);
    }
    if (position_ >= document_->characterCount() - 1)
        return std::nullopt;
    const QChar c = document_->characterAt(position_);
    ++index_;
    if (c == QChar::ParagraphSeparator) {
        lineFeedNext_ = true;
        return char(13);
    }
    ++position_;
    return c.unicode() <= 0xFF ? char(c.unicode()) : '?';
}
