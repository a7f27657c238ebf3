// SPDX-License-Identifier: GPL-3.0-or-later
#include "TerminalMessageBackend.h"

platform::MessageAnswer TerminalMessageBackend::Show(const platform::MessageRequest& request) {
    std::string text = request.title + ": " + request.text;
    if (request.systemError != 0) {
        text += '\n' + ReasonLine(request.systemError);
    }
    output_.PrintLine(text);
    return platform::UnansweredAnswer(request.buttons);
}
