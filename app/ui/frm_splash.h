#pragma once
// The window shown while the program loads: artwork and a few labels, no buttons, no input.

#include <QWidget>

namespace kb {

class frmSplash : public QWidget {
    Q_OBJECT

public:
    explicit frmSplash(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kb
