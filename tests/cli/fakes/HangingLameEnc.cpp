// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in engine library whose beEncodeChunk never returns, as an engine stuck in a loop or
// on a dead device would: a job on it can be asked to stop but never sees the request. It says
// on stderr when it is stuck.

#include "lame_enc/BladeMP3EncDLL.h"

#include <unistd.h>

namespace {

constexpr HBE_STREAM kStream = 1;

} // namespace

extern "C" {

BE_ERR beInitStream(BE_CONFIG*, DWORD* samples, DWORD* bufferSize, HBE_STREAM* stream) {
    *samples = 1152;
    *bufferSize = 8192;
    *stream = kStream;
    return BE_ERR_SUCCESSFUL;
}

BE_ERR beEncodeChunk(HBE_STREAM, DWORD, SHORT*, BYTE*, DWORD*) {
    // Tells a test reading stderr that the job can no longer see a stop request.
    static constexpr char kStuck[] = "beEncodeChunk: stuck\n";
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, kStuck, sizeof kStuck - 1);
    for (;;) {
        // A signal handled on this thread ends one pause, not the wait.
        ::pause();
    }
}

BE_ERR beCloseStream(HBE_STREAM) {
    return BE_ERR_SUCCESSFUL;
}

} // extern "C"
