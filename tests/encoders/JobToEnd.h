// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "EndEventRecorder.h"
#include "RecordingBar.h"
#include "encoders/CEncodeThread.h"
#include "support/RecordingMessageBackend.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

/// Jobs run to their end in a folder of the test's, one at a time, each expected to convert;
/// their messages are recorded rather than shown.
template <class Param> class JobToEndTest : public ::testing::TestWithParam<Param> {
protected:
    void RunToEnd(CEncodeThread& job, const EncodeJobInput& input) {
        const std::size_t posted = notify_.Posted();
        ASSERT_TRUE(job.BeginEncode(input, bar_, &notify_));
        ASSERT_TRUE(notify_.WaitForPosts(posted + 1));
        EXPECT_EQ(job.Outcome(), EncodeOutcome::Converted);
    }

    testsupport::TempDir dir_;
    testsupport::ScopedMessageRecorder messages_;
    EndEventRecorder notify_;
    RecordingBar bar_;
};
