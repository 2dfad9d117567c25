#pragma once
// Small helpers every page builds its controls with: a widget that carries its control name,
// a plain frame, a bold heading, the picture column of a wizard, and the twips scale the
// window's layout is given in.

#include <QFrame>
#include <QLabel>
#include <QString>
#include <QWidget>

#include <utility>

#include "app/ui/common/icons.h"

class QGridLayout;
class QLayout;
class QLineEdit;

namespace kb {

// One twip is 1/1440 inch; the window's layout is given in twips and drawn at this scale.
int Twips(int twips);

// A new child widget named as its control, so tests and the plug-ins' window look-up find it.
template <class W, class... Args>
W* Named(QWidget* parent, const char* name, Args&&... args) {
    auto* w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(name);
    return w;
}

// Makes a window no larger than the part of its screen that windows may use (the screen
// without its panels), frame included, and moves it onto that part.
void FitToScreen(QWidget& window);

// A frame without a border, named as its control.
QFrame* Frame(QWidget* parent, const char* name);

// Makes a text box hide what is typed, showing "*" for each character whatever the style's own
// mask is.
void PasswordBox(QLineEdit* box);

// A bold, word-wrapped label, its font scaled from the window's.
QLabel* Heading(QWidget* parent, const char* name, const QString& text, double scale = 1.25);

// The picture column at the left of a wizard: a deep blue band with the wizard's icon and name.
class WizardArt : public QWidget {
public:
    WizardArt(QWidget* parent, const char* name, icons::Kind kind, QString title);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    icons::Kind kind_;
    QString title_;
};

// A grid whose one cell holds all the frames of a page, so that each is shown or hidden on its
// own.
QGridLayout* Stack(QWidget* owner);

// Lays out a wizard's page: its picture column at the left, its own controls beside it.
QFrame* WizardPage(QFrame* page, QWidget* art, QLayout* right);

}  // namespace kb
