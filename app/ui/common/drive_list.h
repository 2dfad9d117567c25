#pragma once
// A drop-down list of the mounted volumes (real file systems and "/"), shown with their root
// and label. A volume set from code that the list does not hold yet is added.

#include <QComboBox>

#include <string>

namespace kb {

class DriveList : public QComboBox {
    Q_OBJECT

public:
    explicit DriveList(QWidget* parent);
    // The chosen volume's root.
    std::string Drive() const;
    void SetDrive(const std::string& root);

    // Volumes come and go: the list is read again each time it opens.
    void showPopup() override;

signals:
    // A volume chosen by the user.
    void DriveChanged();

private:
    void Fill();
};

}  // namespace kb
