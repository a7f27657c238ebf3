// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>

#include <cstddef>

class ByteLimitValidator;

/// A single-line edit box for an ID3v1 field: what the user types, pastes, drops or composes
/// with an input method is held to the field's width in code page 932 bytes (a Japanese
/// character counts two). An insertion that does not fit is cut between characters; one of
/// which not even the first character fits is refused. With digitsOnly, an insertion holding
/// anything but the digits 0-9 is refused.
class ByteLimitEdit : public QLineEdit {
    Q_OBJECT
public:
    ByteLimitEdit(std::size_t byteLimit, bool digitsOnly, QWidget* parent = nullptr);

    /// Shows a text as it is, whatever its width or characters: the limits hold for what the
    /// user puts in, not for what the program shows.
    void SetText(const QString& text);

    std::size_t ByteLimit() const { return byteLimit_; }

private:
    std::size_t byteLimit_;
    ByteLimitValidator* validator_;
};
