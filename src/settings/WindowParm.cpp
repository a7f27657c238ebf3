// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowParm.h"

#include "IniValues.h"

std::vector<std::int32_t> ParseColumnWidths(std::string_view text) {
    std::vector<std::int32_t> widths;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view field = text.substr(0, comma);
        const bool digits = !field.empty() && field.size() <= 5 &&
                            field.find_first_not_of("0123456789") == std::string_view::npos;
        const std::int32_t width = digits ? ParseIniInt(field) : 0;
        if (width < 1 || width > kWindowExtentLimit) {
            return {};
        }
        widths.push_back(width);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    }
    return widths;
}

std::string FormatColumnWidths(const std::vector<std::int32_t>& widths) {
    std::string text;
    for (const std::int32_t width : widths) {
        text += (text.empty() ? "" : ",") + std::to_string(width);
    }
    return text;
}
