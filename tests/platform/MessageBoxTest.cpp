// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MessageBox.h"
#include "platform/Format.h"

#include "support/RecordingMessageBackend.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

using platform::MessageAnswer;
using platform::MessageBox;
using platform::MessageButtons;
using platform::MessageIcon;

// Sends this process's stderr into a file for the object's lifetime.
class StderrToFile {
public:
    explicit StderrToFile(const std::string& path)
        : saved_(::dup(STDERR_FILENO)),
          fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600)) {
        std::fflush(stderr);
        ::dup2(fd_, STDERR_FILENO);
    }
    ~StderrToFile() {
        std::fflush(stderr);
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
        ::close(fd_);
    }
    StderrToFile(const StderrToFile&) = delete;
    StderrToFile& operator=(const StderrToFile&) = delete;

private:
    int saved_;
    int fd_;
};

TEST(MessageBoxTest, AnInstalledBackendReceivesEveryFieldAndAnswers) {
    testsupport::ScopedMessageRecorder recorder;
    recorder->ScriptAnswer(MessageAnswer::Yes);
    EXPECT_EQ(MessageBox::Show("上書きしますか?", "保存確認(a.mp3)", MessageIcon::Warning,
                               MessageButtons::YesNo),
              MessageAnswer::Yes);
    EXPECT_EQ(MessageBox::Show("text", "title", MessageIcon::Error), MessageAnswer::Ok);
    const auto requests = recorder->Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].text, "上書きしますか?");
    EXPECT_EQ(requests[0].title, "保存確認(a.mp3)");
    EXPECT_EQ(requests[0].icon, MessageIcon::Warning);
    EXPECT_EQ(requests[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(requests[1].icon, MessageIcon::Error);
    EXPECT_EQ(requests[1].buttons, MessageButtons::Ok);
}

TEST(MessageBoxTest, SetBackendReturnsTheReplacedOneForRestoring) {
    auto outer = std::make_shared<testsupport::RecordingMessageBackend>();
    const auto original = MessageBox::SetBackend(outer);
    ASSERT_NE(original, nullptr);
    {
        testsupport::ScopedMessageRecorder inner;
        MessageBox::Show("inner", "t", MessageIcon::None);
        EXPECT_EQ(inner->Requests().size(), 1u);
    }
    MessageBox::Show("outer", "t", MessageIcon::None);
    const auto shown = outer->Requests();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "outer");
    EXPECT_EQ(MessageBox::SetBackend(original), outer);
}

TEST(MessageBoxTest, WithoutABackendMessagesGoToStderr) {
    testsupport::TempDir dir;
    const std::string log = dir.File("stderr.txt");
    const auto previous = MessageBox::SetBackend(nullptr);
    {
        StderrToFile redirect(log);
        EXPECT_EQ(MessageBox::Show("ファイルがありません\n2行目", "CLameDll", MessageIcon::Error),
                  MessageAnswer::Ok);
        EXPECT_EQ(
            MessageBox::Show("続けますか", "確認", MessageIcon::Warning, MessageButtons::YesNo),
            MessageAnswer::No);
    }
    MessageBox::SetBackend(previous);
    EXPECT_EQ(testsupport::ReadFileBytes(log),
              "CLameDll: ファイルがありません\n2行目\n確認: 続けますか\n");
}

TEST(FormatTest, FormatsLongAndMultibyteTexts) {
    EXPECT_EQ(platform::Format("%s(%d)", "曲", 7), "曲(7)");
    EXPECT_EQ(platform::Format("%s", ""), "");
    const std::string longText(5000, 'x');
    EXPECT_EQ(platform::Format("[%s]", longText.c_str()), "[" + longText + "]");
    // A path is an argument, never a format: its '%' stays as it is.
    EXPECT_EQ(platform::Format("(%s)", "100%s.wav"), "(100%s.wav)");
}

} // namespace
