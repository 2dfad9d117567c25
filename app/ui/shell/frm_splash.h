#pragma once
// The window shown while the program loads: artwork and a few labels, no buttons, no input.

#include <QWidget>

namespace kb {

class frmSplash : public QWidget {
    Q_OBJECT

public:
    explicit frmSplash(QWidget* parent = nullptr);

    // Where the sweep of pieces is drawn along the lower edge; the labels keep clear of it.
    QRect PiecesArea() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kb
