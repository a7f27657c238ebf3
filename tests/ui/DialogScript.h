// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace platform {
class MessageBackend;
}

namespace uitest {

/// The user at the program's modal dialogs: installs the Qt message-box backend for its life,
/// and answers every real QMessageBox by clicking the next scripted button, and every save
/// dialog by typing the next scripted name and Enter (or Escape for none). What was shown is
/// recorded.
class DialogScript : public QObject {
public:
    struct Box {
        QString title;
        QString text;
        QString informativeText;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QWidget* owner; ///< compared, never followed: it may be gone
        QString ownerClass;
        bool ownerShown; ///< the owner was on screen as the box appeared
    };
    struct SaveDialog {
        QString title;
        QStringList filters;
        QString folder;
        QString name; ///< the name the dialog proposes
    };

    DialogScript();
    ~DialogScript() override;

    void Click(QMessageBox::StandardButton button);
    /// Clicks the button of the next box that bears caption.
    void ClickCaption(const QString& caption);
    /// Something else to do while the next box is open.
    void Act(std::function<void(QMessageBox*)> action) { boxActions_.push_back(std::move(action)); }
    /// A name to type over the proposed one in the next save dialog, or nullopt to cancel it.
    void Type(std::optional<QString> name) { names_.push_back(std::move(name)); }

    std::vector<Box> boxes;
    std::vector<SaveDialog> saveDialogs;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::deque<std::function<void(QMessageBox*)>> boxActions_;
    std::deque<std::optional<QString>> names_;
    std::shared_ptr<platform::MessageBackend> previous_;
};

} // namespace uitest
