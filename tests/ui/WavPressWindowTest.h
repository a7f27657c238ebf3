// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/TempDir.h"
#include "ui/CListEditCtrl.h"
#include "ui/CWavPressDlg.h"

#include <QPoint>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMenu;
class QPushButton;
class QTabBar;

/// The main window on a settings folder of its own, shown and active, with its file dialog
/// answered from the test.
class WavPressWindowTest : public ::testing::Test {
protected:
    WavPressWindowTest();
    ~WavPressWindowTest() override;

    CWavPressDlg& Window() { return *window_; }
    CListEditCtrl* List() const;
    QTabBar* Tabs() const;
    QPushButton* ConvertButton() const;
    QPushButton* ExitButton() const;

    /// A WAVE file in the test's input folder.
    std::string Wave(const std::string& name, std::uint16_t channels = 2,
                     std::uint32_t rate = 44100);

    /// What the next file dialogs answer; each question's "several" is recorded.
    QStringList answer;
    std::vector<bool> askedSeveral;

    /// Right click on a row (-1: below the last row) and the menu it opens.
    QMenu* OpenContextMenu(int row);
    /// Clicks a menu item by its text (it must be there).
    void Choose(QMenu* menu, const char* text);
    /// "項目の追加" with the dialog answering paths.
    void Add(const std::vector<std::string>& paths);

    QPoint CellCenter(int row, int column) const;
    /// Clicks the middle of the part of a row that is in view.
    void ClickRow(int row, Qt::KeyboardModifiers modifiers = {});
    void DoubleClickCell(int row, int column);
    /// Runs once the next modal window is open (a dialog started from a menu item).
    void WhenModalOpens(std::function<void(QWidget*)> action);

    /// Types text into a control, one key press per character, as a keyboard or an input
    /// method without composition would deliver it.
    static void Type(QWidget* control, const QString& text);

    /// The in-place editor that is shown, or nullptr.
    QWidget* VisibleEditor() const;
    QString Cell(int row, int column) const;

    testsupport::TempDir settingsFolder;
    testsupport::TempDir inputFolder;

private:
    std::unique_ptr<CWavPressDlg> window_;
};
