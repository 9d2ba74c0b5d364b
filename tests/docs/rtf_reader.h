#pragma once
// A small RTF reader for the tests, written from the RTF syntax rather than
// from our writer: groups, control words with their toggles, \plain, \ucN
// fallback skipping, \'hh, ignorable destinations, font and colour tables.
// It rejects 8-bit bytes, unbalanced groups and unknown table entries.

#include <QByteArray>
#include <QList>
#include <QString>

struct ReadRun {
    QString text;
    QString font;
    int halfPoints = 24;
    int color = -1; // 0xRRGGBB, -1: automatic
    QString styles; // sorted letters: b bold, i italic, s strike-out, u underline
};

struct ReadRtf {
    QString problem; // empty: well formed
    QList<QList<ReadRun>> paragraphs;

    QString plainText() const; // paragraphs joined by '\n'
    const ReadRun* runWith(const QString& text) const;
};

// `ignoreUnicode`: read as an old reader that skips \uN and shows its fallback.
ReadRtf readRtf(const QByteArray& rtf, bool ignoreUnicode = false);
