#pragma once
// The about box: credits, a slogan picked at random, and buttons that open the product page and
// the update check in the user's web browser. Loaded anew, with a new slogan, each time it
// is opened.

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QPushButton;

namespace kb {

class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);

    // The four slogans, numbered 1 to 4.
    static std::string Slogan(int number);
    static std::string ProductPageURL();
    static std::string UpdateCheckURL(int major, int minor, int revision);

    // How web pages are opened; tests record the address instead (nullptr restores the
    // program's own way).
    using UrlOpener = std::function<void(const std::string&)>;
    static void SetUrlOpener(UrlOpener opener);

    void cmdVisitSite_Click();
    void cmdCheckUpdates_Click();
    void cmdOK_Click();

private:
    void Form_Load();

    QLabel* lblCredits_;
    QLabel* lblSlogan_;
};

}  // namespace kb
