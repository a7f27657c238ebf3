// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "encoders/LoudnessMeter.h"
#include "encoders/OutputFolders.h"
#include "encoders/ReplayGainWriter.h"
#include "platform/AtomicFileWriter.h"
#include "tags/ReplayGainValues.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

/// The files of one album of a batch. An album's values are known only once its last file has
/// ended, so each converted output is held here, complete but without a name, until then; then
/// the album's values go into every one of them and they take their names. A process killed
/// meanwhile leaves no output half-written: a held working file has no name (or a marked
/// hidden one that the next run's cleanup removes). Files that were not converted do not count.
class ReplayGainAlbum {
public:
    /// An output the album put in place, or failed to.
    struct Placed {
        std::string Path;
        bool Written = false;
    };

    /// members: the items of the batch that belong to the album.
    explicit ReplayGainAlbum(std::size_t members);
    ~ReplayGainAlbum();
    ReplayGainAlbum(const ReplayGainAlbum&) = delete;
    ReplayGainAlbum& operator=(const ReplayGainAlbum&) = delete;

    /// A converted member's output, complete but for its values.
    struct Output {
        std::unique_ptr<platform::AtomicFileWriter> File; ///< open, without its name
        std::string Path;
        std::unique_ptr<LoudnessMeter> Meter; ///< what measured it
        std::unique_ptr<ReplayGainWriter> Writer;
        /// The batch's folders, held for Path until the output has its name; may be null.
        std::shared_ptr<OutputFolders> Folders;
    };

    /// From a job's thread: a converted member's output.
    void Hold(Output output);
    /// On the event thread, once for each member, whatever became of it. With the last, the
    /// album's values are written and the outputs held take their names.
    std::vector<Placed> MemberEnded();
    /// The outputs held take their names with their track values alone: the album will not be
    /// complete (its batch was cancelled).
    std::vector<Placed> Settle();
    /// The outputs held whose paths match take their names now with their track values alone,
    /// so that another output of that name meets them as files the batch has written.
    std::vector<Placed> Release(const std::function<bool(const std::string&)>& matches);
    /// Discards the outputs held, for a front end that ends the process without waiting.
    void Abandon();

private:
    struct Member {
        Output output; ///< its File null once placed
        ReplayGainValues track;
    };

    /// The outputs held whose paths match.
    std::vector<Member*> TakeHeld(const std::function<bool(const std::string&)>& matches);
    static std::vector<Placed> Place(const std::vector<Member*>& members,
                                     const ReplayGainValues* album);
    ReplayGainValues AlbumValues() const;

    std::mutex mutex_;
    std::vector<std::unique_ptr<Member>> members_;
    std::size_t expected_;
    std::size_t ended_ = 0;
};
