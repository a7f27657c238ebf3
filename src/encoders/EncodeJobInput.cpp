// SPDX-License-Identifier: GPL-3.0-or-later
#include "EncodeJobInput.h"

std::shared_ptr<const std::vector<BatchInput>>
IdentifyInputs(const std::vector<std::string>& paths) {
    auto inputs = std::make_shared<std::vector<BatchInput>>();
    inputs->reserve(paths.size());
    for (const std::string& path : paths) {
        if (const auto identity = platform::IdentifyFile(path)) {
            inputs->push_back({path, *identity});
        }
    }
    return inputs;
}
