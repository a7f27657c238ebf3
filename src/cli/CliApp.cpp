// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliApp.h"

#include "audio/WaveReader.h"
#include "batch/ConversionStart.h"
#include "batch/FileRow.h"
#include "batch/OutcomeText.h"
#include "batch/WaveFolderScan.h"
#include "cli/InterruptSignals.h"
#include "cli/TerminalMessageBackend.h"
#include "platform/CodePage.h"
#include "platform/File.h"
#include "platform/Format.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "settings/PresetFile.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsFolder.h"
#include "settings/SettingsLifecycle.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <unistd.h>

namespace {

constexpr const char* kProgramName = "wavpress-cli";
constexpr auto kSecondInterruptWindow = std::chrono::seconds(2);

constexpr const char* kCancelFileNotice =
    "中断: このファイルをキャンセルします (2 秒以内にもう一度 Ctrl-C で全てキャンセル)";
constexpr const char* kCancelAllNotice =
    "中断: 残りのファイルもすべてキャンセルします (もう一度 Ctrl-C でただちに終了)";
constexpr const char* kEndAtOnceNotice = "中断: 変換の終わりを待たずに終了します";
constexpr const char* kStdoutFailed = "標準出力に書き込めません";

} // namespace

CliApp::CliApp()
    : output_(::isatty(STDERR_FILENO) == 1), stdoutIsTerminal_(::isatty(STDOUT_FILENO) == 1) {}

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
        return WriteStdout(UsageText() + "\n設定フォルダ: " + SettingsFolder() + "\n")
                   ? kExitConverted
                   : ReportStdoutFailure();
    }
    if (options.Command == CliCommand::Version) {
        return WriteStdout(std::string(kVersionText) + "\n") ? kExitConverted
                                                             : ReportStdoutFailure();
    }
    for (const std::string& warning : warnings) {
        output_.PrintLine(std::string(kProgramName) + ": " + warning);
    }

    const auto previousBackend =
        platform::MessageBox::SetBackend(std::make_shared<TerminalMessageBackend>(output_));
    EncodeSettings settings;
    LoadStartupSettings(SettingsFolder(), settings);
    ApplyOptions(options, settings);

    int status = kExitConverted;
    if (options.Command == CliCommand::ShowSettings) {
        if (!WriteStdout(RenderSettings(settings) + RenderPresets(settings.Presets))) {
            status = ReportStdoutFailure();
        }
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
    quiet_ = options.Quiet;
    std::vector<FileRow> rows;
    // Each item's probe, for the batch's percentage.
    std::vector<WaveProbe> probes;
    const auto take = [&](const std::string& path, const std::string& addedFrom) {
        FileRow row;
        row.AddedFrom = addedFrom;
        const WaveFileCheck check = TakeWaveFile(path, row, !options.NoWaveTags);
        if (!check) {
            ReportRefusal(path, check);
            arguments_.push_back({path, std::nullopt});
            return;
        }
        ApplyTags(options, row);
        arguments_.push_back({path, rows.size()});
        rows.push_back(std::move(row));
        probes.push_back(check.Probe);
    };
    for (const std::string& path : options.Files) {
        if (!WaveFolderScan::IsFolder(path)) {
            take(path, {});
            continue;
        }
        const WaveFolderScan scan(path);
        // A folder that gave nothing, or could not be read, is an input not converted.
        for (const WaveFolderScan::UnreadableFolder& folder : scan.UnreadableFolders()) {
            ReportFolder(folder.Path, OutcomeText::kUnreadableFolder, folder.Error);
        }
        if (scan.Files().empty() && scan.UnreadableFolders().empty()) {
            ReportFolder(path, OutcomeText::kNoWaveInFolder, 0);
        }
        for (const std::string& file : scan.Files()) {
            take(file, path);
        }
    }

    std::optional<ConversionBatch> batch = PrepareConversion(rows, settings);
    if (!batch) {
        return kExitUsage;
    }
    batch->Id3v2 = !options.NoId3v2;
    batch->Probes = std::move(probes);
    // -y allows replacing what existed before the run, never what the run itself has written.
    if (const auto clashes = FindOutputClashes(*batch); !clashes.empty()) {
        for (const std::vector<std::size_t>& items : clashes) {
            std::string inputs;
            for (const Argument& argument : arguments_) {
                if (argument.Item &&
                    std::find(items.begin(), items.end(), *argument.Item) != items.end()) {
                    inputs += " " + argument.Path;
                }
            }
            const std::string& outPath = batch->OutPaths[items.front()];
            output_.PrintLine(
                platform::Format("%s: 出力ファイル(%s)が同じになる入力ファイルがあります:%s",
                                 kProgramName, outPath.c_str(), inputs.c_str()));
        }
        return kExitUsage;
    }

    const std::size_t jobs = std::min(
        static_cast<std::size_t>(options.Jobs.value_or(DefaultJobs())), batch->Paths.size());
    RunBatch(*batch, jobs);

    const std::vector<BatchItemReport>& reports = results_;
    if (!options.Quiet) {
        PrintSummary(reports);
    }
    for (const Argument& argument : arguments_) {
        if (!argument.Item || reports[*argument.Item].Result != BatchItemResult::Converted) {
            return kExitNotAllConverted;
        }
    }
    return kExitConverted;
}

