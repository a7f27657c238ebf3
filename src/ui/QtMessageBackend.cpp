// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/QtMessageBackend.h"

#include "ui/DialogFont.h"
#include "ui/QtText.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>

namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageRequest;

// Shared by every worker waiting for a box and by the GUI thread that answers or releases them.
std::mutex waitMutex;
std::condition_variable answered;
int unansweredHolders = 0;

struct PendingBox {
    bool answered = false;
    bool abandoned = false;
    MessageAnswer answer = MessageAnswer::Ok;
};

QMessageBox::Icon IconOf(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

// Under the message itself, which stays as the jobs word it.
QString ReasonOf(int systemError) {
    char buffer[256];
    // The GNU strerror_r: thread-safe, and it may return a static text instead of the buffer.
    return QStringLiteral("原因: ") +
           QString::fromLocal8Bit(::strerror_r(systemError, buffer, sizeof buffer));
}

bool OnGuiThread() {
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

} // namespace

MessageAnswer QtMessageBackend::ShowBox(const MessageRequest& request, QWidget* owner) {
    const bool question = request.buttons != MessageButtons::Ok;
    QMessageBox box(IconOf(request.icon), ToShownName(request.title), ToShownText(request.text),
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, owner);
    QAbstractButton* yesToAll = nullptr;
    QAbstractButton* noToAll = nullptr;
    if (request.buttons == MessageButtons::YesNoAll) {
        // Qt's own YesToAll and NoToAll say "Yes to All"; these say what the answer does.
        yesToAll = box.addButton(ToQString(request.yesToAllText), QMessageBox::YesRole);
        noToAll = box.addButton(ToQString(request.noToAllText), QMessageBox::NoRole);
        yesToAll->setObjectName(QStringLiteral("yesToAll"));
        noToAll->setObjectName(QStringLiteral("noToAll"));
        box.setEscapeButton(QMessageBox::No);
    }
    if (request.systemError != 0) {
        box.setInformativeText(ReasonOf(request.systemError));
    }
    UseDialogFont(&box);
    box.exec();
    if (!question) {
        return MessageAnswer::Ok;
    }
    const QAbstractButton* clicked = box.clickedButton();
    if (clicked == box.button(QMessageBox::Yes)) {
        return MessageAnswer::Yes;
    }
    if (clicked != nullptr && clicked == yesToAll) {
        return MessageAnswer::YesToAll;
    }
    if (clicked != nullptr && clicked == noToAll) {
        return MessageAnswer::NoToAll;
    }
    return MessageAnswer::No;
}

MessageAnswer QtMessageBackend::Show(const MessageRequest& request) {
    if (QCoreApplication::instance() == nullptr) {
        return platform::StderrMessageBackend().Show(request);
    }
    if (OnGuiThread()) {
        return ShowBox(request, QApplication::activeWindow());
    }

    auto pending = std::make_shared<PendingBox>();
    {
        const std::lock_guard lock(waitMutex);
        if (unansweredHolders > 0) {
            return platform::UnansweredAnswer(request.buttons);
        }
    }
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [pending, request] {
            {
                const std::lock_guard lock(waitMutex);
                if (pending->abandoned) {
                    return;
                }
            }
            const MessageAnswer answer = ShowBox(request, nullptr);
            {
                const std::lock_guard lock(waitMutex);
                pending->answer = answer;
                pending->answered = true;
            }
            answered.notify_all();
        },
        Qt::QueuedConnection);

    std::unique_lock lock(waitMutex);
    answered.wait(lock, [&] { return pending->answered || unansweredHolders > 0; });
    if (!pending->answered) {
        // The box may not have been shown yet; it is not shown to no one.
        pending->abandoned = true;
        return platform::UnansweredAnswer(request.buttons);
    }
    return pending->answer;
}

QtMessageBackend::WorkersUnanswered::WorkersUnanswered() {
    {
        const std::lock_guard lock(waitMutex);
        ++unansweredHolders;
    }
    answered.notify_all();
}

QtMessageBackend::WorkersUnanswered::~WorkersUnanswered() {
    const std::lock_guard lock(waitMutex);
    --unansweredHolders;
}
