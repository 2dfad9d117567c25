#pragma once
// The program's help: HTML topics of our own in the "Help" folder of the program folder, one
// page per topic number ("<number>.html") and a contents page ("index.html"), shown in one
// help window of the program. A topic that is not installed says so in the window.

#include <string>

class QTextBrowser;

namespace kb {

// Opens the help window on a topic number.
void ShowHelpTopic(int topic);
// Opens the help window on the contents and index page.
void ShowHelpContents();

// The folder the topics are read from.
std::string HelpFolder();
// The help window, created on first use (nullptr before); tests read what it shows.
QTextBrowser* HelpWindow();

}  // namespace kb
