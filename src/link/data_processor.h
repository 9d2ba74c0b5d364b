#pragma once
// Something that sits between the serial line and the terminal and may take
// received bytes for itself (a file-transfer engine watching for its start).

#include <QByteArray>

class TnrDataProcessor {
public:
    virtual ~TnrDataProcessor() = default;
    // Sees every received byte at once; returns the bytes that belong to the
    // terminal, in order.
    virtual QByteArray ProcessReceived(const QByteArray& bytes) = 0;
    virtual bool GetActive() const = 0;
};
