// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/IEncodeBatchView.h"
#include "cli/EventLoop.h"
#include "cli/TerminalOutput.h"
#include "platform/MessageBox.h"

#include <functional>
#include <string>

/// A batch's questions on the terminal: the overwrite question as y/n and the save dialog as a
/// prompt for a path. Without a terminal on stdin nothing can be asked: an existing output is
/// kept and its item skipped.
class TerminalQuestions {
public:
    TerminalQuestions(TerminalOutput& output, EventLoop& loop, bool stdinIsTerminal);

    /// Called with the signal's event when one interrupts a question; the question then keeps
    /// the existing file and skips the item, and the handler decides what else the signal does.
    void SetInterruptHandler(std::function<void(EventLoop::Event)> handler) {
        onInterrupt_ = std::move(handler);
    }

    platform::MessageAnswer Ask(const platform::MessageRequest& question);
    int AskSaveAs(const std::string& initialPath, const SaveAsFilter& filter,
                  std::string& chosenPath);

private:
    enum class LineResult { Line, EndOfInput, Interrupted };

    LineResult ReadLine(std::string& line);
    platform::MessageAnswer AskYesNo(const platform::MessageRequest& question);

    TerminalOutput& output_;
    EventLoop& loop_;
    const bool stdinIsTerminal_;
    std::function<void(EventLoop::Event)> onInterrupt_;
    bool questionInterrupted_ = false;
    bool keepWithoutAsking_ = false;
};
