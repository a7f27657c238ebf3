// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ByteLimitEdit.h"

#include "platform/CodePage.h"
#include "ui/QtText.h"

#include <QValidator>

#include <algorithm>

namespace {

std::size_t Cp932Width(const QString& text) {
    return platform::Utf8ToCp932(ToUtf8(text)).size();
}

bool IsDigits(const QString& text) {
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

} // namespace

/// Judges every change of the box against the text it had before the change, so that only
/// the inserted part is held to the limits; deleting is always allowed.
class ByteLimitValidator : public QValidator {
public:
    ByteLimitValidator(QLineEdit* edit, std::size_t byteLimit, bool digitsOnly)
        : QValidator(edit), byteLimit_(byteLimit), digitsOnly_(digitsOnly) {
        connect(edit, &QLineEdit::textChanged, this,
                [this](const QString& text) { before_ = text; });
    }

    /// While set, the box takes any text as it is.
    void SetTrusting(bool trusting) { trusting_ = trusting; }

    State validate(QString& input, int& pos) const override {
        if (trusting_ || input == before_) {
            return Acceptable;
        }
        const qsizetype common = std::min(before_.size(), input.size());
        qsizetype head = 0;
        while (head < common && before_[head] == input[head]) {
            ++head;
        }
        qsizetype tail = 0;
        while (tail < common - head &&
               before_[before_.size() - 1 - tail] == input[input.size() - 1 - tail]) {
            ++tail;
        }
        // A character outside the basic plane stays whole on either side of the insertion.
        if (head > 0 && input[head - 1].isHighSurrogate()) {
            --head;
        }
        if (tail > 0 && input[input.size() - tail].isLowSurrogate()) {
            --tail;
        }
        const QString inserted = input.mid(head, input.size() - head - tail);
        if (inserted.isEmpty()) {
            return Acceptable;
        }
        if (digitsOnly_ && !IsDigits(inserted)) {
            return Invalid;
        }
        if (Cp932Width(input) <= byteLimit_) {
            return Acceptable;
        }
        const QString kept = input.left(head) + input.right(tail);
        const std::size_t keptWidth = Cp932Width(kept);
        const std::size_t room = keptWidth < byteLimit_ ? byteLimit_ - keptWidth : 0;
        const std::string insertedUtf8 = ToUtf8(inserted);
        const QString fitting = ToQString(platform::CutUtf8ToCp932Width(insertedUtf8, room));
        if (fitting.isEmpty()) {
            return Invalid;
        }
        input = input.left(head) + fitting + input.right(tail);
        pos = static_cast<int>(head + fitting.size());
        return Acceptable;
    }

private:
    std::size_t byteLimit_;
    bool digitsOnly_;
    QString before_;
    bool trusting_ = false;
};

ByteLimitEdit::ByteLimitEdit(std::size_t byteLimit, bool digitsOnly, QWidget* parent)
    : QLineEdit(parent), byteLimit_(byteLimit),
      validator_(new ByteLimitValidator(this, byteLimit, digitsOnly)) {
    setValidator(validator_);
}

void ByteLimitEdit::SetText(const QString& text) {
    validator_->SetTrusting(true);
    setText(text);
    validator_->SetTrusting(false);
}
