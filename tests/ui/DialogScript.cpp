// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogScript.h"

#include "ui/QtMessageBackend.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace uitest {

DialogScript::DialogScript()
    : previous_(platform::MessageBox::SetBackend(std::make_shared<QtMessageBackend>())) {
    qApp->installEventFilter(this);
}

DialogScript::~DialogScript() {
    qApp->removeEventFilter(this);
    platform::MessageBox::SetBackend(previous_);
    EXPECT_TRUE(boxActions_.empty()) << "scripted message-box answers left over";
    EXPECT_TRUE(names_.empty()) << "scripted save dialogs left over";
}

void DialogScript::Click(QMessageBox::StandardButton button) {
    Act([button](QMessageBox* box) {
        QAbstractButton* target = box->button(button);
        if (target == nullptr) {
            ADD_FAILURE() << "the box has no such button";
            box->reject();
            return;
        }
        QTest::mouseClick(target, Qt::LeftButton);
    });
}

void DialogScript::ClickCaption(const QString& caption) {
    Act([caption](QMessageBox* box) {
        for (QAbstractButton* target : box->buttons()) {
            if (target->text() == caption) {
                QTest::mouseClick(target, Qt::LeftButton);
                return;
            }
        }
        ADD_FAILURE() << "the box has no button " << caption.toStdString();
        box->reject();
    });
}

bool DialogScript::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Show) {
        return false;
    }
    if (auto* box = qobject_cast<QMessageBox*>(watched)) {
        QWidget* owner = box->parentWidget();
        boxes.push_back(
            {box->windowTitle(), box->text(), box->informativeText(), box->icon(),
             box->standardButtons(), owner,
             owner != nullptr ? QLatin1String(owner->metaObject()->className()) : QString(),
             owner != nullptr && owner->isVisible()});
        std::function<void(QMessageBox*)> action;
        if (!boxActions_.empty()) {
            action = std::move(boxActions_.front());
            boxActions_.pop_front();
        } else {
            ADD_FAILURE() << "unexpected message box: " << box->windowTitle().toStdString() << " "
                          << box->text().toStdString();
            action = [](QMessageBox* unexpected) { unexpected->close(); };
        }
        // Once the box runs its own loop.
        QTimer::singleShot(0, box, [box, action] { action(box); });
        return false;
    }
    if (auto* chooser = qobject_cast<QFileDialog*>(watched)) {
        const auto* proposed = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        saveDialogs.push_back({chooser->windowTitle(), chooser->nameFilters(),
                               chooser->directory().absolutePath(),
                               proposed != nullptr ? proposed->text() : QString()});
        std::optional<QString> name;
        if (!names_.empty()) {
            name = names_.front();
            names_.pop_front();
        } else {
            ADD_FAILURE() << "unexpected save dialog";
        }
        QTimer::singleShot(0, chooser, [chooser, name] {
            auto* edit = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (!name || edit == nullptr) {
                QTest::keyClick(chooser, Qt::Key_Escape);
                return;
            }
            const auto type = [chooser, edit, name] {
                // Typed where the user types: into the focused box of the active dialog.
                QApplication::setActiveWindow(chooser);
                edit->setFocus();
                edit->selectAll();
                QTest::keyClicks(edit, *name);
                QTest::keyClick(edit, Qt::Key_Return);
            };
            // A user types once the folder is listed: the proposed file is selected in the
            // list until the typing replaces it.
            auto* model = chooser->findChild<QFileSystemModel*>();
            const QString folder = chooser->directory().absolutePath();
            if (model == nullptr || model->rowCount(model->index(folder)) > 0) {
                type();
                return;
            }
            auto connection = std::make_shared<QMetaObject::Connection>();
            *connection = QObject::connect(model, &QFileSystemModel::directoryLoaded, chooser,
                                           [type, connection] {
                                               QObject::disconnect(*connection);
                                               QTimer::singleShot(0, type);
                                           });
        });
    }
    return false;
}

} // namespace uitest
