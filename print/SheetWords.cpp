#include "print/SheetWords.h"

QStringList ShownOnSheet(const WordChoices& choices)
{
    QStringList names;
    if (choices.words)
        names << QStringLiteral("歌詞");
    if (choices.chords)
        names << QStringLiteral("コード");
    if (choices.measures)
        names << QStringLiteral("小節番号");
    if (choices.counts)
        names << QStringLiteral("カウント");
    return names;
}
