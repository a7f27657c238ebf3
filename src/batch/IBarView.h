// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

/// What shows a CProgressBarEx: repaints it from its current values.
class IBarView {
public:
    virtual ~IBarView() = default;
    /// Called on the job's worker thread after every change of the bar; returns once the new
    /// values are shown (a window waits for its paint, a terminal prints).
    virtual void Redraw() = 0;
};
