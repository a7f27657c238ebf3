// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgressWatch.h"

#include "ui/ElidedLabel.h"
#include "ui/EncodeProgressWindow.h"
#include "ui/ProgressBarWidget.h"

#include <QApplication>
#include <QEvent>

namespace uitest {

ProgressWatch::ProgressWatch() {
    qApp->installEventFilter(this);
}

ProgressWatch::~ProgressWatch() {
    qApp->removeEventFilter(this);
}

void ProgressWatch::During(Condition condition, Action action) {
    steps_.emplace_back(std::move(condition), std::move(action));
}

std::uint64_t Percent(EncodeProgressWindow& window) {
    return window.Batch().Slot(0).ProgressBar().Percent();
}

QString LabelText(EncodeProgressWindow& window, const char* name) {
    const auto* label = window.findChild<ElidedLabel*>(QLatin1String(name));
    return label != nullptr ? label->Text() : QString();
}

bool ProgressWatch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show) {
        if (auto* window = qobject_cast<EncodeProgressWindow*>(watched)) {
            ++shown;
            mainTitleAtShow = window->parentWidget()->windowTitle();
            timeAtShow = LabelText(*window, "time");
        }
        return false;
    }
    if (event->type() != QEvent::Paint) {
        return false;
    }
    auto* bar = qobject_cast<ProgressBarWidget*>(watched);
    auto* window = bar != nullptr ? qobject_cast<EncodeProgressWindow*>(bar->window()) : nullptr;
    if (window == nullptr) {
        return false;
    }
    if (Percent(*window) == 100) {
        paintedFull.insert(window->Batch().TakenItem().InPath);
    }
    if (!steps_.empty() && steps_.front().first(*window)) {
        Action action = std::move(steps_.front().second);
        steps_.pop_front();
        // Not inside the paint: right after it, ahead of the job's next paint request.
        QMetaObject::invokeMethod(
            window, [window, action] { action(*window); }, Qt::QueuedConnection);
    }
    return false;
}

} // namespace uitest
