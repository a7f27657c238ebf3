// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/MessageBox.h"

#include <string>

/// Messages both encoding jobs show (title, then texts; %s is the path named).
inline constexpr const char* kJobErrorTitle = "エラー";

inline constexpr const char* kOutputOpenFailed =
    "出力ファイル(%s)のオープンに失敗しました\n他のソフトで使用されている可能性がありますので\n"
    "他のソフトを終了してから再度変換ボタンのクリックを\nお願いいたします";

inline constexpr const char* kOutputWriteFailed =
    "出力ファイル(%s)"
    "への書込みに失敗しました\nディスクの空き容量が不足している可能性がありますので\n"
    "空き容量をご確認の上再度変換ボタンのクリックを\nお願いいたします";

/// %s: the output path, then the input path.
inline constexpr const char* kOutputIsInput =
    "出力ファイル(%s)は入力ファイル(%s)と同じファイルです\n"
    "出力先のフォルダまたはファイル名を変更してから再度変換をお願いいたします";

inline constexpr const char* kInputReadFailed =
    "入力ファイル(%s)の読込に失敗しました\nファイルが移動または削除された可能性がありますので\n"
    "ご確認の上再度変換ボタンのクリックを\nお願いいたします";

/// Shows a job's failure: no owner, title "エラー", warning icon; systemError is the error number
/// of the failing call, when there was one.
inline void ShowJobError(const std::string& text, int systemError = 0) {
    platform::MessageBox::Show(text, kJobErrorTitle, platform::MessageIcon::Warning,
                               platform::MessageButtons::Ok, systemError);
}
