#pragma once
// The regular files of one folder, every name (also those without a dot), in name order.

#include <QListWidget>

#include <string>

namespace kb {

class FileListBox : public QListWidget {
    Q_OBJECT

public:
    explicit FileListBox(QWidget* parent);
    const std::string& Path() const { return path_; }
    void SetPath(const std::string& folder);
    // The chosen file's bare name, "" for none.
    std::string FileName() const;
    void SetFileName(const std::string& name);

signals:
    // The user chose a file.
    void FileClicked();

private:
    // Marks the program's own changes of the list for as long as one lasts.
    struct Setting {
        explicit Setting(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
        ~Setting() { flag_ = was_; }
        bool& flag_;
        bool was_;
    };

    std::string path_;
    bool setting_ = false;
};

}  // namespace kb
