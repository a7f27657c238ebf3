#include "TerminalMessageBackend.h"

platform::MessageAnswer TerminalMessageBackend::Show(const platform::MessageRequest& request) {
    output_.PrintLine(request.title + ": " + request.text);
    return request.buttons == platform::MessageButtons::YesNo ? platform::MessageAnswer::No
                                                              : platform::MessageAnswer::Ok;
}
