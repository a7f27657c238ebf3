// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>

namespace platform {

enum class MessageIcon { None, Information, Warning, Error };
/// YesNoAll adds to Yes and No an answer for this and every later such question.
enum class MessageButtons { Ok, YesNo, YesNoAll };
enum class MessageAnswer { Ok, Yes, No, YesToAll, NoToAll };

/// One modal message: what the user is shown and which answers are offered.
struct MessageRequest {
    std::string text;
    std::string title;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    /// The system's error number of the failing call behind the message, 0 for none; a front
    /// end that can may show its reason.
    int systemError = 0;
    /// With YesNoAll, the captions of the answers for every such question.
    std::string yesToAllText{};
    std::string noToAllText{};
};

/// The answer of a message nobody could answer: No to a question, Ok otherwise.
MessageAnswer UnansweredAnswer(MessageButtons buttons);

/// Where messages are shown: a window system, a terminal, or a test's script.
class MessageBackend {
public:
    virtual ~MessageBackend() = default;
    /// Shows the message and waits for the answer; may be called from any thread.
    virtual MessageAnswer Show(const MessageRequest& request) = 0;
};

/// Writes "title: text" to stderr and answers Ok, or No to a question.
class StderrMessageBackend : public MessageBackend {
public:
    MessageAnswer Show(const MessageRequest& request) override;
};

/// The one message-box service of the program. The backend is installed once by the front end
/// (or a test) before any job runs; until then messages go to stderr.
class MessageBox {
public:
    static MessageAnswer Show(const std::string& text, const std::string& title, MessageIcon icon,
                              MessageButtons buttons = MessageButtons::Ok, int systemError = 0);
    /// Installs a backend and returns the one it replaces; nullptr restores stderr.
    static std::shared_ptr<MessageBackend> SetBackend(std::shared_ptr<MessageBackend> backend);
};

} // namespace platform
