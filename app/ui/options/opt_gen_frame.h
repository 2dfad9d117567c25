#pragma once
// The general options: the default folders the splitter wizard starts in and the segment
// buffer size.

#include <QFrame>

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace kb {

struct OptGenSettings {
    std::string dirSource;
    std::string dirDest;
    int segSize = 8;  // the segment is 2^n x 1024 bytes
};

class OptGenFrame : public QFrame {
    Q_OBJECT

public:
    explicit OptGenFrame(QWidget* parent);
    void Load(const OptGenSettings& s);
    void Store(OptGenSettings& s) const;

    QLineEdit* txtOptGenDirSource_ = nullptr;
    QPushButton* cmdOptGenDirSourceSet_ = nullptr;
    QPushButton* cmdOptGenDirSourceClear_ = nullptr;
    QLineEdit* txtOptGenDirDest_ = nullptr;
    QPushButton* cmdOptGenDirDestSet_ = nullptr;
    QPushButton* cmdOptGenDirDestClear_ = nullptr;
    QSlider* sldOptGenSegSize_ = nullptr;
    QLabel* lblOptGenSegSizeAmount_ = nullptr;
    QPushButton* cmdOptGenSegSizeDescription_ = nullptr;
    QPushButton* cmdOptGenReset_ = nullptr;
    QPushButton* cmdOptGenOK_ = nullptr;
    QPushButton* cmdOptGenCancel_ = nullptr;
};

}  // namespace kb
