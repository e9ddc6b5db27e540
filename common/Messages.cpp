#include "common/Messages.h"

#include "common/ErrorCodes.h"
#include "common/TextTranslation.h"
#include "common/Utf8.h"

#include <atomic>
#include <cstdio>

namespace {

StderrMessageSink g_stderrSink;
std::atomic<IMessageSink*> g_sink{nullptr};
thread_local IMessageSink* t_threadSink = nullptr;

} // namespace

void StderrMessageSink::Show(const std::string& text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

IMessageSink* SetMessageSink(IMessageSink* sink)
{
    return g_sink.exchange(sink);
}

ThreadMessageSinkScope::ThreadMessageSinkScope(IMessageSink* sink) : previous(t_threadSink)
{
    t_threadSink = sink;
}

ThreadMessageSinkScope::~ThreadMessageSinkScope()
{
    t_threadSink = previous;
}

void ShowMessage(const std::string& text)
{
    IMessageSink* sink = t_threadSink ? t_threadSink : g_sink.load();
    (sink ? sink : &g_stderrSink)->Show(CutUtf8(text, kMaxMessageBytes));
}

bool AskMessage(const std::string& text)
{
    IMessageSink* sink = t_threadSink ? t_threadSink : g_sink.load();
    return (sink ? sink : &g_stderrSink)->Ask(CutUtf8(text, kMaxMessageBytes));
}

std::string FormatCodedMessage(const char* prefix, uint32_t code, const std::string& text)
{
    char head[32];
    std::snprintf(head, sizeof head, "%s%08X ", prefix, code);
    return CutUtf8(head + text, kMaxMessageBytes);
}

const char* GeneralErrorText(uint32_t code)
{
    using namespace GeneralError;
    switch (code) {
    case kOutOfMemory: return QT_TRANSLATE_NOOP("Messages", "メモリが不足しています。");
    case kPerformance: return QT_TRANSLATE_NOOP("Messages", "パフォーマンスが低下しています。一旦終了して、再起動してください。");
    case kFileNotFound: return QT_TRANSLATE_NOOP("Messages", "ファイルが見つかりませんでした。");
    case kBadHexData: return QT_TRANSLATE_NOOP("Messages", "16進数のデータの記述に誤りがあります。");
    case kCannotOpenFile:
        return QT_TRANSLATE_NOOP("Messages", "ファイルが開けませんでした。ファイルリストを絶対パスで記述してみてください。\n"
               "あるいは、出力フォルダや作業フォルダの設定などを確認してください。");
    case kDataTooLarge: return QT_TRANSLATE_NOOP("Messages", "データが大きすぎます。");
    case kBadParameter: return QT_TRANSLATE_NOOP("Messages", "パラメータに誤りがあります。");
    case kNoCurrentDirectory: return QT_TRANSLATE_NOOP("Messages", "カレントディレクトリが取得できませんでした。");
    case kFileSize: return QT_TRANSLATE_NOOP("Messages", "ファイルサイズにエラーがあります。");
    case kTimeSignature: return QT_TRANSLATE_NOOP("Messages", "拍子にエラーがあります。");
    case kArrangement1: return QT_TRANSLATE_NOOP("Messages", "自動編曲中にエラーが発生しました。(1)");
    case kAnalysis: return QT_TRANSLATE_NOOP("Messages", "楽曲解析中にエラーが発生しました。");
    case kArrangement2: return QT_TRANSLATE_NOOP("Messages", "自動編曲中にエラーが発生しました。(2)");
    case kBpmConversion: return QT_TRANSLATE_NOOP("Messages", "BPM変換でエラーが発生しました。");
    case kTempoConversion: return QT_TRANSLATE_NOOP("Messages", "テンポ変換でエラーが発生しました。");
    default: return QT_TRANSLATE_NOOP("Messages", "汎用処理でエラーが発生しました。");
    }
}

const char* SongErrorText(uint32_t code)
{
    switch (code) {
    case SongError::kNoteValuePosition: return QT_TRANSLATE_NOOP("Messages", "この位置にその音価は設定できません。");
    case SongError::kLyricTooLong: return QT_TRANSLATE_NOOP("Messages", "歌詞は６文字までです。２つの音符に分割して入力してください");
    case SongError::kOldData: return QT_TRANSLATE_NOOP("Messages", "このデータは古いデータなのでこの機能では使用できません。");
    default: return QT_TRANSLATE_NOOP("Messages", "楽曲情報でエラーがおきました。");
    }
}

const char* DrawingErrorText(uint32_t code)
{
    return code == 1 ? QT_TRANSLATE_NOOP("Messages", "描画エラー。")
                     : QT_TRANSLATE_NOOP("Messages", "COffScreenPictureでエラーが発生しました。");
}

const char* ImportErrorText(uint32_t code)
{
    switch (code) {
    case ImportError::kNoMelody: return QT_TRANSLATE_NOOP("Messages", "旋律になる音符がありませんでした。");
    case ImportError::kTooLong: return QT_TRANSLATE_NOOP("Messages", "曲が長すぎるため、1024拍を超える部分は省きました。");
    case ImportError::kNoSuchChoice: return QT_TRANSLATE_NOOP("Messages", "指定されたパートがありません。");
    default: return QT_TRANSLATE_NOOP("Messages", "楽譜ファイルを読み込めませんでした。");
    }
}

void ShowGeneralError(uint32_t code)
{
    ShowMessage(FormatCodedMessage("GENE", code, CoreText::translate("Messages", GeneralErrorText(code))));
}

void ShowSongErrorMessage(uint32_t code)
{
    ShowMessage(FormatCodedMessage("SGDT", code, CoreText::translate("Messages", SongErrorText(code))));
}

void ShowNotesWithoutStringMessage(int count)
{
    std::string text = CoreText::translate("Messages", "弦のない音符が%1個あります。楽譜には表示されません。");
    text.replace(text.find("%1"), 2, std::to_string(count));
    ShowMessage(FormatCodedMessage("STRG", StringError::kNotesWithoutString, text));
}

void ShowImportError(uint32_t code)
{
    ShowMessage(FormatCodedMessage("IMPT", code, CoreText::translate("Messages", ImportErrorText(code))));
}
