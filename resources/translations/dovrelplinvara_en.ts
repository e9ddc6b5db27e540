<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>DovrelPlinvaraのﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>About DovrelPlinvara</translation>
    </message>
    <message>
        <source>DovrelPlinvara  ハープ用図形楽譜</source>
        <translation>DovrelPlinvara  lap harp scores</translation>
    </message>
</context>
<context>
    <name>CArchiveDlg</name>
    <message>
        <source>読み込み</source>
        <translation>    Open</translation>
    </message>
    <message>
        <source>取り消し</source>
        <translation>   Cancel</translation>
    </message>
    <message>
        <source>ライブラリ</source>
        <translation>Library</translation>
    </message>
    <message>
        <source>全て表示</source>
        <translation>All songs</translation>
    </message>
    <message>
        <source>知名度低いものも表示</source>
        <translation>Also little-known</translation>
    </message>
    <message>
        <source>有名曲のみ表示</source>
        <translation>Well-known only</translation>
    </message>
    <message>
        <source>超有名曲のみ表示</source>
        <translation>Very famous only</translation>
    </message>
    <message>
        <source>「%1」をライブラリ（%2）に追加しました。</source>
        <translation>&quot;%1&quot; was added to the library (%2).</translation>
    </message>
    <message>
        <source>ライブラリを開くと「%1」の一覧に表示されます。</source>
        <translation> The library lists it under &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>知名度が%1のため、ライブラリで「%2」を選ぶと一覧に表示されます。</source>
        <translation> With fame %1 the library lists it when &quot;%2&quot; is chosen.</translation>
    </message>
</context>
<context>
    <name>CConfigDlg</name>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>楽器の設定</source>
        <translation>Harp</translation>
    </message>
    <message>
        <source>弦の数</source>
        <translation>Strings</translation>
    </message>
    <message>
        <source>最低音</source>
        <translation>Lowest</translation>
    </message>
    <message>
        <source>調弦</source>
        <translation>Tuning</translation>
    </message>
    <message>
        <source>楽器</source>
        <translation>Harp</translation>
    </message>
    <message>
        <source>描画の設定</source>
        <translation>Drawing</translation>
    </message>
    <message>
        <source>線の間隔</source>
        <translation>Spacing</translation>
    </message>
    <message>
        <source>左端調整</source>
        <translation>Left edge</translation>
    </message>
    <message>
        <source>縦サイズ</source>
        <translation>Height</translation>
    </message>
    <message>
        <source>表示倍率</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>用紙の弦間隔</source>
        <translation>On paper</translation>
    </message>
    <message>
        <source>用紙に合わせる</source>
        <translation>fit to paper</translation>
    </message>
    <message>
        <source>用紙</source>
        <translation>Paper</translation>
    </message>
    <message>
        <source>用紙に表示</source>
        <translation>On the sheet</translation>
    </message>
    <message>
        <source>歌詞</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>コード</source>
        <translation>Chord</translation>
    </message>
    <message>
        <source>小節番号</source>
        <translation>Meas. no.</translation>
    </message>
    <message>
        <source>カウント</source>
        <translation>Counts</translation>
    </message>
    <message>
        <source>繰り返し</source>
        <translation>Repeats</translation>
    </message>
    <message>
        <source>線で示す</source>
        <translation>as lines</translation>
    </message>
    <message>
        <source>展開する</source>
        <translation>written out</translation>
    </message>
    <message>
        <source>言語</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>    閉じる</source>
        <translation>    Close</translation>
    </message>
    <message>
        <source>37弦 (G2–G5)</source>
        <translation>37 strings (G2–G5)</translation>
    </message>
    <message>
        <source>25弦 (G3–G5)</source>
        <translation>25 strings (G3–G5)</translation>
    </message>
    <message>
        <source>21弦 (A3–F5)</source>
        <translation>21 strings (A3–F5)</translation>
    </message>
    <message>
        <source>18弦 (B3–E5)</source>
        <translation>18 strings (B3–E5)</translation>
    </message>
    <message>
        <source>15弦 ト長調 (G3–G5)</source>
        <translation>15 strings G (G3–G5)</translation>
    </message>
    <message>
        <source>その他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>半音階</source>
        <translation>Chromatic</translation>
    </message>
    <message>
        <source>全音階 ハ長調</source>
        <translation>Diatonic C major</translation>
    </message>
    <message>
        <source>全音階 ト長調</source>
        <translation>Diatonic G major</translation>
    </message>
    <message>
        <source>全音階 ニ長調</source>
        <translation>Diatonic D major</translation>
    </message>
    <message>
        <source>全音階 ヘ長調</source>
        <translation>Diatonic F major</translation>
    </message>
    <message>
        <source>全音階 変ロ長調</source>
        <translation>Diatonic B♭ major</translation>
    </message>
    <message>
        <source>色分け</source>
        <translation>Colours</translation>
    </message>
