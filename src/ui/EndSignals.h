// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QSocketNotifier;

/// From its construction on, SIGTERM, SIGHUP and SIGINT no longer end the process at once: each
/// becomes EndRequested on the event loop, so that the program can end as by its own exit
/// button and keep its settings (a logout, a closed terminal or a service manager sends them).
/// After its destruction they are ignored: the program is ending already, and a late signal
/// must not cut its last steps short. One instance per process.
class EndSignals : public QObject {
    Q_OBJECT
public:
    explicit EndSignals(QObject* parent = nullptr);
    ~EndSignals() override;
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

Q_SIGNALS:
    void EndRequested();

private:
    void OnReadable();

    int readFd_ = -1;
    int writeFd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};
