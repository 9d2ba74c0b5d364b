#pragma once
// A terminal screen: a plain-text memo whose text is 8-bit (one Latin-1
// character per byte), with the click and mouse-down events the main window
// uses to track which screen the operator works in, and its own path for
// bytes received from the TNC.

#include <QPlainTextEdit>

#include <functional>

class TScreenMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TScreenMemo(QWidget* parent = nullptr);

    std::function<void()> OnClick;
    std::function<void()> OnMouseDown;

    // Bytes received from the TNC, shown at the end of the text.
    void receiveBytes(const QByteArray& bytes);

    void moveCaretToEnd();
    // The font colour in the toolkit's colour encoding (0x00BBGGRR, or
    // 0xFF000000 plus a system colour index), kept as given.
    qint32 FontColor = qint32(0xFF000008);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};
