// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

/// Identity of the end event of a job (the window message number it always had).
inline constexpr unsigned WM_ENCODE_END = 6024;

/// Receives WM_ENCODE_END: the window, the terminal front end, or a test.
class INotifyTarget {
public:
    virtual ~INotifyTarget() = default;
    /// Queues the end event onto the owner's event loop; called from the worker thread.
    virtual void PostEncodeEnd() = 0;
    /// Handles the end event at once, on the caller's (the owner's) thread: a job that could not
    /// be started at all ends this way.
    virtual void SendEncodeEnd() = 0;
};
