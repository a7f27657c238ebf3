#include "DialogScript.h"

#include "ui/QtMessageBackend.h"
#include "ui/QtText.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <future>

namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;
using namespace std::chrono_literals;

std::future<MessageAnswer> AskFromWorker(const char* text, const char* title, MessageIcon icon,
                                         MessageButtons buttons) {
    return std::async(std::launch::async,
                      [=] { return platform::MessageBox::Show(text, title, icon, buttons); });
}

bool Ready(const std::future<MessageAnswer>& answer) {
    return answer.wait_for(0s) == std::future_status::ready;
}

TEST(QtMessageBackendTest, AWorkerWaitsForTheBoxTheGuiThreadShows) {
    const struct {
        MessageIcon icon;
        MessageButtons buttons;
        QMessageBox::StandardButton click;
        QMessageBox::Icon shownIcon;
        MessageAnswer answer;
    } cases[] = {
        {MessageIcon::Warning, MessageButtons::Ok, QMessageBox::Ok, QMessageBox::Warning,
         MessageAnswer::Ok},
        {MessageIcon::Information, MessageButtons::Ok, QMessageBox::Ok, QMessageBox::Information,
         MessageAnswer::Ok},
        {MessageIcon::Error, MessageButtons::Ok, QMessageBox::Ok, QMessageBox::Critical,
         MessageAnswer::Ok},
        {MessageIcon::None, MessageButtons::YesNo, QMessageBox::Yes, QMessageBox::NoIcon,
         MessageAnswer::Yes},
        {MessageIcon::None, MessageButtons::YesNo, QMessageBox::No, QMessageBox::NoIcon,
         MessageAnswer::No},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.shownIcon));
        uitest::DialogScript script;
        script.Click(c.click);
        auto answer = AskFromWorker("出力ファイル(/x.mp3)のオープンに失敗しました\n他のソフト",
                                    "エラー", c.icon, c.buttons);
        // The worker stays in Show until the GUI thread's loop has run the box.
        EXPECT_FALSE(Ready(answer));
        ASSERT_TRUE(QTest::qWaitFor([&] { return Ready(answer); }, 5000));
        EXPECT_EQ(answer.get(), c.answer);
        ASSERT_EQ(script.boxes.size(), 1u);
        const auto& box = script.boxes[0];
        EXPECT_EQ(box.title, QStringLiteral("エラー"));
        EXPECT_EQ(box.text,
                  QStringLiteral("出力ファイル(/x.mp3)のオープンに失敗しました\n他のソフト"));
        EXPECT_EQ(box.icon, c.shownIcon);
        EXPECT_EQ(box.buttons, c.buttons == MessageButtons::Ok
                                   ? QMessageBox::StandardButtons(QMessageBox::Ok)
                                   : QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(box.owner, nullptr);
    }
}

TEST(QtMessageBackendTest, OnTheGuiThreadTheBoxRunsAtOnceOverTheActiveWindow) {
    QWidget mainWindow;
    mainWindow.show();
    QApplication::setActiveWindow(&mainWindow);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow));
    uitest::DialogScript script;
    script.Click(QMessageBox::Ok);
    EXPECT_EQ(
        platform::MessageBox::Show("Presetの設定がありません\n", "エラー", MessageIcon::Warning),
        MessageAnswer::Ok);
    ASSERT_EQ(script.boxes.size(), 1u);
    EXPECT_EQ(script.boxes[0].owner, &mainWindow);
    EXPECT_EQ(script.boxes[0].icon, QMessageBox::Warning);
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