</context>
<context>
    <name>CDovrelPlinvaraDlg</name>
    <message>
        <source>    終 了</source>
        <translation>    Quit</translation>
    </message>
    <message>
        <source>    設 定</source>
        <translation>  Settings</translation>
    </message>
    <message>
        <source>    読 込</source>
        <translation>    Open</translation>
    </message>
    <message>
        <source>    印 刷</source>
        <translation>    Print</translation>
    </message>
    <message>
        <source>&#x3000; ﾗｲﾌﾞﾗﾘ</source>
        <translation>   Library</translation>
    </message>
    <message>
        <source>ハープ用図形楽譜</source>
        <translation>Lap harp graphic scores</translation>
    </message>
    <message>
        <source>開始小節</source>
        <translation>First</translation>
    </message>
    <message>
        <source>終了小節</source>
        <translation>Last</translation>
    </message>
    <message>
        <source>パートの選択(&amp;R)...</source>
        <translation>Pa&amp;rts and voices...</translation>
    </message>
    <message>
        <source>ライブラリに追加(&amp;B)...</source>
        <translation>Add to li&amp;brary...</translation>
    </message>
    <message>
        <source>印刷プレビュー(&amp;V)...</source>
        <translation>Print pre&amp;view...</translation>
    </message>
    <message>
        <source>全曲を印刷(&amp;W)...</source>
        <translation>Print &amp;whole song...</translation>
    </message>
    <message>
        <source>全曲の印刷プレビュー(&amp;O)...</source>
        <translation>Preview wh&amp;ole song...</translation>
    </message>
    <message>
        <source>全員の用紙を印刷(&amp;Y)...</source>
        <translation>Print ever&amp;y player&apos;s sheet...</translation>
    </message>
    <message>
        <source>全員の用紙の印刷プレビュー(&amp;Z)...</source>
        <translation>Preview every player&apos;s sheet (&amp;Z)...</translation>
    </message>
    <message>
        <source>DovrelPlinvara のﾊﾞｰｼﾞｮﾝ情報(&amp;A)...</source>
        <translation>&amp;About DovrelPlinvara...</translation>
    </message>
    <message>
        <source>印刷プレビュー</source>
        <translation>Print preview</translation>
    </message>
    <message>
        <source>停止(&amp;P)</source>
        <translation>Sto&amp;p</translation>
    </message>
    <message>
        <source>再生(&amp;P)</source>
        <translation>&amp;Play</translation>
    </message>
    <message>
        <source>テンポ(&amp;T)</source>
        <translation>&amp;Tempo</translation>
    </message>
    <message>
        <source>その他(&amp;O)...</source>
        <translation>&amp;Other...</translation>
    </message>
    <message>
        <source>ループ(&amp;L)</source>
        <translation>&amp;Loop</translation>
    </message>
    <message>
        <source>練習パネル(&amp;N)...</source>
        <translation>Practice pa&amp;nel...</translation>
    </message>
    <message>
        <source>調(&amp;K)</source>
        <translation>&amp;Key</translation>
    </message>
    <message>
        <source>テンポ</source>
        <translation>Tempo</translation>
    </message>
    <message>
        <source>テンポ（25～200 %）:</source>
        <translation>Tempo (25-200 %):</translation>
    </message>
    <message>
        <source>調</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>調:</source>
        <translation>Key:</translation>
    </message>
    <message>
        <source>カウントイン(&amp;C)</source>
        <translation>&amp;Count-in</translation>
    </message>
    <message>
        <source>ループの度にカウントイン(&amp;E)</source>
        <translation>Count-in &amp;every pass</translation>
    </message>
    <message>
        <source>メトロノーム(&amp;M)</source>
        <translation>&amp;Metronome</translation>
    </message>
    <message>
        <source>メロディを消音(&amp;U)</source>
        <translation>M&amp;ute the melody</translation>
    </message>
    <message>
        <source>画面を追って最後まで再生(&amp;F)</source>
        <translation>Play to the end, &amp;following</translation>
    </message>
    <message>
        <source>区間の選択を解除(&amp;X)</source>
        <translation>Clear the passage (&amp;X)</translation>
    </message>
    <message>
        <source>画面に小節番号(&amp;I)</source>
        <translation>Measure numbers on screen (&amp;I)</translation>
    </message>
    <message>
        <source>行目</source>
        <translation> (line)</translation>
    </message>
    <message>
        <source>「%1」で使わなかった値: %2</source>
        <translation>Values not used from &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>用紙(&amp;S)</source>
        <translation>&amp;Sheet</translation>
    </message>
    <message>
        <source>この用紙を保存(&amp;S)...</source>
        <translation>&amp;Save this sheet...</translation>
    </message>
    <message>
        <source>既定の用紙にする(&amp;D)</source>
        <translation>Make it the &amp;default</translation>
    </message>
    <message>
        <source>ライブラリに追加</source>
        <translation>Add to library</translation>
    </message>
    <message>
        <source>曲名</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>知名度 (0～255)</source>
        <translation>Fame (0-255)</translation>
    </message>
    <message>
        <source>用紙の保存</source>
        <translation>Save sheet</translation>
    </message>
    <message>
        <source>用紙の名前:</source>
        <translation>Name of the sheet:</translation>
    </message>
    <message>
        <source>第%1小節 / %2</source>
        <translation>Measure %1 / %2</translation>
    </message>
    <message>
        <source>%1拍/分</source>
        <translation>%1 bpm</translation>
    </message>
    <message>
        <source>用紙の選択</source>
        <translation>Choose a sheet</translation>
    </message>
    <message>
        <source>開く用紙:</source>
        <translation>Sheet to open:</translation>
    </message>
    <message>
        <source>この曲の用紙ファイル「%1」を読めないため、用紙を使わずに開きます。</source>
        <translation>The tune&apos;s sheet file &quot;%1&quot; cannot be read; the tune opens without its sheets.</translation>
    </message>
    <message>
        <source>自動（既定） </source>
        <translation>Automatic (default) </translation>
    </message>
    <message>
        <source>曲名を入力してください。</source>
        <translation>Please enter the tune&apos;s title.</translation>
    </message>
    <message>
        <source>（既定）</source>
        <translation> (default)</translation>
    </message>
    <message>
        <source>「%1」をライブラリ（%2）に追加できませんでした。</source>
        <translation>&quot;%1&quot; could not be added to the library (%2).</translation>
    </message>
    <message>
        <source>奏者の用紙(&amp;G)</source>
        <translation>Players&apos; s&amp;heets</translation>
    </message>
    <message>
        <source>全員で一枚(&amp;A)</source>
        <translation>One sheet for &amp;all</translation>
    </message>
    <message>
        <source>全員の用紙(&amp;E)</source>
        <translation>A sheet for &amp;everyone</translation>
    </message>
    <message>
        <source>ほかの声部を省く(&amp;H)</source>
        <translation>Leave out the ot&amp;her voices</translation>
    </message>
    <message>
        <source>練習用</source>
        <translation>Practice</translation>
    </message>
</context>
<context>
    <name>CMelodyChoiceDlg</name>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CPrintPicture</name>
    <message>
        <source>プリンタで設定されている用紙サイズに誤りがあります。・</source>
        <translation>The paper size set for the printer is wrong.</translation>
    </message>
