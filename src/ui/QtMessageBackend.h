// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/MessageBox.h"

class QWidget;

/// The message-box service in the window program: a QMessageBox on the GUI thread with the
/// request's title, text, icon and buttons. Asked from a worker, the box has no owner and the
/// worker waits for the answer; asked on the GUI thread, it is owned by the active window and
/// simply runs.
class QtMessageBackend : public platform::MessageBackend {
public:
    platform::MessageAnswer Show(const platform::MessageRequest& request) override;

    /// Shows the box on the GUI thread and returns the button pressed (Escape and the close box
    /// answer No to a question).
    static platform::MessageAnswer ShowBox(const platform::MessageRequest& request, QWidget* owner);

    /// While one lives, workers do not wait for boxes: one waiting gets the default answer (Ok,
    /// or No to a question) at once, and later ones are answered so without a box. The GUI thread
    /// holds one while it waits for a worker to end.
    class WorkersUnanswered {
    public:
        WorkersUnanswered();
        ~WorkersUnanswered();
        WorkersUnanswered(const WorkersUnanswered&) = delete;
        WorkersUnanswered& operator=(const WorkersUnanswered&) = delete;
    };
};
