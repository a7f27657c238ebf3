#pragma once

#include "batch/IEncodeDlgView.h"
#include "platform/MessageBox.h"

#include <cstddef>
#include <optional>
#include <string>

/// The front end's side of a batch that may run several jobs at once: the progress dialog, a
/// terminal or a test. Everything here is called on the front end's event thread, except
/// PostEncodeEnd.
class IEncodeBatchView {
public:
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
    /// Ends the batch with IEncodeDlgView::kResultOk or kResultCancel; called exactly once.
    virtual void EndBatch(int result) = 0;

    /// A modal Yes/No question; see IEncodeDlgView::Ask.
    virtual platform::MessageAnswer Ask(const platform::MessageRequest& question) = 0;
    /// A save-file dialog; see IEncodeDlgView::AskSaveAs.
    virtual int AskSaveAs(const std::string& initialPath, const SaveAsFilter& filter,
                          std::string& chosenPath) = 0;

    /// Called on a worker thread when a job has ended: queue the end onto the event loop and
    /// from there call EncodeBatch::OnEncodeEnd.
    virtual void PostEncodeEnd() = 0;
};
