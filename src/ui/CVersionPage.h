// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

/// The page "バージョン情報": the program's, the MP3 engine's and the Ogg Vorbis encoder's
/// versions, composed once when the page is created.
class CVersionPage : public QWidget {
    Q_OBJECT
public:
    explicit CVersionPage(QWidget* parent = nullptr);
};
