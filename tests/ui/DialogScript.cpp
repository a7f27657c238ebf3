#include "DialogScript.h"

#include "ui/QtMessageBackend.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QFileDialog>
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
    EXPECT_TRUE(clicks_.empty()) << "scripted message-box answers left over";
    EXPECT_TRUE(names_.empty()) << "scripted save dialogs left over";
}

bool DialogScript::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Show) {
        return false;
    }
    if (auto* box = qobject_cast<QMessageBox*>(watched)) {
        QWidget* owner = box->parentWidget();
        boxes.push_back(
            {box->windowTitle(), box->text(), box->icon(), box->standardButtons(), owner,
             owner != nullptr ? QLatin1String(owner->metaObject()->className()) : QString()});
        QMessageBox::StandardButton button = QMessageBox::Ok;
        if (!clicks_.empty()) {
            button = clicks_.front();
            clicks_.pop_front();
        } else {
            ADD_FAILURE() << "unexpected message box: " << box->text().toStdString();
            if (box->button(QMessageBox::Ok) == nullptr) {
                button = QMessageBox::No;
            }
        }
        // Clicked once the box runs its own loop.
        QTimer::singleShot(0, box, [box, button] {
            QAbstractButton* target = box->button(button);
            if (target == nullptr) {
                ADD_FAILURE() << "the box has no such button";
                box->reject();
                return;
            }
            QTest::mouseClick(target, Qt::LeftButton);
        });
        return false;
    }
    if (auto* chooser = qobject_cast<QFileDialog*>(watched)) {
        saveDialogs.push_back(
            {chooser->windowTitle(), chooser->nameFilters(), chooser->directory().absolutePath()});
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
            QTest::keyClicks(edit, *name);
            QTest::keyClick(edit, Qt::Key_Return);
        });
    }
    return false;
}

} // namespace uitest
