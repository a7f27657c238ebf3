// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

class QComboBox;
class QString;

/// The decimal number a list item's text begins with ("128Kbps" → 128), 0 when it begins with
/// no digit ("AUTO", "Default").
std::int64_t LeadingNumber(const QString& text);

/// The first item of the list whose leading number is value, or -1. An item is matched by its
/// whole leading number, so 32 finds "32Kbps" and never "320Kbps".
int FirstItemWithNumber(const QComboBox& list, std::int64_t value);
