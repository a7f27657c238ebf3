// SPDX-License-Identifier: GPL-3.0-or-later
#include "RefusedFiles.h"

#include "platform/Format.h"
#include "platform/Paths.h"

#include <string_view>
#include <utility>

void RefusedFiles::Add(const std::string& path, const char* reason) {
    files_.push_back({path, reason});
}

std::string RefusedFiles::Summary() const {
    std::vector<std::pair<std::string_view, std::size_t>> reasons;
    for (const Refused& file : files_) {
        auto found = reasons.begin();
        while (found != reasons.end() && found->first != file.Reason) {
            ++found;
        }
        if (found == reasons.end()) {
            reasons.emplace_back(file.Reason, 1);
        } else {
            ++found->second;
        }
    }
    std::string listed;
    for (const auto& [reason, count] : reasons) {
        if (!listed.empty()) {
            listed += kReasonSeparator;
        }
        listed += platform::Format(kReasonCountFormat, std::string(reason).c_str(), count);
    }
    return platform::Format(kSummaryFormat, files_.size(), listed.c_str());
}

std::string RefusedFiles::Details() const {
    std::string text;
    for (std::size_t at = 0; at < files_.size() && at < kDetailsNamed; ++at) {
        if (!text.empty()) {
            text += '\n';
        }
        // A folder given with its trailing separator is named too.
        std::string_view path = files_[at].Path;
        while (path.size() > 1 && path.back() == '/') {
            path.remove_suffix(1);
        }
        const std::string name(platform::NameOf(path));
        text += platform::Format(kDetailFormat, name.c_str(), files_[at].Reason);
    }
    if (files_.size() > kDetailsNamed) {
        text += '\n' + platform::Format(kMoreFormat, files_.size() - kDetailsNamed);
    }
    return text;
}
