#include "common/Cp932.h"
#include "common/ErrorCodes.h"
#include "common/Messages.h"
#include "common/XmlText.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

TEST(CodedMessages, GeneralFamilyFormatsCodeAndText)
{
    RecordingSink sink;
    ShowGeneralError(GeneralError::kDataTooLarge);
    ShowGeneralError(0x01000003);
    ShowGeneralError(GeneralError::kOutOfMemory);
    ShowGeneralError(GeneralError::kFileSize);
    EXPECT_EQ(sink.Take(), (std::vector<std::string>{
                               "GENE0100000A データが大きすぎます。",
                               "GENE01000003 汎用処理でエラーが発生しました。",
                               "GENE01000002 メモリが不足しています。",
                               "GENE0100000D ファイルサイズにエラーがあります。",
                           }));
}

TEST(CodedMessages, OpenFailureTextHasItsLineBreak)
{
    RecordingSink sink;
    ShowGeneralError(GeneralError::kCannotOpenFile);
    EXPECT_EQ(sink.Take().at(0),
              "GENE01000007 ファイルが開けませんでした。ファイルリストを絶対パスで記述してみてください。\n"
              "あるいは、出力フォルダや作業フォルダの設定などを確認してください。");
}

TEST(CodedMessages, SongFamilyFallsBackToItsDefaultText)
{
    RecordingSink sink;
    ShowSongErrorMessage(0);
    ShowSongErrorMessage(1);
    ShowSongErrorMessage(3);
    ShowSongErrorMessage(0xFFFFFFFF);
    EXPECT_EQ(sink.Take(), (std::vector<std::string>{
                               "SGDT00000000 楽曲情報でエラーがおきました。",
                               "SGDT00000001 楽曲情報でエラーがおきました。",
                               "SGDT00000003 歌詞は６文字までです。２つの音符に分割して入力してください",
                               "SGDTFFFFFFFF 楽曲情報でエラーがおきました。",
                           }));
}

TEST(CodedMessages, LongTextIsCutWithoutSplittingACharacter)
{
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += "あ"; // 3 bytes each
    const std::string shown = FormatCodedMessage("OSPC", 2, text);
    EXPECT_LE(shown.size(), kMaxMessageBytes);
    EXPECT_EQ((shown.size() - 13) % 3, 0u);
    EXPECT_EQ(shown.substr(0, 13), "OSPC00000002 ");
}

// Without a converter, texts must still be cut on character boundaries: a non-ASCII character
// becomes one replacement character, never raw bytes of the other encoding.
TEST(TextConversion, WithoutAConverterOnlyAsciiPassesAndEachOtherCharacterIsReplacedWhole)
{
    FailTextConversionForTests(true);
    const std::string cp932 = Utf8ToCp932("Sakura さくら 桜!");
    const std::string utf8 = Cp932ToUtf8("a\x82\xa0" "b\x8d\xf7");
    FailTextConversionForTests(false);
    EXPECT_EQ(cp932, "Sakura ??? ?!");
    EXPECT_EQ(CutCp932(cp932, 9), "Sakura ??");
    EXPECT_EQ(utf8, "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
    EXPECT_EQ(Utf8ToCp932("さ"), "\x82\xb3") << "the converter is back";
}

TEST(XmlText, MarkupIsEscapedAndWhatXml10ForbidsIsLeftOut)
{
    EXPECT_EQ(XmlEscaped("Tom & Jerry"), "Tom &amp; Jerry");
    EXPECT_EQ(XmlEscaped("<script>alert('1')</script>\""), "&lt;script&gt;alert(&apos;1&apos;)&lt;/script&gt;&quot;");
    EXPECT_EQ(XmlEscaped(std::string("a\x01\x1b\0b\t\n\r", 9)), "ab\t\n\r") << "C0 controls but tab and line ends";
    EXPECT_EQ(XmlEscaped("\xef\xbf\xbe\xef\xbf\xbfx\xef\xbf\xbd"), "x\xef\xbf\xbd") << "U+FFFE and U+FFFF, not U+FFFD";
    EXPECT_EQ(WithoutXmlForbidden("\xed\xa0\x80s\xed\x9f\xbf\xed\xb0"), "s\xed\x9f\xbf") << "surrogates, even cut";
    EXPECT_EQ(WithoutXmlForbidden("さくら <&> \x7f\xc2\x85"), "さくら <&> \x7f\xc2\x85") << "only the forbidden go";
}
