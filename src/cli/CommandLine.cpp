#include "CommandLine.h"

#include "platform/CodePage.h"
#include "platform/Format.h"
#include "tags/GenreNames.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string_view>

namespace {

enum class OptionId {
    Type,
    OutFolder,
    Preset,
    Overwrite,
    Quiet,
    Help,
    Version,
    Settings,
    Title,
    Artist,
    Album,
    Year,
    Comment,
    Genre,
};

struct OptionSpec {
    OptionId Id;
    char Short; ///< 0 for none
    const char* Long;
    bool TakesValue;
};

constexpr OptionSpec kOptions[] = {
    {OptionId::Type, 't', "type", true},        {OptionId::OutFolder, 'o', "out-folder", true},
    {OptionId::Preset, 'p', "preset", true},    {OptionId::Overwrite, 'y', "overwrite", false},
    {OptionId::Quiet, 'q', "quiet", false},     {OptionId::Help, 'h', "help", false},
    {OptionId::Version, 'V', "version", false}, {OptionId::Settings, 0, "settings", false},
    {OptionId::Title, 0, "title", true},        {OptionId::Artist, 0, "artist", true},
    {OptionId::Album, 0, "album", true},        {OptionId::Year, 0, "year", true},
    {OptionId::Comment, 0, "comment", true},    {OptionId::Genre, 0, "genre", true},
};

struct TagField {
    OptionId Id;
    FileColumn Column;
    std::size_t MaxBytes; ///< the ID3v1 field width, in code page 932 bytes
};

constexpr TagField kTagFields[] = {
    {OptionId::Title, kColumnTitle, 30},     {OptionId::Artist, kColumnArtist, 30},
    {OptionId::Album, kColumnAlbum, 30},     {OptionId::Year, kColumnYear, 4},
    {OptionId::Comment, kColumnComment, 30},
};

const OptionSpec* FindShort(char name) {
    for (const OptionSpec& spec : kOptions) {
        if (spec.Short == name) {
            return &spec;
        }
    }
    return nullptr;
}

const OptionSpec* FindLong(std::string_view name) {
    for (const OptionSpec& spec : kOptions) {
        if (name == spec.Long) {
            return &spec;
        }
    }
    return nullptr;
}

std::string OptionName(const OptionSpec& spec) {
    return std::string("--") + spec.Long;
}

bool ParseInt32(const std::string& text, std::int32_t& value) {
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < std::numeric_limits<std::int32_t>::min() ||
        parsed > std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    value = static_cast<std::int32_t>(parsed);
    return true;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

bool TakeOption(const OptionSpec& spec, const std::string& value, CliOptions& options,
                std::string& error, std::vector<std::string>& warnings) {
    switch (spec.Id) {
    case OptionId::Type: {
        const std::string kind = Lower(value);
        if (kind == "mp3") {
            options.EncodeType = kEncodeTypeMp3;
        } else if (kind == "ogg") {
            options.EncodeType = kEncodeTypeOgg;
        } else {
            error =
                platform::Format("--type は mp3 か ogg で指定してください: \"%s\"", value.c_str());
            return false;
        }
        return true;
    }
    case OptionId::OutFolder:
        if (std::error_code ignored;
            !value.empty() && !std::filesystem::is_directory(value, ignored)) {
            error = platform::Format("出力フォルダがありません: \"%s\"", value.c_str());
            return false;
        }
        options.OutFolder = value;
        return true;
    case OptionId::Preset: {
        std::int32_t preset = 0;
        if (!ParseInt32(value, preset)) {
            error = platform::Format("--preset は整数で指定してください: \"%s\"", value.c_str());
            return false;
        }
        options.Preset = preset;
        return true;
    }
    case OptionId::Overwrite:
        options.Overwrite = true;
        return true;
    case OptionId::Quiet:
        options.Quiet = true;
        return true;
    case OptionId::Help:
        options.Command = CliCommand::Help;
        return true;
    case OptionId::Version:
        options.Command = CliCommand::Version;
        return true;
    case OptionId::Settings:
        options.Command = CliCommand::ShowSettings;
        return true;
    case OptionId::Genre:
        if (!value.empty() && FindGenre(value) == NoGenre) {
            error = platform::Format("ジャンル \"%s\" は一覧にありません "
                                     "(大文字と小文字も一覧のとおりに指定してください)",
                                     value.c_str());
            return false;
        }
        options.Tags[kColumnGenre] = value;
        return true;
    case OptionId::Title:
    case OptionId::Artist:
    case OptionId::Album:
    case OptionId::Year:
    case OptionId::Comment:
        for (const TagField& field : kTagFields) {
            if (field.Id != spec.Id) {
                continue;
            }
            std::string text(platform::CutUtf8ToCp932Width(value, field.MaxBytes));
            if (text.size() != value.size()) {
                warnings.push_back(platform::Format("%s は %zu バイトまでのため \"%s\" にしました",
                                                    OptionName(spec).c_str(), field.MaxBytes,
                                                    text.c_str()));
            }
            options.Tags[field.Column] = std::move(text);
        }
        return true;
    }
    return true;
}

} // namespace

bool ParseCommandLine(int argc, char** argv, CliOptions& options, std::string& error,
                      std::vector<std::string>& warnings) {
    bool optionsEnded = false;
    for (int index = 1; index < argc; ++index) {
        const std::string argument = argv[index];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            options.Files.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const auto takeValue = [&](const OptionSpec& spec, std::string& value) {
            if (index + 1 >= argc) {
                error = platform::Format("%s には値が必要です", OptionName(spec).c_str());
                return false;
            }
            value = argv[++index];
            return true;
        };

        if (argument[1] == '-') {
            const std::size_t equals = argument.find('=');
            const std::string name =
                argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
            const OptionSpec* spec = FindLong(name);
            if (spec == nullptr) {
                error = platform::Format("不明なオプションです: %s", argument.c_str());
                return false;
            }
            std::string value;
            if (equals != std::string::npos) {
                if (!spec->TakesValue) {
                    error = platform::Format("%s は値をとりません", OptionName(*spec).c_str());
                    return false;
                }
                value = argument.substr(equals + 1);
            } else if (spec->TakesValue && !takeValue(*spec, value)) {
                return false;
            }
            if (!TakeOption(*spec, value, options, error, warnings)) {
                return false;
            }
            continue;
        }

        // A cluster of short options; one that takes a value takes the rest of the cluster or
        // the next argument.
        for (std::size_t at = 1; at < argument.size(); ++at) {
            const OptionSpec* spec = FindShort(argument[at]);
            if (spec == nullptr) {
                error = platform::Format("不明なオプションです: -%c", argument[at]);
                return false;
            }
            std::string value;
            if (spec->TakesValue) {
                if (at + 1 < argument.size()) {
                    value = argument.substr(at + 1);
                } else if (!takeValue(*spec, value)) {
                    return false;
                }
                at = argument.size();
            }
            if (!TakeOption(*spec, value, options, error, warnings)) {
                return false;
            }
        }
    }
    return true;
}

void ApplyOptions(const CliOptions& options, EncodeSettings& settings) {
    if (options.EncodeType) {
        settings.OutFolder.EncodeType = *options.EncodeType;
    }
    if (options.OutFolder) {
        settings.OutFolder.OutFolder = *options.OutFolder;
    }
    if (options.Preset) {
        settings.OutFolder.Preset = *options.Preset;
    }
    if (options.Overwrite) {
        settings.OutFolder.IdentityOutFile = 0;
    }
}

void ApplyTags(const CliOptions& options, FileRow& row) {
    for (std::size_t column = kColumnTitle; column <= kColumnGenre; ++column) {
        if (options.Tags[column]) {
            row[column] = *options.Tags[column];
        }
    }
}

std::string UsageText() {
    return "使い方: wavpress-cli [オプション] ファイル.wav…\n"
           "\n"
           "WAVE ファイル (16bit ステレオ 32000/44100/48000Hz) を MP3 または Ogg Vorbis に\n"
           "変換します。設定はこのプログラムと同じフォルダの opt.ini と preset.ini から読み\n"
           "込み、書き換えません。オプションはこの実行に限り設定に優先します。\n"
           "\n"
           "  -t, --type mp3|ogg     エンコーダの種類\n"
           "  -o, --out-folder DIR   出力フォルダ\n"
           "  -p, --preset N         MP3 のプリセット番号 (0 はプリセットを使わない)\n"
           "  -y, --overwrite        既存の出力ファイルを確認せずに上書きする\n"
           "      --title TEXT       タイトル (30 バイトまで、全角文字は 2 バイト)\n"
           "      --artist TEXT      アーティスト (30 バイトまで)\n"
           "      --album TEXT       アルバムタイトル (30 バイトまで)\n"
           "      --year TEXT        年 (4 バイトまで)\n"
           "      --comment TEXT     コメント (30 バイトまで)\n"
           "      --genre NAME       ジャンル (一覧の名前のとおりに)\n"
           "      --settings         オプションを反映した設定を opt.ini と preset.ini の\n"
           "                         形式で標準出力に書いて終了する\n"
           "  -q, --quiet            進行状況と結果一覧を表示しない\n"
           "  -h, --help             この説明を表示して終了する\n"
           "  -V, --version          バージョンを表示して終了する\n"
           "\n"
           "タグはすべてのファイルに付けます。変換中の Ctrl-C は現在のファイルを取り消し、\n"
           "2 秒以内にもう一度押すと残りもすべて取り消します。\n"
           "\n"
           "終了コード: 0 すべて変換した, 1 変換しなかったファイルがある,\n"
           "            2 使い方の誤りまたは変換を開始できない設定\n";
}
