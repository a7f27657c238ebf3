// SPDX-License-Identifier: GPL-3.0-or-later
#include "EncodeSlot.h"

#include "settings/OutFolderParm.h"

#include <algorithm>

EncodeSlot::~EncodeSlot() = default;

bool EncodeSlot::Begin(const ConversionBatch& batch, std::size_t index, const EncodeItem& item,
                       const std::string& outPath) {
    if (batch.LameParm == nullptr || batch.Ogg == nullptr) {
        return false;
    }
    index_ = index;
    item_ = item;
    outPath_ = outPath;
    mp3_ = batch.EncodeType != kEncodeTypeOgg;
    endPosted_.store(false);
    endedAtOnce_ = false;
    elapsedSeconds_ = 0;
    startChanges_ = bar_.Changes();
    EncodeJobInput input;
    input.Item = item;
    input.OutPath = outPath;
    input.LameParm = *batch.LameParm;
    input.Ogg = *batch.Ogg;
    input.Id3v2 = batch.Id3v2;
    input.ReplayGain = batch.ReplayGain;
    input.BatchInputs = batch.Inputs;
    input.Folders = batch.Folders;
    if (index < batch.Albums.size()) {
        input.Album = batch.Albums[index];
    }
    const bool started = Job().BeginEncode(input, bar_, this);
    busy_ = started && !endedAtOnce_;
    return busy_;
}

void EncodeSlot::Tick() {
    if (busy_) {
        ++elapsedSeconds_;
    }
}

std::uint64_t EncodeSlot::DoneBytes() const {
    if (bar_.Changes() == startChanges_) {
        return 0;
    }
    return std::min(bar_.GetPos(), bar_.GetUpper());
}

bool EncodeSlot::TakeEnd() {
    // A late or repeated end event finds nothing to take.
    if (!busy_ || !endPosted_.exchange(false)) {
        return false;
    }
    busy_ = false;
    return true;
}

void EncodeSlot::RequestStop() {
    Job().RequestStop();
}

void EncodeSlot::AbandonOutput() {
    mp3Job_.AbandonOutput();
    oggJob_.AbandonOutput();
}

const CEncodeThread& EncodeSlot::Job() const {
    return mp3_ ? static_cast<const CEncodeThread&>(mp3Job_) : oggJob_;
}

CEncodeThread& EncodeSlot::Job() {
    return mp3_ ? static_cast<CEncodeThread&>(mp3Job_) : oggJob_;
}

void EncodeSlot::PostEncodeEnd() {
    endPosted_.store(true);
    view_.PostEncodeEnd();
}

void EncodeSlot::SendEncodeEnd() {
    // A job sends its end only from within BeginEncode, when it cannot run at all: Begin
    // reports that.
    endedAtOnce_ = true;
}
