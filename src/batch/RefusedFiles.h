// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <vector>

/// The files one adding (a choice, a drop, the command line) did not take, each with its reason
/// (an OutcomeText text), and how the main window words them.
class RefusedFiles {
public:
    static constexpr const char* kSummaryFormat = "追加しなかったファイル %zu 個: %s";
    static constexpr const char* kReasonCountFormat = "%s (%zu)";
    static constexpr const char* kReasonSeparator = "、";
    static constexpr const char* kDetailFormat = "%s: %s";
    static constexpr const char* kMoreFormat = "ほか %zu 個";
    /// The most files the details name one by one.
    static constexpr std::size_t kDetailsNamed = 20;

    void Add(const std::string& path, const char* reason);
    bool Empty() const { return files_.empty(); }
    std::size_t Count() const { return files_.size(); }

    /// One line: how many, and each reason with its count, in the order first met.
    std::string Summary() const;
    /// A line per file, "name: reason", the first kDetailsNamed of them, then how many more.
    std::string Details() const;

private:
    struct Refused {
        std::string Path;
        const char* Reason;
    };
    std::vector<Refused> files_;
};
