// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserActions.h"

#include <QAbstractItemView>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>

namespace uitest {

std::string Utf8(const QString& text) {
    return text.toStdString();
}

void ChooseItem(QComboBox* list, const std::string& text) {
    const int position = list->findText(QString::fromStdString(text), Qt::MatchExactly);
    if (position < 0) {
        throw std::runtime_error("no item " + text);
    }
    list->showPopup();
    QAbstractItemView* view = list->view();
    const QModelIndex index = view->model()->index(position, list->modelColumn());
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

void ExpectListOfAboutADozenRowsWithAScrollBar(QComboBox* list) {
    list->showPopup();
    QAbstractItemView* view = list->view();
    const int rows = view->viewport()->height() / view->sizeHintForRow(0);
    EXPECT_GE(rows, 10);
    EXPECT_LE(rows, 14);
    EXPECT_TRUE(view->verticalScrollBar()->isVisible());
    list->hidePopup();
}

void Click(QAbstractButton* button) {
    // The caption's start: inside the indicator and label of a check box, and inside a button.
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

QAbstractButton* ButtonCaptioned(const QWidget& page, const std::string& caption) {
    for (QAbstractButton* button : page.findChildren<QAbstractButton*>()) {
        if (Utf8(button->text()) == caption) {
            return button;
        }
    }
    throw std::runtime_error("no button " + caption);
}

std::vector<std::string> Items(const QComboBox& list) {
    std::vector<std::string> items;
    for (int i = 0; i < list.count(); ++i) {
        items.push_back(Utf8(list.itemText(i)));
    }
    return items;
}

std::string Selected(const QComboBox& list) {
    return list.currentIndex() < 0 ? std::string() : Utf8(list.currentText());
}

} // namespace uitest
