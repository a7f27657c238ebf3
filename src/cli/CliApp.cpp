#include "CliApp.h"

#include "batch/ConversionStart.h"
#include "batch/FileRow.h"
#include "cli/InterruptSignals.h"
#include "cli/TerminalMessageBackend.h"
#include "cli/TerminalView.h"
#include "platform/Format.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "settings/PresetFile.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLifecycle.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace {

constexpr const char* kProgramName = "wavpress-cli";
constexpr auto kSecondInterruptWindow = std::chrono::seconds(2);

const char* RefusalReason(const std::string& path) {
    const std::size_t dot = platform::LastDot(path);
    if (dot == std::string::npos || path.compare(dot + 1, std::string::npos, "wav") != 0) {
        return "拡張子が .wav (小文字) ではありません";
    }
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored)) {
        return "ファイルがありません";
    }
    return "16bit ステレオ 32000Hz/44100Hz/48000Hz の WAVE ファイルとして読めません";
}

const char* ResultLabel(BatchItemResult result) {
    switch (result) {
    case BatchItemResult::Converted:
        return "変換済み";
    case BatchItemResult::Skipped:
        return "スキップ";
    case BatchItemResult::Failed:
        return "失敗";
    case BatchItemResult::Cancelled:
        return "キャンセル";
    }
    return "";
}

void WriteStdout(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

} // namespace

CliApp::CliApp() : output_(::isatty(STDERR_FILENO) == 1) {}

int CliApp::Run(int argc, char** argv) {
    CliOptions options;
    std::string error;
    std::vector<std::string> warnings;
    if (!ParseCommandLine(argc, argv, options, error, warnings)) {
        output_.PrintLine(std::string(kProgramName) + ": " + error);
        output_.PrintLine(std::string("詳しくは ") + kProgramName + " --help をご覧ください");
        return kExitUsage;
    }
    if (options.Command == CliCommand::Help) {
        WriteStdout(UsageText());
        return kExitConverted;
    }
    if (options.Command == CliCommand::Version) {
        WriteStdout(std::string(kVersionText) + "\n");
        return kExitConverted;
    }
    for (const std::string& warning : warnings) {
        output_.PrintLine(std::string(kProgramName) + ": " + warning);
    }

    const auto previousBackend =
        platform::MessageBox::SetBackend(std::make_shared<TerminalMessageBackend>(output_));
    EncodeSettings settings;
    LoadStartupSettings(platform::ExecutableFolder(), settings);
    ApplyOptions(options, settings);

    int status = kExitConverted;
    if (options.Command == CliCommand::ShowSettings) {
        WriteStdout(RenderSettings(settings) + RenderPresets(settings.Presets));
    } else if (options.Files.empty()) {
        output_.PrintLine(std::string(kProgramName) + ": 変換する WAVE ファイルを指定してください");
        output_.PrintLine(std::string("詳しくは ") + kProgramName + " --help をご覧ください");
        status = kExitUsage;
    } else {
        status = Convert(options, settings);
    }
    platform::MessageBox::SetBackend(previousBackend);
    return status;
}

int CliApp::Convert(const CliOptions& options, EncodeSettings& settings) {
    std::vector<Argument> arguments;
    std::vector<FileRow> rows;
    for (const std::string& path : options.Files) {
        FileRow row;
        if (!TakeWaveFile(path, row)) {
            output_.PrintLine(
                platform::Format("%s: %s: %s", kProgramName, path.c_str(), RefusalReason(path)));
            arguments.push_back({path, std::nullopt});
            continue;
        }
        ApplyTags(options, row);
        arguments.push_back({path, rows.size()});
        rows.push_back(std::move(row));
    }

    const std::optional<ConversionBatch> batch = PrepareConversion(rows, settings);
    if (!batch) {
        return kExitUsage;
    }

    TerminalView view(output_, loop_, options.Quiet, ::isatty(STDIN_FILENO) == 1);
    CEncodeDlg dialog(view);
    dialog_ = &dialog;
    view.SetBar(&dialog.ProgressBar());
    view.SetInterruptHandler([&dialog] { dialog.OnCancelAll(); });
    dialog.ProgressBar().SetView(&view);
    dialog.SetBatch(*batch);
    {
        const InterruptSignals signals(loop_);
        dialog.Start();
        if (!dialog.HasEnded()) {
            loop_.Run(*this);
        }
    }
    dialog.ProgressBar().SetView(nullptr);
    dialog_ = nullptr;

    const std::vector<BatchItemReport>& reports = dialog.Results();
    if (!options.Quiet) {
        PrintSummary(arguments, reports);
    }
    for (const Argument& argument : arguments) {
        if (!argument.Item || reports[*argument.Item].Result != BatchItemResult::Converted) {
            return kExitNotAllConverted;
        }
    }
    return kExitConverted;
}

void CliApp::PrintSummary(const std::vector<Argument>& arguments,
                          const std::vector<BatchItemReport>& reports) const {
    std::size_t counts[4] = {};
    std::string text;
    for (const Argument& argument : arguments) {
        const BatchItemResult result =
            argument.Item ? reports[*argument.Item].Result : BatchItemResult::Skipped;
        ++counts[static_cast<std::size_t>(result)];
        text += ResultLabel(result);
        text += ": ";
        text += argument.Path;
        if (result == BatchItemResult::Converted) {
            text += " -> " + reports[*argument.Item].OutPath;
        }
        text += '\n';
    }
    text += platform::Format(
        "%s %zu, %s %zu, %s %zu, %s %zu\n", ResultLabel(BatchItemResult::Converted), counts[0],
        ResultLabel(BatchItemResult::Skipped), counts[1], ResultLabel(BatchItemResult::Failed),
        counts[2], ResultLabel(BatchItemResult::Cancelled), counts[3]);
    WriteStdout(text);
}

void CliApp::OnEvent(EventLoop::Event event) {
    if (dialog_ == nullptr) {
        return;
    }
    switch (event) {
    case EventLoop::Event::EncodeEnd:
        dialog_->OnEncodeEnd();
        return;
    case EventLoop::Event::Terminate:
        dialog_->OnCancelAll();
        return;
    case EventLoop::Event::Interrupt: {
        const auto now = std::chrono::steady_clock::now();
        if (lastInterrupt_ && now - *lastInterrupt_ <= kSecondInterruptWindow) {
            output_.PrintLine("中断: 残りのファイルもすべてキャンセルします");
            dialog_->OnCancelAll();
        } else {
            output_.PrintLine("中断: このファイルをキャンセルします (2 秒以内にもう一度 Ctrl-C "
                              "で全てキャンセル)");
            dialog_->OnCancelFile();
        }
        lastInterrupt_ = now;
        return;
    }
    }
}

void CliApp::OnTimer() {
    if (dialog_ != nullptr) {
        dialog_->OnTimer();
    }
}
