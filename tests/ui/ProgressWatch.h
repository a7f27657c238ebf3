// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <set>
#include <string>

class EncodeProgressWindow;

namespace uitest {

/// Watches the progress windows of a test: what they showed when they appeared, which files'
/// bars were painted full, and steps that act on the window while a job runs.
class ProgressWatch : public QObject {
public:
    using Condition = std::function<bool(EncodeProgressWindow&)>;
    using Action = std::function<void(EncodeProgressWindow&)>;

    ProgressWatch();
    ~ProgressWatch() override;

    /// At a paint of the bar when condition holds, action runs right after the paint, before
    /// the job has gone past its next percent. Steps are taken in the order added.
    void During(Condition condition, Action action);
    bool StepsLeft() const { return !steps_.empty(); }

    int shown = 0;
    QString mainTitleAtShow;
    QString timeAtShow;
    /// The inputs whose bar was painted full while their job was the current one.
    std::set<std::string> paintedFull;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::deque<std::pair<Condition, Action>> steps_;
};

/// The bar's percentage of the window's current job.
std::uint64_t Percent(EncodeProgressWindow& window);
/// The full text of a label of the window ("inputPath", "outputPath", "time").
QString LabelText(EncodeProgressWindow& window, const char* name);

} // namespace uitest