</context>
<context>
    <name>CVoiceRolesDlg</name>
    <message>
        <source>なし</source>
        <translation>none</translation>
    </message>
    <message>
        <source>コードから</source>
        <translation>From chords</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>オクターブ</source>
        <translation>Octave</translation>
    </message>
</context>
<context>
    <name>ChordPattern</name>
    <message>
        <source>根音</source>
        <translation>Root</translation>
    </message>
    <message>
        <source>根音と5度</source>
        <translation>Root and fifth</translation>
    </message>
    <message>
        <source>ベースと和音</source>
        <translation>Bass and chord</translation>
    </message>
    <message>
        <source>分散和音</source>
        <translation>Broken chord</translation>
    </message>
    <message>
        <source>和音</source>
        <translation>Block chord</translation>
    </message>
</context>
<context>
    <name>Key</name>
    <message>
        <source>全音が弦にある</source>
        <translation>all notes on strings</translation>
    </message>
    <message>
        <source>%1音不足</source>
        <translation>%1 notes missing</translation>
    </message>
    <message>
        <source>ハ長調</source>
        <translation>C major</translation>
    </message>
    <message>
        <source>ト長調</source>
        <translation>G major</translation>
    </message>
    <message>
        <source>ニ長調</source>
        <translation>D major</translation>
    </message>
    <message>
        <source>イ長調</source>
        <translation>A major</translation>
    </message>
    <message>
        <source>ホ長調</source>
        <translation>E major</translation>
    </message>
    <message>
        <source>ロ長調</source>
        <translation>B major</translation>
    </message>
    <message>
        <source>嬰ヘ長調</source>
        <translation>F♯ major</translation>
    </message>
    <message>
        <source>嬰ハ長調</source>
        <translation>C♯ major</translation>
    </message>
    <message>
        <source>ヘ長調</source>
        <translation>F major</translation>
    </message>
    <message>
        <source>変ロ長調</source>
        <translation>B♭ major</translation>
    </message>
    <message>
        <source>変ホ長調</source>
        <translation>E♭ major</translation>
    </message>
    <message>
        <source>変イ長調</source>
        <translation>A♭ major</translation>
    </message>
    <message>
        <source>変ニ長調</source>
        <translation>D♭ major</translation>
    </message>
    <message>
        <source>変ト長調</source>
        <translation>G♭ major</translation>
    </message>
    <message>
        <source>変ハ長調</source>
        <translation>C♭ major</translation>
    </message>
    <message>
        <source>イ短調</source>
        <translation>A minor</translation>
    </message>
    <message>
        <source>ホ短調</source>
        <translation>E minor</translation>
    </message>
    <message>
        <source>ロ短調</source>
        <translation>B minor</translation>
    </message>
    <message>
        <source>嬰ヘ短調</source>
        <translation>F♯ minor</translation>
    </message>
    <message>
        <source>嬰ハ短調</source>
        <translation>C♯ minor</translation>
    </message>
    <message>
        <source>嬰ト短調</source>
        <translation>G♯ minor</translation>
    </message>
    <message>
        <source>嬰ニ短調</source>
        <translation>D♯ minor</translation>
    </message>
    <message>
        <source>嬰イ短調</source>
        <translation>A♯ minor</translation>
    </message>
    <message>
        <source>ニ短調</source>
        <translation>D minor</translation>
    </message>
    <message>
        <source>ト短調</source>
        <translation>G minor</translation>
    </message>
    <message>
        <source>ハ短調</source>
        <translation>C minor</translation>
    </message>
    <message>
        <source>ヘ短調</source>
        <translation>F minor</translation>
    </message>
    <message>
        <source>変ロ短調</source>
        <translation>B♭ minor</translation>
    </message>
    <message>
        <source>変ホ短調</source>
        <translation>E♭ minor</translation>
    </message>
    <message>
        <source>変イ短調</source>
        <translation>A♭ minor</translation>
    </message>
