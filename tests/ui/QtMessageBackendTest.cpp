// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogScript.h"

#include "ui/QtMessageBackend.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <future>

namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;
using namespace std::chrono_literals;

std::future<MessageAnswer> AskFromWorker(const char* text, const char* title, MessageIcon icon,
                                         MessageButtons buttons, int systemError = 0) {
    return std::async(std::launch::async, [=] {
        return platform::MessageBox::Show(text, title, icon, buttons, systemError);
    });
}

bool Ready(const std::future<MessageAnswer>& answer) {
    return answer.wait_for(0s) == std::future_status::ready;
}

// The windows' own boxes cover the warning and information icons; the reader's error icon, a
// question asked from a worker and the reason of a failed call are here.
TEST(QtMessageBackendTest, AWorkerWaitsForTheBoxTheGuiThreadShows) {
    const struct {
        MessageIcon icon;
        MessageButtons buttons;
        QMessageBox::StandardButton click;
        QMessageBox::Icon shownIcon;
        MessageAnswer answer;
        int systemError;
    } cases[] = {
        {MessageIcon::Error, MessageButtons::Ok, QMessageBox::Ok, QMessageBox::Critical,
         MessageAnswer::Ok, ENOSPC},
        {MessageIcon::None, MessageButtons::YesNo, QMessageBox::Yes, QMessageBox::NoIcon,
         MessageAnswer::Yes, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.shownIcon));
        uitest::DialogScript script;
        script.Click(c.click);
        auto answer = AskFromWorker("本文\n二行目", "CLameDll", c.icon, c.buttons, c.systemError);
        // The worker stays in Show until the GUI thread's loop has run the box.
        EXPECT_FALSE(Ready(answer));
        ASSERT_TRUE(QTest::qWaitFor([&] { return Ready(answer); }, 5000));
        EXPECT_EQ(answer.get(), c.answer);
        ASSERT_EQ(script.boxes.size(), 1u);
        const auto& box = script.boxes[0];
        EXPECT_EQ(box.title, QStringLiteral("CLameDll"));
        EXPECT_EQ(box.text, QStringLiteral("本文\n二行目"));
        EXPECT_EQ(box.informativeText,
                  c.systemError != 0
                      ? QStringLiteral("原因: ") + QString::fromLocal8Bit(std::strerror(ENOSPC))
                      : QString());
        EXPECT_EQ(box.icon, c.shownIcon);
        EXPECT_EQ(box.buttons, c.buttons == MessageButtons::Ok
                                   ? QMessageBox::StandardButtons(QMessageBox::Ok)
                                   : QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(box.owner, nullptr);
    }
}

// The overwrite question's answers for all: each button gives its own answer, Escape says No.
TEST(QtMessageBackendTest, ABoxWithAnswersForAllTellsThemApart) {
    const struct {
        std::function<void(uitest::DialogScript&)> press;
        MessageAnswer answer;
    } cases[] = {
        {[](uitest::DialogScript& script) { script.ClickCaption(QStringLiteral("全部")); },
         MessageAnswer::YesToAll},
        {[](uitest::DialogScript& script) { script.ClickCaption(QStringLiteral("どれも")); },
         MessageAnswer::NoToAll},
        {[](uitest::DialogScript& script) { script.Click(QMessageBox::Yes); }, MessageAnswer::Yes},
        {[](uitest::DialogScript& script) {
             script.Act([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
         },
         MessageAnswer::No},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answer));
        uitest::DialogScript script;
        c.press(script);
        platform::MessageRequest question{"q", "t", MessageIcon::None, MessageButtons::YesNoAll};
        question.yesToAllText = "全部";
        question.noToAllText = "どれも";
        EXPECT_EQ(QtMessageBackend::ShowBox(question, nullptr), c.answer);
    }
}

TEST(QtMessageBackendTest, WhileWorkersAreUnansweredNoWorkerWaitsAndNoBoxShows) {
    uitest::DialogScript script;
    auto waiting = AskFromWorker("q", "保存確認(/a.mp3)", MessageIcon::None, MessageButtons::YesNo);
    {
        const QtMessageBackend::WorkersUnanswered unanswered;
        EXPECT_EQ(waiting.get(), MessageAnswer::No);
        EXPECT_EQ(AskFromWorker("m", "エラー", MessageIcon::Warning, MessageButtons::Ok).get(),
                  MessageAnswer::Ok);
        // The box asked for before the release is already queued; it is not shown to no one.
        QCoreApplication::sendPostedEvents();
    }
    EXPECT_TRUE(script.boxes.empty());

    script.Click(QMessageBox::Yes);
    auto later = AskFromWorker("q", "t", MessageIcon::None, MessageButtons::YesNo);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Ready(later); }, 5000));
    EXPECT_EQ(later.get(), MessageAnswer::Yes);
    EXPECT_EQ(script.boxes.size(), 1u);
}

} // namespace
