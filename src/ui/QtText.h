#pragma once

#include <QString>

#include <string>
#include <string_view>

/// The one crossing between the core's UTF-8 texts and Qt's strings.
QString ToQString(std::string_view utf8);
std::string ToUtf8(const QString& text);