</context>
<context>
    <name>Legend</name>
    <message>
        <source>歌詞</source>
        <translation>lyrics</translation>
    </message>
    <message>
        <source>コード</source>
        <translation>chords</translation>
    </message>
    <message>
        <source>小節番号</source>
        <translation>measure numbers</translation>
    </message>
    <message>
        <source>カウント</source>
        <translation>counts</translation>
    </message>
    <message>
        <source>破線</source>
        <translation>dashed</translation>
    </message>
    <message>
        <source>太線</source>
        <translation>thick</translation>
    </message>
    <message>
        <source>点線</source>
        <translation>dotted</translation>
    </message>
    <message>
        <source>線なし</source>
        <translation>no line</translation>
    </message>
    <message>
        <source>実線</source>
        <translation>solid</translation>
    </message>
    <message>
        <source>青</source>
        <translation>blue</translation>
    </message>
    <message>
        <source>緑</source>
        <translation>green</translation>
    </message>
    <message>
        <source>紫</source>
        <translation>purple</translation>
    </message>
    <message>
        <source>橙</source>
        <translation>orange</translation>
    </message>
    <message>
        <source>黒</source>
        <translation>black</translation>
    </message>
    <message>
        <source>%1・%2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>%1&#x3000;%2&#x3000;弦にない音 %3</source>
        <translation>%1  %2  notes without a string %3</translation>
    </message>
    <message>
        <source>細い破線 同時に弾く音</source>
        <translation>thin dashes: notes plucked together</translation>
    </message>
    <message>
        <source>二重丸 同じ弦で同時</source>
        <translation>double circle: one string at once</translation>
    </message>
    <message>
        <source>&#x3000;&#x3000;</source>
        <translation>    </translation>
    </message>
    <message>
        <source>1小節 %1拍</source>
        <translation>%1 beats a measure</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>調 %1</source>
        <translation>Key %1</translation>
    </message>
    <message>
        <source>テンポ %1</source>
        <translation>Tempo %1</translation>
    </message>
    <message>
        <source>小節 %1〜%2</source>
        <translation>Measures %1–%2</translation>
    </message>
    <message>
        <source>／全%1小節</source>
        <translation> of %1</translation>
    </message>
    <message>
        <source>%1/%2枚&#x3000;</source>
        <translation>Sheet %1/%2  </translation>
    </message>
    <message>
        <source>表示 %1</source>
        <translation>Shown: %1</translation>
    </message>
    <message>
        <source>・</source>
        <translation>, </translation>
    </message>
    <message>
        <source>作曲 %1</source>
        <translation>Music: %1</translation>
    </message>
    <message>
        <source>作詞 %1</source>
        <translation>Words: %1</translation>
    </message>
    <message>
        <source>&#x3000;</source>
        <translation>  </translation>
    </message>
    <message>
        <source>1拍</source>
        <translation>1 beat</translation>
    </message>
    <message>
        <source>2拍未満（1拍以外）</source>
        <translation>under 2 beats (not 1)</translation>
    </message>
    <message>
        <source>4拍</source>
        <translation>4 beats</translation>
    </message>
    <message>
        <source>2拍以上（4拍以外）</source>
        <translation>2 beats or more (not 4)</translation>
    </message>
    <message>
        <source>100 mm&#x3000;&#x3000;100%で印刷</source>
        <translation>100 mm    print at 100%</translation>
    </message>
    <message>
        <source>（ほかの歌詞 %1行は入りません）</source>
        <translation>(%1 more lines of lyrics do not fit)</translation>
    </message>
    <message>
        <source>%1分の%2拍子</source>
        <translation>%2/%1 time</translation>
    </message>
    <message>
        <source>印刷するページが%1枚になります。印刷しますか？</source>
        <translation>This prints %1 pages. Print them?</translation>
    </message>
    <message>
        <source>&#x3000;%1/%2枚</source>
        <translation>  sheet %1/%2</translation>
    </message>
    <message>
        <source>%1/%2 (列%3・行%4)&#x3000;点線の間を隣のページと重ねて貼る</source>
        <translation>%1/%2 (column %3, row %4)  overlap the dotted margin with the next page</translation>
    </message>
    <message>
        <source>左端の弦 %1</source>
        <translation>Leftmost string %1</translation>
    </message>
    <message>
        <source>右端の弦 %1</source>
        <translation>Rightmost string %1</translation>
    </message>
    <message>
        <source>第%1小節から</source>
        <translation>from measure %1</translation>
    </message>
    <message>
        <source>冒頭へ</source>
        <translation>to the beginning</translation>
    </message>
    <message>
        <source>第%1小節へ</source>
        <translation>to measure %1</translation>
    </message>
    <message>
        <source>繰り返しを展開（記号がそろっていないため）</source>
        <translation>Repeats written out (their signs are incomplete)</translation>
    </message>
    <message>
        <source>繰り返しを展開（曲が長すぎるため）</source>
        <translation>Repeats written out (the tune is too long)</translation>
    </message>
    <message>
        <source>繰り返しを展開（線が弦の間に収まらないため）</source>
        <translation>Repeats written out (no room for the lines between the strings)</translation>
    </message>
    <message>
        <source>イオニア</source>
        <translation>Ionian</translation>
    </message>
    <message>
        <source>ドリア</source>
        <translation>Dorian</translation>
    </message>
    <message>
        <source>フリギア</source>
        <translation>Phrygian</translation>
    </message>
    <message>
        <source>リディア</source>
        <translation>Lydian</translation>
    </message>
    <message>
        <source>ミクソリディア</source>
        <translation>Mixolydian</translation>
    </message>
    <message>
        <source>エオリア</source>
        <translation>Aeolian</translation>
    </message>
    <message>
        <source>ロクリア</source>
        <translation>Locrian</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>メモリが不足しています。</source>
        <translation>Not enough memory.</translation>
    </message>
    <message>
        <source>パフォーマンスが低下しています。一旦終了して、再起動してください。</source>
        <translation>The program has slowed down. Please quit and start it again.</translation>
    </message>
    <message>
        <source>ファイルが見つかりませんでした。</source>
        <translation>The file was not found.</translation>
    </message>
    <message>
        <source>16進数のデータの記述に誤りがあります。</source>
        <translation>The hexadecimal data is written wrongly.</translation>
    </message>
    <message>
        <source>ファイルが開けませんでした。ファイルリストを絶対パスで記述してみてください。
あるいは、出力フォルダや作業フォルダの設定などを確認してください。</source>
        <translation>The file could not be opened. Try writing the file list with absolute paths,
