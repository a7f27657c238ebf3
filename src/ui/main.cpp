// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CWavPressApp.h"

int main(int argc, char** argv) {
    CWavPressApp app(argc, argv);
    return app.Run();
}
