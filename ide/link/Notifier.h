// How the core reports a failure or a result to the user: the message boxes
// of the IDE. The Qt shell implements it with a message box; tests record the
// calls; the headless runner prints them. The core never throws for these.
#pragma once

#include <string>

namespace zelk {

enum class MessageIcon {
    Exclamation,  // refusals and errors
    Information,  // results and invalid input
    Question,     // save questions
};

class Notifier {
public:
    virtual ~Notifier() = default;
    // Shows text under caption with the icon and an OK button; returns when
    // the user has acknowledged it. Two-line texts arrive joined by "\n\r".
    virtual void message(std::string caption, std::string text, MessageIcon icon) = 0;
};

} // namespace zelk