or check the output and working folders.</translation>
    </message>
    <message>
        <source>データが大きすぎます。</source>
        <translation>The data is too large.</translation>
    </message>
    <message>
        <source>パラメータに誤りがあります。</source>
        <translation>A parameter is wrong.</translation>
    </message>
    <message>
        <source>カレントディレクトリが取得できませんでした。</source>
        <translation>The current folder could not be found.</translation>
    </message>
    <message>
        <source>ファイルサイズにエラーがあります。</source>
        <translation>The file size is wrong.</translation>
    </message>
    <message>
        <source>拍子にエラーがあります。</source>
        <translation>The time signature is wrong.</translation>
    </message>
    <message>
        <source>自動編曲中にエラーが発生しました。(1)</source>
        <translation>An error occurred while arranging. (1)</translation>
    </message>
    <message>
        <source>楽曲解析中にエラーが発生しました。</source>
        <translation>An error occurred while analysing the song.</translation>
    </message>
    <message>
        <source>自動編曲中にエラーが発生しました。(2)</source>
        <translation>An error occurred while arranging. (2)</translation>
    </message>
    <message>
        <source>BPM変換でエラーが発生しました。</source>
        <translation>An error occurred converting the BPM.</translation>
    </message>
    <message>
        <source>テンポ変換でエラーが発生しました。</source>
        <translation>An error occurred converting the tempo.</translation>
    </message>
    <message>
        <source>汎用処理でエラーが発生しました。</source>
        <translation>An error occurred.</translation>
    </message>
    <message>
        <source>この位置にその音価は設定できません。</source>
        <translation>That note value cannot stand here.</translation>
    </message>
    <message>
        <source>歌詞は６文字までです。２つの音符に分割して入力してください</source>
        <translation>Lyrics take up to 6 characters. Split them over two notes.</translation>
    </message>
    <message>
        <source>このデータは古いデータなのでこの機能では使用できません。</source>
        <translation>This data is old and cannot be used here.</translation>
    </message>
    <message>
        <source>楽曲情報でエラーがおきました。</source>
        <translation>An error occurred in the song data.</translation>
    </message>
    <message>
        <source>描画エラー。</source>
        <translation>Drawing error.</translation>
    </message>
    <message>
        <source>COffScreenPictureでエラーが発生しました。</source>
        <translation>An error occurred in COffScreenPicture.</translation>
    </message>
    <message>
        <source>旋律になる音符がありませんでした。</source>
        <translation>There were no notes for a melody.</translation>
    </message>
    <message>
        <source>曲が長すぎるため、1024拍を超える部分は省きました。</source>
        <translation>The song is too long: everything past 1024 beats was left out.</translation>
    </message>
    <message>
        <source>指定されたパートがありません。</source>
        <translation>The part given does not exist.</translation>
    </message>
    <message>
        <source>楽譜ファイルを読み込めませんでした。</source>
        <translation>The score file could not be read.</translation>
    </message>
    <message>
        <source>弦のない音符が%1個あります。楽譜には表示されません。</source>
        <translation>%1 notes have no string. They are not shown on the score.</translation>
    </message>
    <message>
        <source>指定された曲がありません。</source>
        <translation>The chosen tune does not exist.</translation>
    </message>
    <message>
        <source>指定されたトラックがありません。</source>
        <translation>The chosen track does not exist.</translation>
    </message>
    <message>
        <source>見本の曲をライブラリ（%1）にコピーできませんでした。</source>
        <translation>The sample tunes could not be copied into the library (%1).</translation>
    </message>
    <message>
        <source>曲が長すぎるため、%1拍を超える部分は省きました。</source>
        <translation>The tune is too long: everything after %1 beats was left out.</translation>
    </message>
</context>
<context>
    <name>PracticePanel</name>
    <message>
        <source>練習パネル</source>
        <translation>Practice</translation>
    </message>
    <message>
        <source>再生</source>
        <translation>Play</translation>
    </message>
    <message>
        <source> 拍/分</source>
        <translation> bpm</translation>
    </message>
    <message>
        <source>区間</source>
        <translation>Passage</translation>
    </message>
    <message>
        <source>～</source>
        <translation>–</translation>
    </message>
    <message>
        <source>ループ</source>
        <translation>Loop</translation>
    </message>
    <message>
        <source>カウントイン</source>
        <translation>Count-in</translation>
    </message>
    <message>
        <source>ループの度に</source>
        <translation>Every pass</translation>
    </message>
    <message>
        <source>メトロノーム</source>
        <translation>Metronome</translation>
    </message>
    <message>
        <source>メトロノームとカウントインの音量</source>
        <translation>Metronome and count-in volume</translation>
    </message>
    <message>
        <source>音量</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>鳴らす声部</source>
        <translation>Voices heard</translation>
    </message>
    <message>
        <source>第8888小節 / 8888</source>
        <translation>Measure 8888 / 8888</translation>
    </message>
    <message>
        <source>画面に小節番号</source>
        <translation>Measure no.</translation>
    </message>
    <message>
        <source>ポインタ</source>
        <translation>Pointer</translation>
    </message>
    <message>
        <source>再生中</source>
        <translation>Playing</translation>
    </message>
    <message>
        <source>テンポ</source>
        <translation>Tempo</translation>
    </message>
    <message>
        <source>小節</source>
        <translation>Measures</translation>
    </message>
    <message>
        <source>調</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
</context>
<context>
    <name>PrintTarget</name>
    <message>
        <source>PDFとして保存</source>
        <translation>Save as PDF</translation>
    </message>
</context>
<context>
    <name>RenderCommand</name>
    <message>
        <source>%1 (--help tells the usage)</source>
        <translation>%1 (--help tells the usage)</translation>
    </message>
