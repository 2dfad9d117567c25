#pragma once
// Opens the program's help on a topic number. The help window comes with the help pages; until
// then a request is only written to the debug log.

namespace kb {

void ShowHelpTopic(int topic);

}  // namespace kb
