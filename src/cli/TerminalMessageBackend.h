// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/TerminalOutput.h"
#include "platform/MessageBox.h"

/// Shows the messages of the jobs and the reader as "title: text" lines on stderr, from any
/// thread, with the system's reason for the failure on a line of its own when there is one; a
/// Yes/No question that reaches it unasked is answered No.
class TerminalMessageBackend : public platform::MessageBackend {
public:
    explicit TerminalMessageBackend(TerminalOutput& output) : output_(output) {}

    platform::MessageAnswer Show(const platform::MessageRequest& request) override;

private:
    TerminalOutput& output_;
};