</context>
<context>
    <name>RenderOptions</name>
    <message>
        <source>--settings needs a file</source>
        <translation>--settings needs a file</translation>
    </message>
    <message>
        <source>--measures needs FIRST-LAST</source>
        <translation>--measures needs FIRST-LAST</translation>
    </message>
    <message>
        <source>--tuning needs chromatic, C, G, D, F or Bb</source>
        <translation>--tuning needs chromatic, C, G, D, F or Bb</translation>
    </message>
    <message>
        <source>--strings needs a count from 5 to 37</source>
        <translation>--strings needs a count from 5 to 37</translation>
    </message>
    <message>
        <source>--lowest needs a note number or a name such as G3</source>
        <translation>--lowest needs a note number or a name such as G3</translation>
    </message>
    <message>
        <source>--paper needs A3, A4, B4 or Letter</source>
        <translation>--paper needs A3, A4, B4 or Letter</translation>
    </message>
    <message>
        <source>--spacing needs fit or millimetres from 5.0 to 20.0 with at most one decimal</source>
        <translation>--spacing needs fit or millimetres from 5.0 to 20.0 with at most one decimal</translation>
    </message>
    <message>
        <source>--colour needs on or off</source>
        <translation>--colour needs on or off</translation>
    </message>
    <message>
        <source>--player needs melody, 2, 3, 4, acc or all</source>
        <translation>--player needs melody, 2, 3, 4, acc or all</translation>
    </message>
    <message>
        <source>--others needs faint or hide</source>
        <translation>--others needs faint or hide</translation>
    </message>
    <message>
        <source>--repeats needs lines or written</source>
        <translation>--repeats needs lines or written</translation>
    </message>
    <message>
        <source>--harp needs one of 37, 25, 21, 18 or 15G</source>
        <translation>--harp needs one of 37, 25, 21, 18 or 15G</translation>
    </message>
    <message>
        <source>give only one of --part, --tune and --track</source>
        <translation>give only one of --part, --tune and --track</translation>
    </message>
    <message>
        <source>--voices needs ROLE=N[,ROLE=N...] with the roles melody, 2, 3, 4 and acc</source>
        <translation>--voices needs ROLE=N[,ROLE=N...] with the roles melody, 2, 3, 4 and acc</translation>
    </message>
    <message>
        <source>--write-mwd needs a file</source>
        <translation>--write-mwd needs a file</translation>
    </message>
    <message>
        <source>--title needs a text</source>
        <translation>--title needs a text</translation>
    </message>
    <message>
        <source>--fame needs a number from 0 to 255</source>
        <translation>--fame needs a number from 0 to 255</translation>
    </message>
    <message>
        <source>--audio needs a file</source>
        <translation>--audio needs a file</translation>
    </message>
    <message>
        <source>--tempo needs a percentage from 25 to 200 in steps of 5</source>
        <translation>--tempo needs a percentage from 25 to 200 in steps of 5</translation>
    </message>
    <message>
        <source>--loop needs a number of passes from 1 to 99</source>
        <translation>--loop needs a number of passes from 1 to 99</translation>
    </message>
    <message>
        <source>--transpose needs semitones from -48 to 48</source>
        <translation>--transpose needs semitones from -48 to 48</translation>
    </message>
    <message>
        <source>--key needs a key name such as G, Bb or Em</source>
        <translation>--key needs a key name such as G, Bb or Em</translation>
    </message>
    <message>
        <source>--language needs ja, en or de</source>
        <translation>--language needs ja, en or de</translation>
    </message>
    <message>
        <source>--paper applies to OUTPUT.pdf and --info only</source>
        <translation>--paper applies to OUTPUT.pdf and --info only</translation>
    </message>
    <message>
        <source>--landscape and --portrait apply to OUTPUT.pdf and --info only</source>
        <translation>--landscape and --portrait apply to OUTPUT.pdf and --info only</translation>
    </message>
    <message>
        <source>give --landscape or --portrait, not both</source>
        <translation>give --landscape or --portrait, not both</translation>
    </message>
    <message>
        <source>--spacing applies to OUTPUT.pdf, OUTPUT.svg and --info only</source>
        <translation>--spacing applies to OUTPUT.pdf, OUTPUT.svg and --info only</translation>
    </message>
    <message>
        <source>--others applies to --player only</source>
        <translation>--others applies to --player only</translation>
    </message>
    <message>
        <source>--player applies to OUTPUT.pdf, OUTPUT.svg and --info only</source>
        <translation>--player applies to OUTPUT.pdf, OUTPUT.svg and --info only</translation>
    </message>
    <message>
        <source>--player all applies to OUTPUT.pdf: an SVG holds one sheet</source>
        <translation>--player all applies to OUTPUT.pdf: an SVG holds one sheet</translation>
    </message>
    <message>
        <source>--harp already sets the strings: give it without --tuning, --strings and --lowest</source>
        <translation>--harp already sets the strings: give it without --tuning, --strings and --lowest</translation>
    </message>
    <message>
        <source>--write-mwd must not name SONG itself</source>
        <translation>--write-mwd must not name SONG itself</translation>
    </message>
    <message>
        <source>OUTPUT must not be SONG itself</source>
        <translation>OUTPUT must not be SONG itself</translation>
    </message>
    <message>
        <source>give --transpose or --key, not both</source>
        <translation>give --transpose or --key, not both</translation>
    </message>
    <message>
        <source>--tempo, --count-in, --metronome, --from, --to and --loop apply to --audio only</source>
        <translation>--tempo, --count-in, --metronome, --from, --to and --loop apply to --audio only</translation>
    </message>
    <message>
        <source>--audio must name a file of its own</source>
        <translation>--audio must name a file of its own</translation>
    </message>
    <message>
        <source>usage: dovrelplinvara-render [--settings FILE] [--tuning chromatic|C|G|D|F|Bb] [--strings N]
                             [--lowest NOTE] [--harp NAME] [--measures FIRST-LAST|all] [--zoom Z]
                             [--spacing MM|fit] [--paper A3|A4|B4|Letter] [--landscape|--portrait]
                             [--lyrics on|off] [--chords on|off] [--measure-numbers on|off] [--counts on|off]
                             [--colour on|off] [--player ROLE|all [--others faint|hide]]
                             [--repeats lines|written] [--transpose N | --key NAME]
                             [--part N | --tune N | --track N] [--voices ROLE=N[@SHIFT][,...]]
                             [--write-mwd OUT.mwd [--title TEXT] [--fame N]]
                             [--audio OUT.wav [--tempo PERCENT] [--count-in on|off] [--metronome on|off]
                                              [--from MEASURE] [--to MEASURE] [--loop N]]
                             [--language ja|en|de] [--info] [--notes] [--events]
                             SONG [OUTPUT.png | OUTPUT.pdf | OUTPUT.svg]
  Draws the score of SONG (a song file or a score) as the main window would: OUTPUT.png
  is the picture (at --zoom, 0.1-4, as the screen shows it), OUTPUT.pdf the pages the print
  command makes on --paper (A3, the default: one page; A4: the A3 sheet at its scale over two pages),
  OUTPUT.svg the A3 sheet on one page. SONG may also be an ABC collection or a MIDI file.
  --part N reads part N (from 1) of a MusicXML score, --tune N the ABC tune X:N, --track N
  track N (from 1) of a MIDI file, instead of the first with notes.
  --voices draws the file&apos;s voices N (numbered as --info lists them in voice.N) in the roles
  melody, 2, 3, 4 and acc (the accompaniment); acc=chords makes the accompaniment from the
  chord names, acc=chords:PATTERN in a pattern: root, root-fifth (the default), bass-chord,
  broken or block. @SHIFT moves that voice alone by octaves (-36, -24, -12, 12, 24 or 36
  semitones): 4=3@-12. --write-mwd writes the song as read, before fitting, as a song file; --title
  and --fame (0-255) set the title and fame level the library lists it under.
  --info writes the song&apos;s facts as key=value lines (with --paper, --landscape, --portrait or
  --spacing also the sheets and pages of the PDF), --notes one line per laid-out note:
  time, pitch and length in time units (a sixth of a beat), separated by TABs. --events one
  line per drawn onset of every voice: onset and length as fractions of a whole note from the
  first full measure (a pickup&apos;s onsets negative), the pitches (comma-separated), the role
  and the syllable, separated by TABs.
  --tuning, --strings and --lowest (a note number or a name such as G3) describe the harp
  instead of the settings file: a chromatic harp or one tuned to a major scale. --harp NAME
  takes a harp players know (37, 25, 21, 18 or 15G) with its strings, tuning and spacing.
  --spacing MM (5.0-20.0) draws the sheet at the scale where neighbouring strings stand MM
  apart on paper: OUTPUT.pdf on as many sheets as the harp&apos;s strings take, each on one page of
  --paper where the strings fit across it (turned when only that fits, unless --landscape or
  --portrait says), OUTPUT.svg on one page of the sheet&apos;s size; fit, the default, fits the
  sheet to A3. --measures all takes the whole song.
  --lyrics, --chords and --measure-numbers show or hide the words beside the notes, the chord
  names and the measure marks with their numbers on the sheet (on, off and on by default);
  --info tells in lyrics_left_out how many words found no room on it. --counts on puts the
  beat beside each note on a beat and + beside one on the half beat, on the sheet at scale.
  --colour on draws each voice in its colour on paper too, as the screen does (off by default).
  --player ROLE (melody, 2, 3, 4 or acc, a role the sheet draws) draws the sheet for the
  player of that voice: the same layout, that voice as on the group&apos;s sheet and the others
  thin and light grey (--others faint, the default) or left out (--others hide); the legend
  names the part. --player all gives every drawn voice&apos;s player a sheet, one after the
  other, in OUTPUT.pdf.
  --repeats lines (the default) draws a score&apos;s repeats, endings, D.C. and D.S. once, with a
  line for each jump, and counts the written measures; written draws the tune as played.
  --transpose N (-48-48) moves the song N semitones from the key it is written in, instead of
  fitting it to the strings; --key NAME (G, Bb, Em...) takes the transposition that gives that
  key, at the octave that leaves the fewest notes without a string. --info tells in keys= each
  key with the notes its harp lacks in it (C:0,D:0,Eb:3,...).
  --audio writes the shown measures as the window plays them, on the harp of the distribution&apos;s
  General MIDI soundfont, as 16-bit PCM at 44.1 kHz; --tempo (25-200 in steps of 5, 100 by
  default) is the percentage of the song&apos;s tempo. --count-in plays one measure of clicks
  before the tune, --metronome clicks its beats; --from and --to play that passage instead
  (measures counted as --measures counts them), --loop N plays it N times.
  --language ja, en or de gives the messages, this usage and the sheet&apos;s legend in Japanese
  (the default), English or German.
