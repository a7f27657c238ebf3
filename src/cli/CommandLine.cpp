// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include "platform/CodePage.h"
#include "platform/Format.h"
#include "tags/GenreNames.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <getopt.h>
#include <limits>
#include <string_view>
#include <unistd.h>

namespace {

// The codes getopt_long returns: the short option's letter, or a number past every letter for
// an option that has only a long name.
enum OptionId : int {
    Type = 't',
    OutFolder = 'o',
    Layout = 'l',
    Preset = 'p',
    Overwrite = 'y',
    Quiet = 'q',
    Jobs = 'j',
    Help = 'h',
    Version = 'V',
    Settings = 256,
    Title,
    Artist,
    Album,
    Year,
    Comment,
    Genre,
    NoId3v2,
    NoWaveTags,
    ReplayGain,
    NoReplayGain,
};

// A leading '-' hands over every file name in its place, so that options after file names
// work even with POSIXLY_CORRECT set; ':' tells a missing value from an unknown option.
constexpr const char* kShortOptions = "-:t:o:l:p:j:yqhV";

constexpr option kLongOptions[] = {
    {"type", required_argument, nullptr, Type},
    {"out-folder", required_argument, nullptr, OutFolder},
    {"layout", required_argument, nullptr, Layout},
    {"preset", required_argument, nullptr, Preset},
    {"overwrite", no_argument, nullptr, Overwrite},
    {"quiet", no_argument, nullptr, Quiet},
    {"jobs", required_argument, nullptr, Jobs},
    {"help", no_argument, nullptr, Help},
    {"version", no_argument, nullptr, Version},
    {"settings", no_argument, nullptr, Settings},
    {"title", required_argument, nullptr, Title},
    {"artist", required_argument, nullptr, Artist},
    {"album", required_argument, nullptr, Album},
    {"year", required_argument, nullptr, Year},
    {"comment", required_argument, nullptr, Comment},
    {"genre", required_argument, nullptr, Genre},
    {"no-id3v2", no_argument, nullptr, NoId3v2},
    {"no-wave-tags", no_argument, nullptr, NoWaveTags},
    {"replaygain", no_argument, nullptr, ReplayGain},
    {"no-replaygain", no_argument, nullptr, NoReplayGain},
    {nullptr, 0, nullptr, 0},
};

struct TagField {
    OptionId Id;
    FileColumn Column;
};

constexpr TagField kTagFields[] = {
    {OptionId::Title, kColumnTitle},     {OptionId::Artist, kColumnArtist},
    {OptionId::Album, kColumnAlbum},     {OptionId::Year, kColumnYear},
    {OptionId::Comment, kColumnComment},
};

const option* FindOption(int id) {
    for (const option& spec : kLongOptions) {
        if (spec.name != nullptr && spec.val == id) {
            return &spec;
        }
    }
    return nullptr;
}

std::string OptionName(int id) {
    const option* spec = FindOption(id);
    return spec != nullptr ? std::string("--") + spec->name : std::string();
}

// The long options an abbreviation could stand for (its one option when it is unambiguous).
std::vector<std::string> LongOptionsFor(std::string_view argument) {
    if (!argument.starts_with("--")) {
        return {};
    }
    std::string_view name = argument.substr(2);
    name = name.substr(0, name.find('='));
    std::vector<std::string> found;
    for (const option& spec : kLongOptions) {
        if (spec.name != nullptr && std::string_view(spec.name).starts_with(name)) {
            if (name == spec.name) {
                return {spec.name};
            }
            found.push_back(std::string("--") + spec.name);
        }
    }
    return found;
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

bool TakeOption(OptionId id, const std::string& value, CliOptions& options, std::string& error,
                std::vector<std::string>& warnings) {
    switch (id) {
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
    case OptionId::Layout: {
        const std::string layout = Lower(value);
        if (layout == "flat") {
            options.OutputLayout = kOutputLayoutFlat;
        } else if (layout == "tree") {
            options.OutputLayout = kOutputLayoutTree;
        } else if (layout == "beside") {
            options.OutputLayout = kOutputLayoutBeside;
        } else {
            error = platform::Format(
                "--layout は flat か tree か beside で指定してください: \"%s\"", value.c_str());
            return false;
        }
        return true;
    }
    case OptionId::Preset: {
        std::int32_t preset = 0;
        if (!ParseInt32(value, preset)) {
            error = platform::Format("--preset は整数で指定してください: \"%s\"", value.c_str());
            return false;
        }
        options.Preset = preset;
        return true;
    }
    case OptionId::Jobs: {
        std::int32_t jobs = 0;
        if (!ParseInt32(value, jobs) || jobs < 1 || jobs > kMaxJobs) {
            error = platform::Format("--jobs は 1 から %d までの整数で指定してください: \"%s\"",
                                     kMaxJobs, value.c_str());
            return false;
        }
        options.Jobs = jobs;
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
    case OptionId::NoId3v2:
        options.NoId3v2 = true;
        return true;
    case OptionId::NoWaveTags:
        options.NoWaveTags = true;
        return true;
    case OptionId::ReplayGain:
        options.ReplayGain = 1;
        return true;
    case OptionId::NoReplayGain:
        options.ReplayGain = 0;
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
            if (field.Id != id) {
                continue;
            }
            const std::size_t width = TagTextWidth(field.Column);
            std::string text(platform::CutUtf8ToCp932Width(value, width));
            if (text.size() != value.size()) {
                warnings.push_back(platform::Format("%s は %zu バイトまでのため \"%s\" にしました",
                                                    OptionName(id).c_str(), width, text.c_str()));
            }
            options.Tags[field.Column] = std::move(text);
        }
        return true;
    }
    return true;
}

} // namespace

int DefaultJobs() {
    const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    return online < 1 ? 1 : static_cast<int>(std::min<long>(online, kMaxJobs));
}

bool ParseCommandLine(int argc, char** argv, CliOptions& options, std::string& error,
                      std::vector<std::string>& warnings) {
    // The messages are ours, and a new scan starts from the first argument.
    opterr = 0;
    optind = 0;
    for (;;) {
        const int id = getopt_long(argc, argv, kShortOptions, kLongOptions, nullptr);
        if (id == -1) {
            break;
        }
        if (id == 1) {
            options.Files.emplace_back(optarg);
            continue;
        }
        if (id == ':') {
            error = platform::Format("%s には値が必要です", OptionName(optopt).c_str());
            return false;
        }
        if (id == '?') {
            const std::string argument = argv[optind - 1];
            if (optopt != 0 && FindOption(optopt) != nullptr) {
                error = platform::Format("%s は値をとりません", OptionName(optopt).c_str());
            } else if (optopt != 0) {
                error = platform::Format("不明なオプションです: -%c", optopt);
            } else if (const std::vector<std::string> candidates = LongOptionsFor(argument);
                       candidates.size() > 1) {
                std::string names;
                for (const std::string& name : candidates) {
                    names += (names.empty() ? "" : ", ") + name;
                }
                error = platform::Format("あいまいなオプションです: %s (%s)", argument.c_str(),
                                         names.c_str());
            } else {
                error = platform::Format("不明なオプションです: %s", argument.c_str());
            }
            return false;
        }
        if (!TakeOption(static_cast<OptionId>(id), optarg != nullptr ? optarg : "", options, error,
                        warnings)) {
            return false;
        }
    }
    // What follows "--" is file names only.
    for (int index = optind; index < argc; ++index) {
        options.Files.emplace_back(argv[index]);
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
    if (options.OutputLayout) {
        settings.OutFolder.OutputLayout = *options.OutputLayout;
    }
    if (options.ReplayGain) {
        settings.OutFolder.ReplayGain = *options.ReplayGain;
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
    return "使い方: wavpress-cli [オプション] ファイル.wav|フォルダ…\n"
           "\n"
           "WAVE ファイル (PCM/浮動小数点 1～8ch 8000～192000Hz) を MP3 または Ogg Vorbis に\n"
           "変換します。設定は末尾に示す設定フォルダの opt.ini と preset.ini から読み込み、\n"
           "書き換えません。オプションはこの実行に限り設定に優先します。\n"
           "\n"
           "  -t, --type mp3|ogg     エンコーダの種類\n"
           "  -o, --out-folder DIR   出力フォルダ\n"
           "  -l, --layout flat|tree|beside\n"
           "                         出力先: flat は出力フォルダに全て、tree は指定した\n"
           "                         フォルダの構成のまま出力フォルダの下に、beside は\n"
           "                         入力ファイルと同じフォルダに\n"
           "  -p, --preset N         MP3 のプリセット番号 (0 はプリセットを使わない)\n"
           "  -y, --overwrite        既存の出力ファイルを確認せずに上書きする\n"
           "  -j, --jobs N           同時に変換するファイルの数 (1～256、既定はCPUの数)\n"
           "      --title TEXT       タイトル (500 バイトまで、全角文字は 2 バイト。\n"
           "                         ID3v1 タグには先頭の 30 バイトだけが入る)\n"
           "      --artist TEXT      アーティスト (500 バイトまで)\n"
           "      --album TEXT       アルバムタイトル (500 バイトまで)\n"
           "      --year TEXT        年 (4 バイトまで)\n"
           "      --comment TEXT     コメント (500 バイトまで)\n"
           "      --genre NAME       ジャンル (一覧の名前のとおりに)\n"
           "      --no-id3v2         MP3 に ID3v2 タグを付けず、末尾の ID3v1 タグだけにする\n"
           "      --no-wave-tags     WAVE ファイル自身のタグ (ID3v2、LIST/INFO) を読まない\n"
           "      --replaygain       変換しながら音量を測り、リプレイゲインの値をタグに書き込む\n"
           "      --no-replaygain    リプレイゲインの値を書き込まない\n"
           "      --settings         オプションを反映した設定を opt.ini と preset.ini の\n"
           "                         形式で標準出力に書いて終了する\n"
           "  -q, --quiet            進行状況と結果一覧を表示しない\n"
           "  -h, --help             この説明を表示して終了する\n"
           "  -V, --version          バージョンを表示して終了する\n"
           "\n"
           "長いオプションは、ほかと区別できる長さまで省略できます (--over は --overwrite)。\n"
           "\n"
           "MP3 のタグは先頭の ID3v2.3 タグ (UTF-16) と末尾の ID3v1 タグ (シフト JIS) です。\n"
           "\n"
           "ファイルは -j の数まで同時に変換します。上書きの確認はファイルの順に 1 つずつ\n"
           "たずね、その間も変換中のファイルは進みます。a と答えると以降の既存の出力ファイルを\n"
           "すべて上書きし、s と答えるとすべてスキップします。同じ出力ファイルに書くファイルが\n"
           "同時に変換されることはありません。\n"
           "\n"
           "フォルダを指定すると、その中とサブフォルダの .wav ファイル (拡張子の大文字と小文字は\n"
           "問わない) を、フォルダごとに名前の順に変換します。オプションで指定しないタグは\n"
           "WAVE ファイル自身のタグ (ID3v2、LIST/INFO) から取ります (--no-wave-tags で読まない)。\n"
           "-l tree では、指定したフォルダの名前のフォルダを出力フォルダの下に作り、その中に\n"
           "サブフォルダの構成のまま出力します (ファイルを直接指定したときは出力フォルダに)。\n"
           "出力先のフォルダは出力ファイルを書くときに作り、書けなかったときは消します。\n"
           "\n"
           "タグはすべてのファイルに付けます。変換中の Ctrl-C はそのとき変換中のファイルを\n"
           "取り消し、2 秒以内にもう一度押すと残りもすべて取り消します。上書きの確認や新しい\n"
           "名前をたずねているときの Ctrl-C は、そのファイルだけをスキップします。\n"
           "SIGTERM と SIGHUP (端末やセッションが閉じたとき) は残りをすべて取り消します。\n"
           "すべて取り消した後の Ctrl-C と 2 度目の SIGTERM / SIGHUP では、変換の終わりを\n"
           "待たずに書きかけの出力ファイルを消してただちに終了します。\n"
           "\n"
           "終了コード: 0 すべて変換した,\n"
           "            1 変換しなかったファイルがある (この説明などを書けなかったときも),\n"
           "            2 使い方の誤りまたは変換を開始できない設定\n";
}
