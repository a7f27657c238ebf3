// SPDX-License-Identifier: GPL-3.0-or-later
#include "TerminalQuestions.h"

#include "batch/EncodeBatch.h"
#include "platform/Format.h"
#include "platform/Paths.h"

#include <filesystem>
#include <optional>
#include <unistd.h>

namespace {

constexpr const char* kYesNoPrompt = "[y/n] ";
constexpr const char* kYesNoAllPromptFormat = "[y/n/a/s] (a: %s, s: %s) ";
constexpr const char* kSaveAsPrompt = "新しい出力ファイル名 (空欄でこのファイルをスキップ): ";
constexpr const char* kKeptWithoutTerminal =
    "標準入力が端末ではないため、既存のファイルを残してスキップします (上書きするには -y)";

} // namespace

TerminalQuestions::TerminalQuestions(TerminalOutput& output, EventLoop& loop, bool stdinIsTerminal)
    : output_(output), loop_(loop), stdinIsTerminal_(stdinIsTerminal) {}

TerminalQuestions::LineResult TerminalQuestions::ReadLine(std::string& line) {
    line.clear();
    for (;;) {
        if (const std::optional<EventLoop::Event> event = loop_.WaitReadable(STDIN_FILENO)) {
            output_.PrintLine("");
            questionInterrupted_ = true;
            if (onInterrupt_) {
                onInterrupt_(*event);
            }
            return LineResult::Interrupted;
        }
        char byte = 0;
        const ssize_t count = ::read(STDIN_FILENO, &byte, 1);
        if (count <= 0) {
            output_.PrintLine("");
            return line.empty() ? LineResult::EndOfInput : LineResult::Line;
        }
        if (byte == '\n') {
            return LineResult::Line;
        }
        line.push_back(byte);
    }
}

platform::MessageAnswer TerminalQuestions::AskYesNo(const platform::MessageRequest& question) {
    output_.PrintLine(output_.Shown(question.title) + ": " + question.text);
    const bool all = question.buttons == platform::MessageButtons::YesNoAll;
    for (;;) {
        output_.Prompt(all ? platform::Format(kYesNoAllPromptFormat,
                                              output_.Shown(question.yesToAllText).c_str(),
                                              output_.Shown(question.noToAllText).c_str())
                           : kYesNoPrompt);
        std::string line;
        switch (ReadLine(line)) {
        case LineResult::Interrupted:
            return platform::MessageAnswer::No;
        case LineResult::EndOfInput:
            return platform::MessageAnswer::No;
        case LineResult::Line:
            break;
        }
        if (line == "y" || line == "Y" || line == "yes") {
            return platform::MessageAnswer::Yes;
        }
        if (line == "n" || line == "N" || line == "no") {
            return platform::MessageAnswer::No;
        }
        if (all && (line == "a" || line == "A" || line == "all")) {
            return platform::MessageAnswer::YesToAll;
        }
        if (all && (line == "s" || line == "S" || line == "skip")) {
            return platform::MessageAnswer::NoToAll;
        }
    }
}

platform::MessageAnswer TerminalQuestions::Ask(const platform::MessageRequest& question) {
    questionInterrupted_ = false;
    keepWithoutAsking_ = false;
    if (!stdinIsTerminal_) {
        output_.PrintLine(output_.Shown(question.title) + ": " + question.text);
        output_.PrintLine(kKeptWithoutTerminal);
        keepWithoutAsking_ = true;
        return platform::MessageAnswer::No;
    }
    return AskYesNo(question);
}

int TerminalQuestions::AskSaveAs(const std::string& initialPath, const SaveAsFilter& filter,
                                 std::string& chosenPath) {
    if (keepWithoutAsking_ || questionInterrupted_ || !stdinIsTerminal_) {
        return 0;
    }
    for (;;) {
        output_.Prompt(kSaveAsPrompt);
        std::string path;
        const LineResult read = ReadLine(path);
        if (read != LineResult::Line || path.empty()) {
            return 0;
        }
        std::error_code ignored;
        if (std::filesystem::is_directory(path, ignored)) {
            path = platform::JoinFolder(path, platform::NameOf(initialPath));
        } else if (platform::LastDot(platform::NameOf(path)) == std::string::npos) {
            path = path + "." + filter.DefaultExtension;
        }
        if (platform::NameExists(path)) {
            // A save dialog asks on its own before it lets an existing file be chosen.
            const platform::MessageRequest again{
                EncodeBatch::kOverwriteText,
                platform::Format(EncodeBatch::kOverwriteTitleFormat, path.c_str()),
                platform::MessageIcon::None, platform::MessageButtons::YesNo};
            const platform::MessageAnswer answer = AskYesNo(again);
            if (questionInterrupted_) {
                return 0;
            }
            if (answer != platform::MessageAnswer::Yes) {
                continue;
            }
        }
        chosenPath = path;
        return IEncodeBatchView::kSaveAsOk;
    }
}
