// SPDX-License-Identifier: GPL-3.0-or-later
#include "BarRepaintRequest.h"

BarRepaintRequest::BarRepaintRequest(const CProgressBarEx& bar, std::function<void()> requestPaint)
    : bar_(bar), requestPaint_(std::move(requestPaint)), askedPicture_(bar.Percent()) {}

void BarRepaintRequest::Redraw() {
    // With the width fixed, the percentage alone decides what the bar looks like.
    const std::uint64_t picture = bar_.Percent();
    if (askedPicture_.exchange(picture) == picture) {
        return;
    }
    if (!paintQueued_.exchange(true)) {
        requestPaint_();
    }
}

void BarRepaintRequest::TakeRequest() {
    paintQueued_.store(false);
}
