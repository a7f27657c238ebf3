// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ListNumbers.h"

#include <QComboBox>
#include <QString>

#include <limits>

std::int64_t LeadingNumber(const QString& text) {
    constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max() / 10 - 9;
    std::int64_t number = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9') || number > kLimit) {
            break;
        }
        number = number * 10 + (c.unicode() - u'0');
    }
    return number;
}

int FirstItemWithNumber(const QComboBox& list, std::int64_t value) {
    for (int i = 0; i < list.count(); ++i) {
        if (LeadingNumber(list.itemText(i)) == value) {
            return i;
        }
    }
    return -1;
}
