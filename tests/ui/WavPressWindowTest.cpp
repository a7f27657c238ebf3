// SPDX-License-Identifier: GPL-3.0-or-later
#include "WavPressWindowTest.h"

#include "support/WaveWriter.h"
#include "ui/QtText.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>

WavPressWindowTest::WavPressWindowTest()
    : window_(std::make_unique<CWavPressDlg>(settingsFolder.Path())) {
    window_->SetOpenFileNamesAsker([this](QWidget*, bool several) {
        askedSeveral.push_back(several);
        return answer;
    });
    window_->show();
    window_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
}

WavPressWindowTest::~WavPressWindowTest() = default;

CListEditCtrl* WavPressWindowTest::List() const {
    return window_->findChild<CListEditCtrl*>();
}

QTabBar* WavPressWindowTest::Tabs() const {
    return window_->findChild<QTabBar*>();
}

QPushButton* WavPressWindowTest::ConvertButton() const {
    return window_->findChild<QPushButton*>(QStringLiteral("convertButton"));
}

QPushButton* WavPressWindowTest::ExitButton() const {
    return window_->findChild<QPushButton*>(QStringLiteral("exitButton"));
}

std::string WavPressWindowTest::Wave(const std::string& name, std::uint16_t channels,
                                     std::uint32_t rate) {
    testsupport::WaveHeader header;
    header.channels = channels;
    header.blockAlign = static_cast<std::uint16_t>(2 * channels);
    header.sampleRate = rate;
    const std::string path = inputFolder.File(name);
    EXPECT_TRUE(testsupport::WriteWave(path, header, std::vector<std::int16_t>(64 * channels)));
    return path;
}

QMenu* WavPressWindowTest::OpenContextMenu(int row) {
    QWidget* viewport = List()->viewport();
    const QPoint at = row >= 0 ? CellCenter(row, kColumnName) : QPoint(20, viewport->height() - 5);
    QTest::mouseClick(viewport, Qt::RightButton, {}, at);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &event);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

void WavPressWindowTest::Choose(QMenu* menu, const char* text) {
    const QList<QAction*> actions = menu->actions();
    const auto found = std::find_if(actions.begin(), actions.end(), [text](QAction* action) {
        return action->text() == ToQString(text);
    });
    ASSERT_NE(found, actions.end()) << text;
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(*found).center());
}

void WavPressWindowTest::Add(const std::vector<std::string>& paths) {
    answer.clear();
    for (const std::string& path : paths) {
        answer.append(ToQString(path));
    }
    QMenu* menu = OpenContextMenu(-1);
    ASSERT_NE(menu, nullptr);
    Choose(menu, CWavPressDlg::kAddItem);
}

QPoint WavPressWindowTest::CellCenter(int row, int column) const {
    const QModelIndex index = List()->model()->index(row, column);
    return List()->visualRect(index).center();
}

void WavPressWindowTest::ClickRow(int row, Qt::KeyboardModifiers modifiers) {
    const QRect inView =
        List()->visualItemRect(List()->topLevelItem(row)) & List()->viewport()->rect();
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, modifiers, inView.center());
}

void WavPressWindowTest::DoubleClickCell(int row, int column) {
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, CellCenter(row, column));
}

void WavPressWindowTest::WhenModalOpens(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, window_.get(), [action = std::move(action)] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        action(modal);
    });
}

void WavPressWindowTest::Type(QWidget* control, const QString& text) {
    for (const uint codePoint : text.toUcs4()) {
        const QString character =
            QString::fromUcs4(reinterpret_cast<const char32_t*>(&codePoint), 1);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, character);
        QApplication::sendEvent(control, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, character);
        QApplication::sendEvent(control, &release);
    }
}

QWidget* WavPressWindowTest::VisibleEditor() const {
    for (QWidget* child : List()->viewport()->findChildren<QWidget*>()) {
        if (child->isVisible() && child->parentWidget() == List()->viewport()) {
            return child;
        }
    }
    return nullptr;
}

QString WavPressWindowTest::Cell(int row, int column) const {
    return List()->topLevelItem(row)->text(column);
}