</source>
        <translation>usage: dovrelplinvara-render [--settings FILE] [--tuning chromatic|C|G|D|F|Bb] [--strings N]
                             [--lowest NOTE] [--harp NAME] [--measures FIRST-LAST|all] [--zoom Z]
                             [--spacing MM|fit] [--paper A3|A4|B4|Letter] [--landscape|--portrait]
                             [--lyrics on|off] [--chords on|off] [--measure-numbers on|off] [--counts on|off]
                             [--colour on|off] [--player ROLE|all [--others faint|hide]]
                             [--repeats lines|written] [--transpose N | --key NAME]
                             [--part N | --tune N | --track N] [--voices ROLE=N[@SHIFT][,...]]
                             [--write-mwd OUT.mwd [--title TEXT] [--fame N]]
                             [--audio OUT.wav [--tempo PERCENT] [--count-in on|off] [--metronome on|off]
                                              [--from MEASURE] [--to MEASURE] [--loop N]]
                             [--language ja|en|de] [--info] [--notes] [--events]
                             SONG [OUTPUT.png | OUTPUT.pdf | OUTPUT.svg]
  Draws the score of SONG (a song file or a score) as the main window would: OUTPUT.png
  is the picture (at --zoom, 0.1-4, as the screen shows it), OUTPUT.pdf the pages the print
  command makes on --paper (A3, the default: one page; A4: the A3 sheet at its scale over two pages),
  OUTPUT.svg the A3 sheet on one page. SONG may also be an ABC collection or a MIDI file.
  --part N reads part N (from 1) of a MusicXML score, --tune N the ABC tune X:N, --track N
  track N (from 1) of a MIDI file, instead of the first with notes.
  --voices draws the file&apos;s voices N (numbered as --info lists them in voice.N) in the roles
  melody, 2, 3, 4 and acc (the accompaniment); acc=chords makes the accompaniment from the
  chord names, acc=chords:PATTERN in a pattern: root, root-fifth (the default), bass-chord,
  broken or block. @SHIFT moves that voice alone by octaves (-36, -24, -12, 12, 24 or 36
  semitones): 4=3@-12. --write-mwd writes the song as read, before fitting, as a song file; --title
  and --fame (0-255) set the title and fame level the library lists it under.
  --info writes the song&apos;s facts as key=value lines (with --paper, --landscape, --portrait or
  --spacing also the sheets and pages of the PDF), --notes one line per laid-out note:
  time, pitch and length in time units (a sixth of a beat), separated by TABs. --events one
  line per drawn onset of every voice: onset and length as fractions of a whole note from the
  first full measure (a pickup&apos;s onsets negative), the pitches (comma-separated), the role
  and the syllable, separated by TABs.
  --tuning, --strings and --lowest (a note number or a name such as G3) describe the harp
  instead of the settings file: a chromatic harp or one tuned to a major scale. --harp NAME
  takes a harp players know (37, 25, 21, 18 or 15G) with its strings, tuning and spacing.
  --spacing MM (5.0-20.0) draws the sheet at the scale where neighbouring strings stand MM
  apart on paper: OUTPUT.pdf on as many sheets as the harp&apos;s strings take, each on one page of
  --paper where the strings fit across it (turned when only that fits, unless --landscape or
  --portrait says), OUTPUT.svg on one page of the sheet&apos;s size; fit, the default, fits the
  sheet to A3. --measures all takes the whole song.
  --lyrics, --chords and --measure-numbers show or hide the words beside the notes, the chord
  names and the measure marks with their numbers on the sheet (on, off and on by default);
  --info tells in lyrics_left_out how many words found no room on it. --counts on puts the
  beat beside each note on a beat and + beside one on the half beat, on the sheet at scale.
  --colour on draws each voice in its colour on paper too, as the screen does (off by default).
  --player ROLE (melody, 2, 3, 4 or acc, a role the sheet draws) draws the sheet for the
  player of that voice: the same layout, that voice as on the group&apos;s sheet and the others
  thin and light grey (--others faint, the default) or left out (--others hide); the legend
  names the part. --player all gives every drawn voice&apos;s player a sheet, one after the
  other, in OUTPUT.pdf.
  --repeats lines (the default) draws a score&apos;s repeats, endings, D.C. and D.S. once, with a
  line for each jump, and counts the written measures; written draws the tune as played.
  --transpose N (-48-48) moves the song N semitones from the key it is written in, instead of
  fitting it to the strings; --key NAME (G, Bb, Em...) takes the transposition that gives that
  key, at the octave that leaves the fewest notes without a string. --info tells in keys= each
  key with the notes its harp lacks in it (C:0,D:0,Eb:3,...).
  --audio writes the shown measures as the window plays them, on the harp of the distribution&apos;s
  General MIDI soundfont, as 16-bit PCM at 44.1 kHz; --tempo (25-200 in steps of 5, 100 by
  default) is the percentage of the song&apos;s tempo. --count-in plays one measure of clicks
  before the tune, --metronome clicks its beats; --from and --to play that passage instead
  (measures counted as --measures counts them), --loop N plays it N times.
  --language ja, en or de gives the messages, this usage and the sheet&apos;s legend in Japanese
  (the default), English or German.
