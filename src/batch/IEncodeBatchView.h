// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/MessageBox.h"

#include <cstddef>
#include <optional>
#include <string>

/// What a save-file dialog offers for one encoder kind.
struct SaveAsFilter {
    const char* Filter;           ///< "display name|pattern||"
    const char* DefaultExtension; ///< appended to a name typed without one
};

/// The front end's side of a batch, whether it runs one job at a time or several: the progress
/// window, a terminal or a test. Everything here is called on the front end's event thread,
/// except PostEncodeEnd.
class IEncodeBatchView {
public:
    /// Results the batch ends with.
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;
    /// What AskSaveAs returns when a path was chosen.
    static constexpr int kSaveAsOk = 1;

    virtual ~IEncodeBatchView() = default;

    /// The item at index is taken, with the output path derived for it; its questions follow.
    virtual void ItemTaken(std::size_t index, const std::string& inPath,
                           const std::string& outPath) = 0;
    /// The save dialog gave the item being taken another output path.
    virtual void OutputChosen(std::size_t index, const std::string& outPath) = 0;
    /// The item's job runs in the slot from now on and drives the slot's bar.
    virtual void JobStarted(std::size_t slot, std::size_t index) = 0;
    /// The item has its result: its job in the slot has ended or could not begin, or (no slot)
    /// the item was skipped.
    virtual void ItemFinished(std::size_t index, std::optional<std::size_t> slot) = 0;
    /// Ends the batch with kResultOk or kResultCancel; called exactly once.
    virtual void EndBatch(int result) = 0;

    /// A modal Yes/No question owned by the batch's window.
    virtual platform::MessageAnswer Ask(const platform::MessageRequest& question) = 0;
    /// A save-file dialog started at initialPath, asking itself before it lets an existing file
    /// be chosen. kSaveAsOk with chosenPath set, anything else leaving it unchanged.
    virtual int AskSaveAs(const std::string& initialPath, const SaveAsFilter& filter,
                          std::string& chosenPath) = 0;

    /// Called on a worker thread when a job has ended: queue the end onto the event loop and
    /// from there call EncodeBatch::OnEncodeEnd.
    virtual void PostEncodeEnd() = 0;

    /// The time display, for a front end that shows one: (re)starts the timer whose every
    /// period the front end answers with EncodeBatch::OnTimer, stops it, and shows the text.
    virtual void StartTimer(unsigned /*periodMilliseconds*/) {}
    virtual void StopTimer() {}
    virtual void SetTimeText(const std::string& /*text*/) {}
};
