// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

/// The program's icon, drawn from its SVG at the sizes window systems ask for.
QIcon ProgramIcon();