</translation>
    </message>
</context>
<context>
    <name>ScoreImport</name>
    <message>
        <source>パートの選択</source>
        <translation>Choose the parts</translation>
    </message>
    <message>
        <source>曲の選択</source>
        <translation>Choose a tune</translation>
    </message>
    <message>
        <source>トラックの選択</source>
        <translation>Choose a track</translation>
    </message>
    <message>
        <source>楽譜ファイル</source>
        <translation>Score files</translation>
    </message>
    <message>
        <source>すべてのファイル</source>
        <translation>All files</translation>
    </message>
    <message>
        <source>チャンネル %1</source>
        <translation>Channel %1</translation>
    </message>
    <message>
        <source>トラック %1</source>
        <translation>Track %1</translation>
    </message>
    <message>
        <source> 上段</source>
        <translation> upper staff</translation>
    </message>
    <message>
        <source> 下段</source>
        <translation> lower staff</translation>
    </message>
    <message>
        <source> 第%1段</source>
        <translation> staff %1</translation>
    </message>
    <message>
        <source> 声部%1</source>
        <translation> voice %1</translation>
    </message>
    <message>
        <source>パート %1</source>
        <translation>Part %1</translation>
    </message>
    <message>
        <source>%1 (%2音)</source>
        <translation>%1 (%2 notes)</translation>
    </message>
    <message>
        <source>%1 (%2音, %3–%4)</source>
        <translation>%1 (%2 notes, %3–%4)</translation>
    </message>
    <message>
        <source>コードから</source>
        <translation>From chords</translation>
    </message>
</context>
<context>
    <name>ScorePlayback</name>
    <message>
        <source>音声を再生できる装置が見つかりません。</source>
        <translation>No device to play sound on was found.</translation>
    </message>
    <message>
        <source>音色ファイル（サウンドフォント）が見つかりません。</source>
        <translation>No sound file (soundfont) was found.</translation>
    </message>
    <message>
        <source>sound.ini の音色ファイル（サウンドフォント）「%s」を読み込めないため、インストールされている音色ファイルで再生します。</source>
        <translation>The soundfont &quot;%s&quot; named in sound.ini cannot be read; the installed soundfont plays instead.</translation>
    </message>
</context>
<context>
    <name>SongVoices</name>
    <message>
        <source>旋律</source>
        <translation>Melody</translation>
    </message>
    <message>
        <source>第2声</source>
        <translation>Voice 2</translation>
    </message>
    <message>
        <source>第3声</source>
        <translation>Voice 3</translation>
    </message>
    <message>
        <source>第4声</source>
        <translation>Voice 4</translation>
    </message>
    <message>
        <source>伴奏</source>
        <translation>Accomp.</translation>
    </message>
</context>
<context>
    <name>TuneSheets</name>
    <message>
        <source>用紙「%1」の%2（パート%3）がこの曲にないため、パートの選択は変えずに用紙を使います。</source>
        <translation>The %2 (part %3) of sheet &quot;%1&quot; is not in this tune; the sheet is used with the parts as chosen.</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>%1行目「%2」</source>
        <translation>line %1 &quot;%2&quot;</translation>
    </message>
    <message>
        <source>ほか%1行</source>
        <translation> and %1 more lines</translation>
    </message>
    <message>
        <source>この曲の用紙ファイル「%1」の%2は値を読めないため、使わずに開きます。</source>
        <translation>In the tune&apos;s sheet file &quot;%1&quot;, %2 cannot be read and are left unused.</translation>
    </message>
    <message>
        <source>この曲の用紙ファイル「%1」は%2 KiBを超えられないため、用紙を保存できませんでした。</source>
        <translation>The tune&apos;s sheet file &quot;%1&quot; cannot grow past %2 KiB; the sheet was not saved.</translation>
    </message>
    <message>
        <source>この曲の用紙ファイル「%1」には用紙が%2までしか入らないため、用紙を保存できませんでした。</source>
        <translation>The tune&apos;s sheet file &quot;%1&quot; holds at most %2 sheets; the sheet was not saved.</translation>
    </message>
</context>
</TS>
