// The seven dialog templates as the DLL carries them: every control with its
// identifier, kind (class and style), position and size in dialog units and
// its text, byte for byte in Shift-JIS, in template (tab) order; and each
// template's style, size, caption and font. Read straight from the loaded
// DLL's resources, so the resource compiler's handling of the script is
// checked too.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "dialog_texts.h"

namespace {

using dialog_test::Lumotext;

enum Kind {
    kCheckBox,
    kRadio,
    kRadioGroupStart,
    kGroupBox,
    kLabel,
    kEdit,
    kScrollingEdit,
    kNumberEdit,
    kReadOnlyNumberEdit,
    kPushButton,
    kDefPushButton,
};

struct Box {
    short x, y, cx, cy;
};

struct Control {
    int id;
    Kind kind;
    Box box;
    const char *text;  // Shift-JIS
};

struct ExpectedTemplate {
    const char *name;
    short height;  // every template is 212 units wide
    const char *caption;
    const Control *controls;
    size_t count;
};

const Control kIndentDlgControls[] = {
    {101, kCheckBox, {12, 11, 65, 10}, "\x83" "C\x83\x93\x83" "f\x83\x93\x83g\x82\xB7\x82\xE9(&I)"},  // インデントする(&I)
    {102, kCheckBox, {12, 24, 58, 10}, "\x92i\x97\x8E\x83\x82\x81[\x83h(&J)"},  // 段落モード(&J)
    {103, kCheckBox, {70, 24, 110, 10}, "\x92i\x97\x8E\x83\x82\x81[\x83h\x82\xCD\x91S\x8Ap\x83X\x83y\x81[\x83X\x82\xC5(&Z)"},  // 段落モードは全角スペースで(&Z)
    {106, kRadioGroupStart, {12, 37, 68, 10}, "\x89\xD3\x8F\xF0\x8F\x91\x82\xAB\x83\x82\x81[\x83h(&T)"},  // 箇条書きモード(&T)
    {107, kRadio, {80, 37, 68, 10}, "\x83V\x83i\x83\x8A\x83I\x83\x82\x81[\x83h(&S)"},  // シナリオモード(&S)
    {108, kRadio, {148, 37, 44, 10}, "\x97\xBC\x95\xFB\x82\xC8\x82\xB5(&N)"},  // 両方なし(&N)
    {-1, kGroupBox, {12, 50, 188, 24}, "\x92P\x93\xC6\x89\xD3\x8F\xF0\x8F\x91\x82\xAB\x95\xB6\x8E\x9A\x82\xF0\x8Ew\x92\xE8\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2(&K)"},  // 単独箇条書き文字を指定してください(&K)
    {110, kScrollingEdit, {16, 61, 180, 10}, ""},
    {-1, kGroupBox, {12, 77, 188, 24}, "\x95\xA1\x8D\x87\x89\xD3\x8F\xF0\x8F\x91\x82\xAB\x95\xB6\x8E\x9A\x82\xF0\x8Ew\x92\xE8\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2(&L)"},  // 複合箇条書き文字を指定してください(&L)
    {111, kScrollingEdit, {16, 88, 180, 10}, ""},
    {-1, kGroupBox, {12, 104, 188, 24}, "\x89\xD3\x8F\xF0\x8F\x91\x82\xAB\x8B\xE6\x90\xD8\x82\xE8\x95\xB6\x8E\x9A\x82\xF0\x8Ew\x92\xE8\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2(&M)"},  // 箇条書き区切り文字を指定してください(&M)
    {112, kScrollingEdit, {16, 115, 180, 10}, ""},
    {115, kCheckBox, {12, 131, 132, 10}, "\x8B\xE6\x90\xD8\x82\xE8\x95\xB6\x8E\x9A+\x83X\x83y\x81[\x83X\x82\xC5\x8B\xE6\x90\xD8\x82\xE8(&P)"},  // 区切り文字+スペースで区切り(&P)
    {116, kCheckBox, {12, 144, 140, 10}, "\x89\xD3\x8F\xF0\x8F\x91\x82\xAB\x82\xC5\x82\xCD\x92i\x97\x8E\x83\x82\x81[\x83h\x82\xC9\x82\xB5\x82\xC8\x82\xA2(&W)"},  // 箇条書きでは段落モードにしない(&W)
    {120, kCheckBox, {12, 157, 56, 10}, "\x88\xF8\x97p\x95\x84\x91\xCE\x89\x9E(&Q)"},  // 引用符対応(&Q)
    {-1, kLabel, {76, 157, 32, 8}, "\x88\xF8\x97p\x95\x84(&U)"},  // 引用符(&U)
    {121, kScrollingEdit, {108, 156, 92, 10}, ""},
    {125, kCheckBox, {12, 170, 56, 10}, "\x8B\xAD\x92\xB2\x95\x84\x91\xCE\x89\x9E(&E)"},  // 強調符対応(&E)
    {-1, kLabel, {76, 170, 32, 8}, "\x8B\xAD\x92\xB2\x95\x84(&V)"},  // 強調符(&V)
    {126, kScrollingEdit, {108, 169, 92, 10}, ""},
    {130, kCheckBox, {12, 182, 60, 10}, "\x96\xBC\x91O\x95t\x82\xAB\x88\xF8\x97p(&A)"},  // 名前付き引用(&A)
    {131, kCheckBox, {80, 182, 84, 10}, "\x88\xF8\x97p\x8Ds\x82\xCD\x90\xAE\x8C`\x82\xB5\x82\xC8\x82\xA2(&C)"},  // 引用行は整形しない(&C)
};

const Control kManualIndentDlgControls[] = {
    {200, kCheckBox, {12, 11, 110, 10}, "\x83" "C\x83\x93\x83" "f\x83\x93\x83g\x88\xCA\x92u\x82\xF0\x8C\x85\x90\x94\x82\xC5\x8C\xC5\x92\xE8(&F)"},  // インデント位置を桁数で固定(&F)
    {-1, kLabel, {122, 12, 28, 8}, "\x8C\x85\x90\x94(&C)"},  // 桁数(&C)
    {210, kNumberEdit, {150, 11, 28, 10}, ""},
    {-1, kGroupBox, {12, 26, 166, 24}, "\x83" "C\x83\x93\x83" "f\x83\x93\x83g\x82\xF0\x96\x84\x82\xDF\x82\xE9\x95\xB6\x8E\x9A\x82\xCD"},  // インデントを埋める文字は
    {221, kRadio, {16, 36, 44, 10}, "\x8C\xB3\x95\xB6\x8E\x9A(&O)"},  // 元文字(&O)
    {222, kRadio, {65, 36, 52, 10}, "\x91S\x8Ap\x8B\xF3\x94\x92(&D)"},  // 全角空白(&D)
    {223, kRadio, {122, 36, 52, 10}, "\x94\xBC\x8Ap\x8B\xF3\x94\x92(&S)"},  // 半角空白(&S)
    {225, kCheckBox, {12, 57, 110, 10}, "\x83" "C\x83\x93\x83" "f\x83\x93\x83g\x95\xB6\x8E\x9A\x97\xF1\x82\xF0\x8Eg\x97p\x82\xB7\x82\xE9(&S)"},  // インデント文字列を使用する(&S)
    {-1, kGroupBox, {12, 73, 188, 84}, "\x83" "C\x83\x93\x83" "f\x83\x93\x83g\x95\xB6\x8E\x9A\x97\xF1"},  // インデント文字列
    {-1, kLabel, {18, 85, 6, 8}, "&1."},
    {230, kEdit, {24, 84, 48, 10}, ""},
    {240, kCheckBox, {74, 84, 32, 10}, "\x97v\x8B\xF3\x94\x92"},  // 要空白
    {-1, kLabel, {18, 99, 12, 8}, "&2."},
    {231, kEdit, {24, 98, 48, 10}, ""},
    {241, kCheckBox, {74, 98, 32, 10}, "\x97v\x8B\xF3\x94\x92"},  // 要空白
    {-1, kLabel, {18, 113, 12, 8}, "&3."},
    {232, kEdit, {24, 112, 48, 10}, ""},
    {242, kCheckBox, {74, 112, 32, 10}, "\x97v\x8B\xF3\x94\x92"},  // 要空白
    {-1, kLabel, {18, 127, 12, 8}, "&4."},
    {233, kEdit, {24, 126, 48, 10}, ""},
    {243, kCheckBox, {74, 126, 32, 10}, "\x97v\x8B\xF3\x94\x92"},  // 要空白
    {-1, kLabel, {18, 141, 12, 8}, "&5."},
    {234, kEdit, {24, 140, 48, 10}, ""},
    {244, kCheckBox, {74, 140, 32, 10}, "\x97v\x8B\xF3\x94\x92"},  // 要空白
    {-1, kLabel, {110, 85, 12, 8}, "&6."},
    {235, kEdit, {116, 85, 48, 10}, ""},
    {245, kCheckBox, {166, 84, 32, 10}, "\x97v\x8B\xF3\x94\x92"},  // 要空白
    {-1, kLabel, {110, 99, 12, 8}, "&7."},
    {236, kEdit, {116, 98, 48, 10}, ""},
    {246, kCheckBox, {166, 98, 32, 10}, "\x97v\x8B\xF3\x94\x92"},  // 要空白
    {-1, kLabel, {110, 113, 12, 8}, "&8."},
    {237, kEdit, {116, 112, 48, 10}, ""},
    {247, kCheckBox, {166, 112, 32, 10}, "\x97v\x8B\xF3\x94\x92"},  // 要空白
    {-1, kLabel, {110, 127, 12, 8}, "&9."},
    {238, kEdit, {116, 126, 48, 10}, ""},
    {248, kCheckBox, {166, 126, 32, 10}, "\x97v\x8B\xF3\x94\x92"},  // 要空白
    {-1, kLabel, {110, 141, 12, 8}, "&0."},
    {239, kEdit, {116, 140, 48, 10}, ""},
    {249, kCheckBox, {166, 140, 32, 10}, "\x97v\x8B\xF3\x94\x92"},  // 要空白
};

const Control kFoldposDlgControls[] = {
    {-1, kGroupBox, {12, 12, 150, 40}, "\x90\xDC\x82\xE8\x95\xD4\x82\xB5\x88\xCA\x92u\x82\xCC\x90\xDD\x92\xE8"},  // 折り返し位置の設定
    {301, kRadioGroupStart, {16, 23, 68, 10}, "\x95\x5C\x8E\xA6\x95\x9D\x82\xC9\x98" "A\x93\xAE(&M)"},  // 表示幅に連動(&M)
    {302, kRadio, {88, 23, 54, 10}, "\x8C\x85\x90\x94\x82\xC5\x8C\xC5\x92\xE8(&F)"},  // 桁数で固定(&F)
    {303, kLabel, {16, 38, 68, 8}, "\x95\x5C\x8E\xA6\x95\x9D\x82\xA9\x82\xE7\x82\xCC\x8C\x85\x90\x94(&N)"},  // 表示幅からの桁数(&N)
    {304, kNumberEdit, {88, 37, 24, 10}, ""},
    {-1, kGroupBox, {12, 56, 188, 54}, "\x8Ds\x96\x96\x8F\x88\x97\x9D"},  // 行末処理
    {310, kCheckBox, {16, 67, 52, 10}, "\x8B\xD6\x91\xA5\x8F\x88\x97\x9D(&A)"},  // 禁則処理(&A)
    {-1, kLabel, {68, 68, 10, 8}, "\x84\x9F"},  // ─
    {311, kRadioGroupStart, {80, 67, 52, 10}, "\x92\xC7\x82\xA2\x8Fo\x82\xB5(&H)"},  // 追い出し(&H)
    {312, kRadio, {132, 67, 52, 10}, "\x82\xD4\x82\xE7\x89\xBA\x82\xB0(&T)"},  // ぶら下げ(&T)
    {314, kCheckBox, {16, 82, 60, 10}, "\x83\x8F\x81[\x83h\x83\x89\x83" "b\x83v(&W)"},  // ワードラップ(&W)
    {316, kRadioGroupStart, {16, 97, 44, 10}, "\x89p\x90\x94\x8E\x9A(&D)"},  // 英数字(&D)
    {317, kRadio, {60, 97, 64, 10}, "\x91S\x89p\x94\xBC\x8Ap\x95\xB6\x8E\x9A(&A)"},  // 全英半角文字(&A)
    {318, kRadio, {124, 97, 68, 10}, "\x89p\x90\x94\x82\xC6\x8Ew\x92\xE8\x95\xB6\x8E\x9A(&S)"},  // 英数と指定文字(&S)
    {-1, kLabel, {80, 83, 64, 8}, "\x83\x8F\x81[\x83h\x83\x89\x83" "b\x83v\x95\xB6\x8E\x9A(&C)"},  // ワードラップ文字(&C)
    {315, kScrollingEdit, {140, 82, 52, 10}, ""},
    {-1, kGroupBox, {12, 112, 150, 24}, "\x8D\xC5\x91\xE5\x88\xDA\x93\xAE\x8C\x85\x90\x94"},  // 最大移動桁数
    {-1, kLabel, {16, 123, 40, 8}, "\x8Ds\x93\xAA\x95\xFB\x8C\xFC(&L)"},  // 行頭方向(&L)
    {319, kNumberEdit, {56, 122, 24, 10}, ""},
    {-1, kLabel, {92, 123, 40, 8}, "\x8Ds\x96\x96\x95\xFB\x8C\xFC(&R)"},  // 行末方向(&R)
    {320, kNumberEdit, {132, 122, 24, 10}, ""},
    {-1, kGroupBox, {12, 140, 188, 24}, "\x8Ds\x93\xAA\x8B\xD6\x91\xA5\x95\xB6\x8E\x9A(&P)"},  // 行頭禁則文字(&P)
    {321, kScrollingEdit, {16, 150, 180, 10}, ""},
    {-1, kGroupBox, {12, 168, 188, 24}, "\x8Ds\x96\x96\x8B\xD6\x91\xA5\x95\xB6\x8E\x9A(&Z)"},  // 行末禁則文字(&Z)
    {322, kScrollingEdit, {16, 178, 180, 10}, ""},
};

const Control kHeaderDlgControls[] = {
    {401, kCheckBox, {12, 22, 84, 10}, "\x83w\x83" "b\x83_\x81[\x82\xF0\x90\xAE\x8C`\x82\xB5\x82\xC8\x82\xA2(&H)"},  // ヘッダーを整形しない(&H)
    {-1, kGroupBox, {12, 42, 188, 66}, "\x83" "f\x83\x8A\x83~\x83^\x82\xCC\x90\xDD\x92\xE8"},  // デリミタの設定
    {402, kCheckBox, {16, 56, 84, 10}, "\x83" "f\x83\x8A\x83~\x83^\x82\xCD\x8B\xF3\x8Ds\x82\xC6\x82\xB7\x82\xE9(&W)"},  // デリミタは空行とする(&W)
    {-1, kLabel, {16, 74, 60, 8}, "\x83" "f\x83\x8A\x83~\x83^\x82\xCC\x8Ew\x92\xE8(&D)"},  // デリミタの指定(&D)
    {410, kEdit, {76, 73, 116, 10}, ""},
    {411, kRadio, {16, 90, 90, 10}, "\x83" "f\x83\x8A\x83~\x83^\x82\xCD\x8A\xAE\x91S\x88\xEA\x92v(&C)"},  // デリミタは完全一致(&C)
    {412, kRadio, {106, 90, 90, 10}, "\x83" "f\x83\x8A\x83~\x83^\x82\xCD\x8Ds\x93\xAA\x88\xEA\x92v(&S)"},  // デリミタは行頭一致(&S)
};

const Control kResetDlgControls[] = {
    {501, kCheckBox, {12, 23, 92, 10}, "\x8Ds\x93\xAA\x82\xCC\x8B\xF3\x94\x92\x82\xF0\x8D\xED\x8F\x9C\x82\xB7\x82\xE9(&R)"},  // 行頭の空白を削除する(&R)
    {502, kCheckBox, {12, 47, 108, 10}, "\x83" "C\x83\x93\x83" "f\x83\x93\x83g\x8E\x9E\x82\xE0\x8B\xF3\x94\x92\x8D\xED\x8F\x9C\x82\xB7\x82\xE9(&I)"},  // インデント時も空白削除する(&I)
    {-1, kGroupBox, {12, 72, 156, 30}, "\x8B\xF3\x94\x92\x95\xB6\x8E\x9A\x82\xCC\x8Ew\x92\xE8"},  // 空白文字の指定
    {505, kCheckBox, {16, 86, 48, 10}, "\x94\xBC\x8Ap\x8B\xF3\x94\x92(&S)"},  // 半角空白(&S)
    {506, kCheckBox, {72, 86, 48, 10}, "\x91S\x8Ap\x8B\xF3\x94\x92(&D)"},  // 全角空白(&D)
    {507, kCheckBox, {128, 86, 32, 10}, "\x83^\x83u(&T)"},  // タブ(&T)
};

const Control kRegSelDlgControls[] = {
    {601, kReadOnlyNumberEdit, {12, 12, 20, 12}, ""},
    {605, kScrollingEdit, {40, 12, 160, 12}, ""},
    {610, kPushButton, {12, 34, 68, 16}, "\x83^\x83" "C\x83g\x83\x8B\x82\xCC\x8DX\x90V(&T)"},  // タイトルの更新(&T)
    {615, kPushButton, {88, 34, 60, 16}, "\x8E" "d\x97l\x82\xCC\x95\xD2\x8FW(&E)"},  // 仕様の編集(&E)
    {2, kDefPushButton, {156, 34, 44, 16}, "\x8FI\x97\xB9(&X)"},  // 終了(&X)
};

const Control kIndPropDlgControls[] = {
    {-1, kGroupBox, {12, 12, 188, 28}, "\x83" "C\x83\x93\x83" "f\x83\x93\x83g\x90\xDD\x92\xE8"},  // インデント設定
    {-1, kLabel, {16, 24, 52, 8}, "\x83" "C\x83\x93\x83" "f\x83\x93\x83g\x8C\x85\x90\x94(&I)"},  // インデント桁数(&I)
    {701, kNumberEdit, {68, 23, 20, 10}, ""},
    {-1, kGroupBox, {12, 48, 188, 28}, "\x90\xDC\x82\xE8\x95\xD4\x82\xB5\x90\xDD\x92\xE8"},  // 折り返し設定
    {-1, kLabel, {16, 60, 48, 8}, "\x90\xDC\x82\xE8\x95\xD4\x82\xB5\x8C\x85\x90\x94(&F)"},  // 折り返し桁数(&F)
    {705, kNumberEdit, {68, 59, 20, 10}, ""},
    {706, kCheckBox, {92, 59, 56, 10}, "\x83\x8F\x81[\x83h\x83\x89\x83" "b\x83v(&W)"},  // ワードラップ(&W)
    {707, kCheckBox, {150, 59, 48, 10}, "\x8B\xD6\x91\xA5\x8F\x88\x97\x9D(&T)"},  // 禁則処理(&T)
    {710, kPushButton, {26, 84, 40, 16}, "\x8F\xDA\x8D\xD7(&D)"},  // 詳細(&D)
    {1, kDefPushButton, {92, 84, 40, 16}, "\x8E\xC0\x8Ds(&E)"},  // 実行(&E)
    {2, kPushButton, {146, 84, 40, 16}, "\x92\x86\x8E~(&X)"},  // 中止(&X)
};

const ExpectedTemplate kTemplates[] = {
    {"INDENTDLG", 200, "\x83" "C\x83\x93\x83" "f\x83\x93\x83g1", kIndentDlgControls, std::size(kIndentDlgControls)},  // インデント1
    {"MANUALINDENTDLG", 200, "\x83" "C\x83\x93\x83" "f\x83\x93\x83g2", kManualIndentDlgControls, std::size(kManualIndentDlgControls)},  // インデント2
    {"FOLDPOSDLG", 200, "\x90\xDC\x82\xE8\x95\xD4\x82\xB5", kFoldposDlgControls, std::size(kFoldposDlgControls)},  // 折り返し
    {"HEADERDLG", 200, "\x83w\x83" "b\x83_\x81[\x90\xAE\x8C`", kHeaderDlgControls, std::size(kHeaderDlgControls)},  // ヘッダー整形
    {"RESETDLG", 200, "\x90\xAE\x8C`\x89\xF0\x8F\x9C", kResetDlgControls, std::size(kResetDlgControls)},  // 整形解除
    {"REGSELDLG", 62, "\x90\xAE\x8C`\x8E" "d\x97l\x82\xCC\x91I\x91\xF0", kRegSelDlgControls, std::size(kRegSelDlgControls)},  // 整形仕様の選択
    {"INDPROPDLG", 112, "\x82\xB1\x82\xCC\x92i\x97\x8E\x82\xCC\x90\xAE\x8C`\x8E" "d\x97l", kIndPropDlgControls, std::size(kIndPropDlgControls)},  // この段落の整形仕様
};

// ---- Reading a DLGTEMPLATE ----------------------------------------------

struct Item {
    DWORD style;
    Box box;
    WORD id;
    WORD class_atom;  // 0x80 button, 0x81 edit, 0x82 static; 0 for a named class
    std::wstring text;
};

struct Template {
    DWORD style;
    Box box;
    std::wstring caption;
    WORD points = 0;
    std::wstring face;
    std::vector<Item> items;
};

class Reader {
public:
    explicit Reader(const BYTE *start) : start_(start), at_(start) {}
    WORD Word() {
        WORD w;
        std::memcpy(&w, at_, 2);
        at_ += 2;
        return w;
    }
    DWORD Dword() {
        DWORD d;
        std::memcpy(&d, at_, 4);
        at_ += 4;
        return d;
    }
    short Short() { return static_cast<short>(Word()); }
    std::wstring String() {
        std::wstring s;
        for (WORD c = Word(); c != 0; c = Word()) s.push_back(static_cast<wchar_t>(c));
        return s;
    }
    // A name or an ordinal (0xFFFF and a word); returns the ordinal or 0.
    WORD NameOrOrdinal(std::wstring *name) {
        WORD first = Word();
        if (first == 0xFFFF) return Word();
        if (first == 0) return 0;
        at_ -= 2;
        *name = String();
        return 0;
    }
    void AlignDword() {
        while ((at_ - start_) % 4 != 0) ++at_;
    }
    void Skip(size_t bytes) { at_ += bytes; }

private:
    const BYTE *start_;
    const BYTE *at_;
};

Template ReadTemplate(const char *name) {
    Template t;
    HRSRC found = FindResourceA(Lumotext().module, name, reinterpret_cast<LPCSTR>(RT_DIALOG));
    if (found == nullptr) {
        ADD_FAILURE() << "no dialog resource " << name;
        return t;
    }
    Reader r(static_cast<const BYTE *>(LockResource(LoadResource(Lumotext().module, found))));
    t.style = r.Dword();
    r.Dword();  // extended style
    const WORD count = r.Word();
    t.box = {r.Short(), r.Short(), r.Short(), r.Short()};
    std::wstring ignored;
    r.NameOrOrdinal(&ignored);  // menu
    r.NameOrOrdinal(&ignored);  // class
    t.caption = r.String();
    if (t.style & DS_SETFONT) {
        t.points = r.Word();
        t.face = r.String();
    }
    for (WORD k = 0; k < count; ++k) {
        r.AlignDword();
        Item item;
        item.style = r.Dword();
        r.Dword();
        item.box = {r.Short(), r.Short(), r.Short(), r.Short()};
        item.id = r.Word();
        std::wstring class_name;
        item.class_atom = r.NameOrOrdinal(&class_name);
        r.NameOrOrdinal(&item.text);
        r.Skip(r.Word());
        t.items.push_back(item);
    }
    return t;
}

std::string Ansi(const std::wstring &text) {
    if (text.empty()) return {};
    std::string bytes(text.size() * 2 + 1, '\0');
    const int n = WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                      static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.resize(static_cast<size_t>(n));
    return bytes;
}

// What a kind means in class and style. Every control is a visible child.
void ExpectKind(const Item &item, Kind kind) {
    EXPECT_EQ(item.style & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
    const DWORD button_type = item.style & BS_TYPEMASK;
    const bool group = (item.style & WS_GROUP) != 0;
    const bool tab = (item.style & WS_TABSTOP) != 0;
    switch (kind) {
    case kCheckBox:
        EXPECT_EQ(item.class_atom, 0x80);
        EXPECT_EQ(button_type, static_cast<DWORD>(BS_AUTOCHECKBOX));
        EXPECT_TRUE(tab);
        break;
    case kRadio:
    case kRadioGroupStart:
        EXPECT_EQ(item.class_atom, 0x80);
        EXPECT_EQ(button_type, static_cast<DWORD>(BS_AUTORADIOBUTTON));
        EXPECT_EQ(group, kind == kRadioGroupStart) << "group start";
        EXPECT_TRUE(tab);
        break;
    case kGroupBox:
        EXPECT_EQ(item.class_atom, 0x80);
        EXPECT_EQ(button_type, static_cast<DWORD>(BS_GROUPBOX));
        break;
    case kLabel:
        EXPECT_EQ(item.class_atom, 0x82);
        EXPECT_EQ(item.style & SS_TYPEMASK, static_cast<DWORD>(SS_LEFT));
        break;
    case kEdit:
    case kScrollingEdit:
    case kNumberEdit:
    case kReadOnlyNumberEdit: {
        EXPECT_EQ(item.class_atom, 0x81);
        EXPECT_TRUE(item.style & WS_BORDER);
        EXPECT_TRUE(tab);
        const bool number = kind == kNumberEdit || kind == kReadOnlyNumberEdit;
        EXPECT_EQ((item.style & ES_NUMBER) != 0, number) << "digits only";
        EXPECT_EQ((item.style & ES_RIGHT) != 0, number) << "right-aligned";
        EXPECT_EQ((item.style & ES_AUTOHSCROLL) != 0, kind == kScrollingEdit) << "scrolling";
        EXPECT_EQ((item.style & ES_READONLY) != 0, kind == kReadOnlyNumberEdit) << "read-only";
        break;
    }
    case kPushButton:
    case kDefPushButton:
        EXPECT_EQ(item.class_atom, 0x80);
        EXPECT_EQ(button_type, static_cast<DWORD>(kind == kDefPushButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON));
        EXPECT_TRUE(tab);
        break;
    }
}

TEST(DialogTemplates, EveryTemplateAsDescribed) {
    for (const ExpectedTemplate &expected : kTemplates) {
        SCOPED_TRACE(expected.name);
        const Template t = ReadTemplate(expected.name);
        // A modal dialog window: popup, caption, system menu, modal frame.
        EXPECT_EQ(t.style, static_cast<DWORD>(DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT));
        EXPECT_EQ(t.box.cx, 212);
        EXPECT_EQ(t.box.cy, expected.height);
        EXPECT_EQ(Ansi(t.caption), expected.caption);
        EXPECT_EQ(t.points, 9);
        EXPECT_EQ(Ansi(t.face), dialog_test::kFontFace);
        ASSERT_EQ(t.items.size(), expected.count);
        for (size_t k = 0; k < expected.count; ++k) {
            const Control &want = expected.controls[k];
            const Item &item = t.items[k];
            SCOPED_TRACE("control " + std::to_string(k) + ", id " + std::to_string(want.id));
            EXPECT_EQ(item.id, static_cast<WORD>(want.id));
            ExpectKind(item, want.kind);
            EXPECT_EQ(item.box.x, want.box.x);
            EXPECT_EQ(item.box.y, want.box.y);
            EXPECT_EQ(item.box.cx, want.box.cx);
            EXPECT_EQ(item.box.cy, want.box.cy);
            EXPECT_EQ(Ansi(item.text), want.text);
        }
    }
}

// The sheet and the dialogs ask for the templates by their mixed-case names.
TEST(DialogTemplates, FoundByTheNamesTheDialogsUse) {
    for (const char *name :
         {"IndentDlg", "ManualIndentDlg", "FoldposDlg", "HeaderDlg", "ResetDlg", "RegSelDlg", "IndPropDlg"}) {
        EXPECT_NE(FindResourceA(Lumotext().module, name, reinterpret_cast<LPCSTR>(RT_DIALOG)), nullptr) << name;
    }
}

}  // namespace