void CliApp::RunBatch(const ConversionBatch& batch, std::size_t jobs) {
    TerminalView view(output_, loop_, quiet_, ::isatty(STDIN_FILENO) == 1);
    EncodeBatch encodeBatch(view, jobs);
    batch_ = &encodeBatch;
    view_ = &view;
    view.SetInterruptHandler([this](EventLoop::Event event) { OnSignal(event, true); });
    encodeBatch.SetBatch(batch);
    view.SetBatch(encodeBatch);
    {
        const InterruptSignals signals(loop_);
        encodeBatch.Start();
        if (!encodeBatch.HasEnded()) {
            loop_.Run(*this);
        }
    }
    results_ = encodeBatch.Results();
    batch_ = nullptr;
    view_ = nullptr;
}

void CliApp::ReportRefusal(const std::string& path, const WaveFileCheck& check) {
    const auto refused = [&](const char* reason) {
        output_.PrintLine(
            platform::Format("%s: %s: %s", kProgramName, output_.Shown(path).c_str(), reason));
    };
    refused(OutcomeText::RefusalReason(check));
    const int error = check.Probe.Error;
    if (!check.WaveName) {
        return;
    }
    if (check.Probe.Failure == WaveFailure::M1) {
        if (error != ENOENT && error != 0) {
            output_.PrintLine(ReasonLine(error));
        }
        return;
    }
    // The reader's own message names the test the header failed.
    platform::MessageBox::Show(platform::Format(WaveFailureText(check.Probe.Failure), path.c_str()),
                               kWaveReaderTitle, platform::MessageIcon::Error,
                               platform::MessageButtons::Ok, error);
}

void CliApp::ReportFolder(const std::string& folder, const char* reason, int error) {
    output_.PrintLine(
        platform::Format("%s: %s: %s", kProgramName, output_.Shown(folder).c_str(), reason));
    if (error != 0) {
        output_.PrintLine(ReasonLine(error));
    }
    arguments_.push_back({folder, std::nullopt});
}

void CliApp::PrintSummary(const std::vector<BatchItemReport>& reports) const {
    const auto shown = [this](const std::string& name) {
        return stdoutIsTerminal_ ? platform::EscapeControls(name, false) : name;
    };
    OutcomeText::Counts counts{};
    std::string text;
    for (const Argument& argument : arguments_) {
        const BatchItemResult result =
            argument.Item ? reports[*argument.Item].Result : BatchItemResult::Skipped;
        ++counts[static_cast<std::size_t>(result)];
        text += OutcomeText::ResultLabel(result);
        text += ": ";
        text += shown(argument.Path);
        if (result == BatchItemResult::Converted) {
            text += " -> " + shown(reports[*argument.Item].OutPath);
        }
        text += '\n';
    }
    text += OutcomeText::CountsText(counts) + "\n";
    // A summary nobody can read any more changes nothing: the exit status tells the outcome.
    WriteStdout(text);
}

bool CliApp::WriteStdout(const std::string& text) const {
    const std::string shown = stdoutIsTerminal_ ? platform::EscapeControls(text, true) : text;
    return platform::WriteFully(STDOUT_FILENO, shown.data(), shown.size());
}

int CliApp::ReportStdoutFailure() {
    const int error = errno;
    output_.PrintLine(std::string(kProgramName) + ": " + kStdoutFailed);
    output_.PrintLine(ReasonLine(error));
    return kExitNotWritten;
}

void CliApp::OnEvent(EventLoop::Event event) {
    if (batch_ == nullptr) {
        return;
    }
    if (event == EventLoop::Event::EncodeEnd) {
        batch_->OnEncodeEnd();
        return;
    }
    if (event == EventLoop::Event::Redraw) {
        view_->OnRedraw();
        return;
    }
    OnSignal(event, false);
}

void CliApp::OnSignal(EventLoop::Event event, bool atQuestion) {
    if (allCancelled_) {
        EndAtOnce();
    }
    if (event == EventLoop::Event::Terminate) {
        CancelAll();
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (lastInterrupt_ && now - *lastInterrupt_ <= kSecondInterruptWindow) {
        CancelAll();
    } else {
        output_.PrintLine(kCancelFileNotice);
        // At a question the file asked about is skipped; the jobs that run go on.
        if (!atQuestion) {
            batch_->OnCancelFile();
        }
    }
    lastInterrupt_ = now;
}

void CliApp::CancelAll() {
    output_.PrintLine(kCancelAllNotice);
    allCancelled_ = true;
    batch_->OnCancelAll();
}

void CliApp::EndAtOnce() {
    output_.PrintLine(kEndAtOnceNotice);
    // What a stopped job would have removed itself.
    batch_->AbandonOutput();
    if (!quiet_) {
        PrintSummary(batch_->Results());
    }
    // A normal exit would wait for the job's thread.
    std::_Exit(kExitNotAllConverted);
}

void CliApp::OnTimer() {
    if (batch_ != nullptr) {
        batch_->OnTimer();
    }
}
