// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DropDownAccessible.h"

#include <QApplication>

#include <gtest/gtest.h>

// Every widget test shares one application; without a display it runs offscreen.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // As the program does.
    DropDownAccessible::Install();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
