<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="ja">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>DovrelPlinvaraのﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>Über DovrelPlinvara</translation>
    </message>
    <message>
        <source>DovrelPlinvara  ハープ用図形楽譜</source>
        <translation>DovrelPlinvara  Tischharfe</translation>
    </message>
</context>
<context>
    <name>CArchiveDlg</name>
    <message>
        <source>読み込み</source>
        <translation>   Öffnen</translation>
    </message>
    <message>
        <source>取り消し</source>
        <translation>  Abbrechen</translation>
    </message>
    <message>
        <source>ライブラリ</source>
        <translation>Bibliothek</translation>
    </message>
    <message>
        <source>全て表示</source>
        <translation>Alle Lieder</translation>
    </message>
    <message>
        <source>知名度低いものも表示</source>
        <translation>Auch wenig bekannte</translation>
    </message>
    <message>
        <source>有名曲のみ表示</source>
        <translation>Nur bekannte</translation>
    </message>
    <message>
        <source>超有名曲のみ表示</source>
        <translation>Nur sehr bekannte</translation>
    </message>
    <message>
        <source>「%1」をライブラリ（%2）に追加しました。</source>
        <translation>„%1“ wurde der Bibliothek (%2) hinzugefügt.</translation>
    </message>
    <message>
        <source>ライブラリを開くと「%1」の一覧に表示されます。</source>
        <translation> Die Bibliothek zeigt es unter „%1“.</translation>
    </message>
    <message>
        <source>知名度が%1のため、ライブラリで「%2」を選ぶと一覧に表示されます。</source>
        <translation> Mit Bekanntheit %1 zeigt die Bibliothek es, wenn „%2“ gewählt ist.</translation>
    </message>
</context>
<context>
    <name>CConfigDlg</name>
    <message>
        <source>設定</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>楽器の設定</source>
        <translation>Harfe</translation>
    </message>
    <message>
        <source>弦の数</source>
        <translation>Saiten</translation>
    </message>
    <message>
        <source>最低音</source>
        <translation>Tiefste</translation>
    </message>
    <message>
        <source>調弦</source>
        <translation>Stimmung</translation>
    </message>
    <message>
        <source>楽器</source>
        <translation>Harfe</translation>
    </message>
    <message>
        <source>描画の設定</source>
        <translation>Darstellung</translation>
    </message>
    <message>
        <source>線の間隔</source>
        <translation>Abstand</translation>
    </message>
    <message>
        <source>左端調整</source>
        <translation>Linker Rand</translation>
    </message>
    <message>
        <source>縦サイズ</source>
        <translation>Höhe</translation>
    </message>
    <message>
        <source>表示倍率</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>用紙の弦間隔</source>
        <translation>Auf Papier</translation>
    </message>
    <message>
        <source>用紙に合わせる</source>
        <translation>ans Papier</translation>
    </message>
    <message>
        <source>用紙</source>
        <translation>Blatt</translation>
    </message>
    <message>
        <source>用紙に表示</source>
        <translation>Auf dem Blatt</translation>
    </message>
    <message>
        <source>歌詞</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>コード</source>
        <translation>Akkord</translation>
    </message>
    <message>
        <source>小節番号</source>
        <translation>Taktzahlen</translation>
    </message>
    <message>
        <source>カウント</source>
        <translation>Zählzeiten</translation>
    </message>
    <message>
        <source>繰り返し</source>
        <translation>Wdh.</translation>
    </message>
    <message>
        <source>線で示す</source>
        <translation>als Linien</translation>
    </message>
    <message>
        <source>展開する</source>
        <translation>ausgeschrieben</translation>
    </message>
    <message>
        <source>言語</source>
        <translation>Sprache</translation>
    </message>
    <message>
        <source>    閉じる</source>
        <translation>  Schließen</translation>
    </message>
    <message>
        <source>37弦 (G2–G5)</source>
        <translation>37 Saiten (G2–G5)</translation>
    </message>
    <message>
        <source>25弦 (G3–G5)</source>
        <translation>25 Saiten (G3–G5)</translation>
    </message>
    <message>
        <source>21弦 (A3–F5)</source>
        <translation>21 Saiten (A3–F5)</translation>
    </message>
    <message>
        <source>18弦 (B3–E5)</source>
        <translation>18 Saiten (H3–E5)</translation>
    </message>
    <message>
        <source>15弦 ト長調 (G3–G5)</source>
        <translation>15 Saiten G (G3–G5)</translation>
    </message>
    <message>
        <source>その他</source>
        <translation>Andere</translation>
    </message>
    <message>
        <source>半音階</source>
        <translation>Chromatisch</translation>
    </message>
    <message>
        <source>全音階 ハ長調</source>
        <translation>Diatonisch C-Dur</translation>
    </message>
    <message>
        <source>全音階 ト長調</source>
        <translation>Diatonisch G-Dur</translation>
    </message>
    <message>
        <source>全音階 ニ長調</source>
        <translation>Diatonisch D-Dur</translation>
    </message>
    <message>
        <source>全音階 ヘ長調</source>
        <translation>Diatonisch F-Dur</translation>
    </message>
    <message>
        <source>全音階 変ロ長調</source>
        <translation>Diatonisch B-Dur</translation>
    </message>
    <message>
        <source>色分け</source>
        <translation>Farben</translation>
    </message>
</context>
<context>
    <name>CDovrelPlinvaraDlg</name>
    <message>
        <source>    終 了</source>
        <translation>   Beenden</translation>
    </message>
    <message>
        <source>    設 定</source>
        <translation>  Optionen</translation>
    </message>
    <message>
        <source>    読 込</source>
        <translation>    Öffnen</translation>
    </message>
    <message>
        <source>    印 刷</source>
        <translation>   Drucken</translation>
    </message>
    <message>
        <source>&#x3000; ﾗｲﾌﾞﾗﾘ</source>
        <translation>  Bibliothek</translation>
    </message>
    <message>
        <source>ハープ用図形楽譜</source>
        <translation>Notenblätter für die Tischharfe</translation>
    </message>
    <message>
        <source>開始小節</source>
        <translation>Erster Takt</translation>
    </message>
    <message>
        <source>終了小節</source>
        <translation>Letzter Takt</translation>
    </message>
    <message>
        <source>パートの選択(&amp;R)...</source>
        <translation>Stimmen &amp;wählen...</translation>
    </message>
    <message>
        <source>ライブラリに追加(&amp;B)...</source>
        <translation>Zur Bibliothek hinzufügen (&amp;B)...</translation>
    </message>
    <message>
        <source>印刷プレビュー(&amp;V)...</source>
        <translation>Druck&amp;vorschau...</translation>
    </message>
    <message>
        <source>全曲を印刷(&amp;W)...</source>
        <translation>&amp;Ganzes Lied drucken...</translation>
    </message>
    <message>
        <source>全曲の印刷プレビュー(&amp;O)...</source>
        <translation>Vorschau ganzes Lied (&amp;O)...</translation>
    </message>
    <message>
        <source>全員の用紙を印刷(&amp;Y)...</source>
        <translation>Blätter aller Spieler &amp;drucken...</translation>
    </message>
    <message>
        <source>全員の用紙の印刷プレビュー(&amp;Z)...</source>
        <translation>Vorschau aller Spielerblätter (&amp;Z)...</translation>
    </message>
    <message>
        <source>DovrelPlinvara のﾊﾞｰｼﾞｮﾝ情報(&amp;A)...</source>
        <translation>Über DovrelPlinvara (&amp;A)...</translation>
    </message>
    <message>
        <source>印刷プレビュー</source>
        <translation>Druckvorschau</translation>
    </message>
    <message>
        <source>停止(&amp;P)</source>
        <translation>Sto&amp;pp</translation>
    </message>
    <message>
        <source>再生(&amp;P)</source>
        <translation>Abs&amp;pielen</translation>
    </message>
    <message>
        <source>テンポ(&amp;T)</source>
        <translation>&amp;Tempo</translation>
    </message>
    <message>
        <source>その他(&amp;O)...</source>
        <translation>&amp;Andere...</translation>
    </message>
    <message>
        <source>ループ(&amp;L)</source>
        <translation>Sch&amp;leife</translation>
    </message>
    <message>
        <source>練習パネル(&amp;N)...</source>
        <translation>Übungsfeld (&amp;N)...</translation>
    </message>
    <message>
        <source>調(&amp;K)</source>
        <translation>Tonart (&amp;K)</translation>
    </message>
    <message>
        <source>テンポ</source>
        <translation>Tempo</translation>
    </message>
    <message>
        <source>テンポ（25～200 %）:</source>
        <translation>Tempo (25–200 %):</translation>
    </message>
    <message>
        <source>調</source>
        <translation>Tonart</translation>
    </message>
    <message>
        <source>調:</source>
        <translation>Tonart:</translation>
    </message>
    <message>
        <source>カウントイン(&amp;C)</source>
        <translation>Einzählen (&amp;C)</translation>
    </message>
    <message>
        <source>ループの度にカウントイン(&amp;E)</source>
        <translation>Bei jedem Durchlauf &amp;einzählen</translation>
    </message>
    <message>
        <source>メトロノーム(&amp;M)</source>
        <translation>&amp;Metronom</translation>
    </message>
    <message>
        <source>メロディを消音(&amp;U)</source>
        <translation>Melodie st&amp;umm</translation>
    </message>
    <message>
        <source>画面を追って最後まで再生(&amp;F)</source>
        <translation>Bis zum Ende spielen und &amp;folgen</translation>
    </message>
    <message>
        <source>区間の選択を解除(&amp;X)</source>
        <translation>Abschnitt aufheben (&amp;X)</translation>
    </message>
    <message>
        <source>画面に小節番号(&amp;I)</source>
        <translation>Taktnummern anze&amp;igen</translation>
    </message>
    <message>
        <source>行目</source>
        <translation>. Zeile</translation>
    </message>
    <message>
        <source>「%1」で使わなかった値: %2</source>
        <translation>Nicht verwendete Werte aus „%1“: %2</translation>
    </message>
    <message>
        <source>用紙(&amp;S)</source>
        <translation>Blatt (&amp;S)</translation>
    </message>
    <message>
        <source>この用紙を保存(&amp;S)...</source>
        <translation>Dieses Blatt &amp;speichern...</translation>
    </message>
    <message>
        <source>既定の用紙にする(&amp;D)</source>
        <translation>Als Stan&amp;dard</translation>
    </message>
    <message>
        <source>ライブラリに追加</source>
        <translation>Zur Bibliothek hinzufügen</translation>
    </message>
    <message>
        <source>曲名</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>知名度 (0～255)</source>
        <translation>Bekanntheit (0–255)</translation>
    </message>
    <message>
        <source>用紙の保存</source>
        <translation>Blatt speichern</translation>
    </message>
    <message>
        <source>用紙の名前:</source>
        <translation>Name des Blatts:</translation>
    </message>
    <message>
        <source>第%1小節 / %2</source>
        <translation>Takt %1 / %2</translation>
    </message>
    <message>
        <source>%1拍/分</source>
        <translation>%1 Schläge/min</translation>
    </message>
    <message>
        <source>用紙の選択</source>
        <translation>Blatt wählen</translation>
    </message>
    <message>
        <source>開く用紙:</source>
        <translation>Zu öffnendes Blatt:</translation>
    </message>
    <message>
        <source>この曲の用紙ファイル「%1」を読めないため、用紙を使わずに開きます。</source>
        <translation>Die Blattdatei „%1“ des Stücks ist nicht lesbar; das Stück öffnet ohne seine Blätter.</translation>
    </message>
    <message>
        <source>自動（既定） </source>
        <translation>Automatisch (Standard) </translation>
    </message>
    <message>
        <source>曲名を入力してください。</source>
        <translation>Bitte geben Sie den Titel des Stücks ein.</translation>
    </message>
    <message>
        <source>（既定）</source>
        <translation> (Standard)</translation>
    </message>
    <message>
        <source>「%1」をライブラリ（%2）に追加できませんでした。</source>
        <translation>„%1“ konnte nicht zur Bibliothek (%2) hinzugefügt werden.</translation>
    </message>
    <message>
        <source>奏者の用紙(&amp;G)</source>
        <translation>Blätter der Spiele&amp;r</translation>
    </message>
    <message>
        <source>全員で一枚(&amp;A)</source>
        <translation>Ein Blatt für &amp;alle</translation>
    </message>
    <message>
        <source>全員の用紙(&amp;E)</source>
        <translation>Ein Blatt für &amp;jeden</translation>
    </message>
    <message>
        <source>ほかの声部を省く(&amp;H)</source>
        <translation>Andere Stimmen &amp;weglassen</translation>
    </message>
    <message>
        <source>練習用</source>
        <translation>Übung</translation>
    </message>
</context>
<context>
    <name>CMelodyChoiceDlg</name>
    <message>
        <source>キャンセル</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>CPrintPicture</name>
    <message>
        <source>プリンタで設定されている用紙サイズに誤りがあります。・</source>
        <translation>Die am Drucker eingestellte Papiergröße ist falsch.</translation>
    </message>
</context>
<context>
    <name>CVoiceRolesDlg</name>
    <message>
        <source>なし</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>コードから</source>
        <translation>Aus Akkorden</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>オクターブ</source>
        <translation>Oktave</translation>
    </message>
</context>
<context>
    <name>ChordPattern</name>
    <message>
        <source>根音</source>
        <translation>Grundton</translation>
    </message>
    <message>
        <source>根音と5度</source>
        <translation>Grundton und Quinte</translation>
    </message>
    <message>
        <source>ベースと和音</source>
        <translation>Bass und Akkord</translation>
    </message>
    <message>
        <source>分散和音</source>
        <translation>Gebrochener Akkord</translation>
    </message>
    <message>
        <source>和音</source>
        <translation>Akkord</translation>
    </message>
</context>
<context>
    <name>Key</name>
    <message>
        <source>全音が弦にある</source>
        <translation>alle Noten auf Saiten</translation>
    </message>
    <message>
        <source>%1音不足</source>
        <translation>%1 Noten fehlen</translation>
    </message>
    <message>
        <source>ハ長調</source>
        <translation>C-Dur</translation>
    </message>
    <message>
        <source>ト長調</source>
        <translation>G-Dur</translation>
    </message>
    <message>
        <source>ニ長調</source>
        <translation>D-Dur</translation>
    </message>
    <message>
        <source>イ長調</source>
        <translation>A-Dur</translation>
    </message>
    <message>
        <source>ホ長調</source>
        <translation>E-Dur</translation>
    </message>
    <message>
        <source>ロ長調</source>
        <translation>H-Dur</translation>
    </message>
    <message>
        <source>嬰ヘ長調</source>
        <translation>Fis-Dur</translation>
    </message>
    <message>
        <source>嬰ハ長調</source>
        <translation>Cis-Dur</translation>
    </message>
    <message>
        <source>ヘ長調</source>
        <translation>F-Dur</translation>
    </message>
    <message>
        <source>変ロ長調</source>
        <translation>B-Dur</translation>
    </message>
    <message>
        <source>変ホ長調</source>
        <translation>Es-Dur</translation>
    </message>
    <message>
        <source>変イ長調</source>
        <translation>As-Dur</translation>
    </message>
    <message>
        <source>変ニ長調</source>
        <translation>Des-Dur</translation>
    </message>
    <message>
        <source>変ト長調</source>
        <translation>Ges-Dur</translation>
    </message>
    <message>
        <source>変ハ長調</source>
        <translation>Ces-Dur</translation>
    </message>
    <message>
        <source>イ短調</source>
        <translation>a-Moll</translation>
    </message>
    <message>
        <source>ホ短調</source>
        <translation>e-Moll</translation>
    </message>
    <message>
        <source>ロ短調</source>
        <translation>h-Moll</translation>
    </message>
    <message>
        <source>嬰ヘ短調</source>
        <translation>fis-Moll</translation>
    </message>
    <message>
        <source>嬰ハ短調</source>
        <translation>cis-Moll</translation>
    </message>
    <message>
        <source>嬰ト短調</source>
        <translation>gis-Moll</translation>
    </message>
    <message>
        <source>嬰ニ短調</source>
        <translation>dis-Moll</translation>
    </message>
    <message>
        <source>嬰イ短調</source>
        <translation>ais-Moll</translation>
    </message>
    <message>
        <source>ニ短調</source>
        <translation>d-Moll</translation>
    </message>
    <message>
        <source>ト短調</source>
        <translation>g-Moll</translation>
    </message>
    <message>
        <source>ハ短調</source>
        <translation>c-Moll</translation>
    </message>
    <message>
        <source>ヘ短調</source>
        <translation>f-Moll</translation>
    </message>
    <message>
        <source>変ロ短調</source>
        <translation>b-Moll</translation>
    </message>
    <message>
        <source>変ホ短調</source>
        <translation>es-Moll</translation>
    </message>
    <message>
        <source>変イ短調</source>
        <translation>as-Moll</translation>
    </message>
</context>
<context>
    <name>Legend</name>
    <message>
        <source>歌詞</source>
        <translation>Liedtext</translation>
    </message>
    <message>
        <source>コード</source>
        <translation>Akkorde</translation>
    </message>
    <message>
        <source>小節番号</source>
        <translation>Taktzahlen</translation>
    </message>
    <message>
        <source>カウント</source>
        <translation>Zählzeiten</translation>
    </message>
    <message>
        <source>破線</source>
        <translation>gestrichelt</translation>
    </message>
    <message>
        <source>太線</source>
        <translation>dick</translation>
    </message>
    <message>
        <source>点線</source>
        <translation>gepunktet</translation>
    </message>
    <message>
        <source>線なし</source>
        <translation>ohne Linie</translation>
    </message>
    <message>
        <source>実線</source>
        <translation>durchgezogen</translation>
    </message>
    <message>
        <source>青</source>
        <translation>blau</translation>
    </message>
    <message>
        <source>緑</source>
        <translation>grün</translation>
    </message>
    <message>
        <source>紫</source>
        <translation>violett</translation>
    </message>
    <message>
        <source>橙</source>
        <translation>orange</translation>
    </message>
    <message>
        <source>黒</source>
        <translation>schwarz</translation>
    </message>
    <message>
        <source>%1・%2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>%1&#x3000;%2&#x3000;弦にない音 %3</source>
        <translation>%1  %2  Noten ohne Saite %3</translation>
    </message>
    <message>
        <source>細い破線 同時に弾く音</source>
        <translation>dünn gestrichelt: gleichzeitig gezupfte Noten</translation>
    </message>
    <message>
        <source>二重丸 同じ弦で同時</source>
        <translation>Doppelkreis: eine Saite gleichzeitig</translation>
    </message>
    <message>
        <source>&#x3000;&#x3000;</source>
        <translation>    </translation>
    </message>
    <message>
        <source>1小節 %1拍</source>
        <translation>%1 Schläge pro Takt</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>調 %1</source>
        <translation>Tonart %1</translation>
    </message>
    <message>
        <source>テンポ %1</source>
        <translation>Tempo %1</translation>
    </message>
    <message>
        <source>小節 %1〜%2</source>
        <translation>Takte %1–%2</translation>
    </message>
    <message>
        <source>／全%1小節</source>
        <translation> von %1</translation>
    </message>
    <message>
        <source>%1/%2枚&#x3000;</source>
        <translation>Blatt %1/%2  </translation>
    </message>
    <message>
        <source>表示 %1</source>
        <translation>Gezeigt: %1</translation>
    </message>
    <message>
        <source>・</source>
        <translation>, </translation>
    </message>
    <message>
        <source>作曲 %1</source>
        <translation>Musik: %1</translation>
    </message>
    <message>
        <source>作詞 %1</source>
        <translation>Text: %1</translation>
    </message>
    <message>
        <source>&#x3000;</source>
        <translation>  </translation>
    </message>
    <message>
        <source>1拍</source>
        <translation>1 Schlag</translation>
    </message>
    <message>
        <source>2拍未満（1拍以外）</source>
        <translation>unter 2 Schlägen (nicht 1)</translation>
    </message>
    <message>
        <source>4拍</source>
        <translation>4 Schläge</translation>
    </message>
    <message>
        <source>2拍以上（4拍以外）</source>
        <translation>ab 2 Schlägen (nicht 4)</translation>
    </message>
    <message>
        <source>100 mm&#x3000;&#x3000;100%で印刷</source>
        <translation>100 mm    mit 100 % drucken</translation>
    </message>
    <message>
        <source>（ほかの歌詞 %1行は入りません）</source>
        <translation>(%1 weitere Textzeilen passen nicht)</translation>
    </message>
    <message>
        <source>%1分の%2拍子</source>
        <translation>%2/%1-Takt</translation>
    </message>
    <message>
        <source>印刷するページが%1枚になります。印刷しますか？</source>
        <translation>Das ergibt %1 Seiten. Drucken?</translation>
    </message>
    <message>
        <source>&#x3000;%1/%2枚</source>
        <translation>  Blatt %1/%2</translation>
    </message>
    <message>
        <source>%1/%2 (列%3・行%4)&#x3000;点線の間を隣のページと重ねて貼る</source>
        <translation>%1/%2 (Spalte %3, Reihe %4)  den gepunkteten Rand mit der Nachbarseite überkleben</translation>
    </message>
    <message>
        <source>左端の弦 %1</source>
        <translation>Linke Saite %1</translation>
    </message>
    <message>
        <source>右端の弦 %1</source>
        <translation>Rechte Saite %1</translation>
    </message>
    <message>
        <source>第%1小節から</source>
        <translation>ab Takt %1</translation>
    </message>
    <message>
        <source>冒頭へ</source>
        <translation>zum Anfang</translation>
    </message>
    <message>
        <source>第%1小節へ</source>
        <translation>zu Takt %1</translation>
    </message>
    <message>
        <source>繰り返しを展開（記号がそろっていないため）</source>
        <translation>Wiederholungen ausgeschrieben (Zeichen unvollständig)</translation>
    </message>
    <message>
        <source>繰り返しを展開（曲が長すぎるため）</source>
        <translation>Wiederholungen ausgeschrieben (Stück zu lang)</translation>
    </message>
    <message>
        <source>繰り返しを展開（線が弦の間に収まらないため）</source>
        <translation>Wiederholungen ausgeschrieben (kein Platz für die Linien zwischen den Saiten)</translation>
    </message>
    <message>
        <source>イオニア</source>
        <translation>ionisch</translation>
    </message>
    <message>
        <source>ドリア</source>
        <translation>dorisch</translation>
    </message>
    <message>
        <source>フリギア</source>
        <translation>phrygisch</translation>
    </message>
    <message>
        <source>リディア</source>
        <translation>lydisch</translation>
    </message>
    <message>
        <source>ミクソリディア</source>
        <translation>mixolydisch</translation>
    </message>
    <message>
        <source>エオリア</source>
        <translation>äolisch</translation>
    </message>
    <message>
        <source>ロクリア</source>
        <translation>lokrisch</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>メモリが不足しています。</source>
        <translation>Nicht genug Speicher.</translation>
    </message>
    <message>
        <source>パフォーマンスが低下しています。一旦終了して、再起動してください。</source>
        <translation>Das Programm ist langsam geworden. Bitte beenden und neu starten.</translation>
    </message>
    <message>
        <source>ファイルが見つかりませんでした。</source>
        <translation>Die Datei wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>16進数のデータの記述に誤りがあります。</source>
        <translation>Die hexadezimalen Daten sind fehlerhaft.</translation>
    </message>
    <message>
        <source>ファイルが開けませんでした。ファイルリストを絶対パスで記述してみてください。
あるいは、出力フォルダや作業フォルダの設定などを確認してください。</source>
        <translation>Die Datei ließ sich nicht öffnen. Schreiben Sie die Dateiliste mit absoluten Pfaden
oder prüfen Sie Ausgabe- und Arbeitsordner.</translation>
    </message>
    <message>
        <source>データが大きすぎます。</source>
        <translation>Die Daten sind zu groß.</translation>
    </message>
    <message>
        <source>パラメータに誤りがあります。</source>
        <translation>Ein Parameter ist fehlerhaft.</translation>
    </message>
    <message>
        <source>カレントディレクトリが取得できませんでした。</source>
        <translation>Der aktuelle Ordner ließ sich nicht ermitteln.</translation>
    </message>
    <message>
        <source>ファイルサイズにエラーがあります。</source>
        <translation>Die Dateigröße ist fehlerhaft.</translation>
    </message>
    <message>
        <source>拍子にエラーがあります。</source>
        <translation>Die Taktart ist fehlerhaft.</translation>
    </message>
    <message>
        <source>自動編曲中にエラーが発生しました。(1)</source>
        <translation>Beim Bearbeiten ist ein Fehler aufgetreten. (1)</translation>
    </message>
    <message>
        <source>楽曲解析中にエラーが発生しました。</source>
        <translation>Beim Untersuchen des Lieds ist ein Fehler aufgetreten.</translation>
    </message>
    <message>
        <source>自動編曲中にエラーが発生しました。(2)</source>
        <translation>Beim Bearbeiten ist ein Fehler aufgetreten. (2)</translation>
    </message>
    <message>
        <source>BPM変換でエラーが発生しました。</source>
        <translation>Beim Umrechnen der Schläge pro Minute ist ein Fehler aufgetreten.</translation>
    </message>
    <message>
        <source>テンポ変換でエラーが発生しました。</source>
        <translation>Beim Umrechnen des Tempos ist ein Fehler aufgetreten.</translation>
    </message>
    <message>
        <source>汎用処理でエラーが発生しました。</source>
        <translation>Ein Fehler ist aufgetreten.</translation>
    </message>
    <message>
        <source>この位置にその音価は設定できません。</source>
        <translation>Dieser Notenwert kann hier nicht stehen.</translation>
    </message>
    <message>
        <source>歌詞は６文字までです。２つの音符に分割して入力してください</source>
        <translation>Liedtext hat bis zu 6 Zeichen. Bitte auf zwei Noten verteilen.</translation>
    </message>
    <message>
        <source>このデータは古いデータなのでこの機能では使用できません。</source>
        <translation>Diese Daten sind veraltet und hier nicht verwendbar.</translation>
    </message>
    <message>
        <source>楽曲情報でエラーがおきました。</source>
        <translation>In den Liederdaten ist ein Fehler aufgetreten.</translation>
    </message>
    <message>
        <source>描画エラー。</source>
        <translation>Zeichenfehler.</translation>
    </message>
    <message>
        <source>COffScreenPictureでエラーが発生しました。</source>
        <translation>In COffScreenPicture ist ein Fehler aufgetreten.</translation>
    </message>
    <message>
        <source>旋律になる音符がありませんでした。</source>
        <translation>Es gab keine Noten für eine Melodie.</translation>
    </message>
    <message>
        <source>曲が長すぎるため、1024拍を超える部分は省きました。</source>
        <translation>Das Lied ist zu lang: Alles nach 1024 Schlägen wurde weggelassen.</translation>
    </message>
    <message>
        <source>指定されたパートがありません。</source>
        <translation>Die angegebene Stimme gibt es nicht.</translation>
    </message>
    <message>
        <source>楽譜ファイルを読み込めませんでした。</source>
        <translation>Die Notendatei ließ sich nicht lesen.</translation>
    </message>
    <message>
        <source>弦のない音符が%1個あります。楽譜には表示されません。</source>
        <translation>%1 Noten haben keine Saite. Sie werden nicht angezeigt.</translation>
    </message>
    <message>
        <source>指定された曲がありません。</source>
        <translation>Das gewählte Stück gibt es nicht.</translation>
    </message>
    <message>
        <source>指定されたトラックがありません。</source>
        <translation>Die gewählte Spur gibt es nicht.</translation>
    </message>
    <message>
        <source>見本の曲をライブラリ（%1）にコピーできませんでした。</source>
        <translation>Die Beispielstücke konnten nicht in die Bibliothek (%1) kopiert werden.</translation>
    </message>
    <message>
        <source>曲が長すぎるため、%1拍を超える部分は省きました。</source>
        <translation>Das Stück ist zu lang: alles nach %1 Schlägen wurde weggelassen.</translation>
    </message>
</context>
<context>
    <name>PracticePanel</name>
    <message>
        <source>練習パネル</source>
        <translation>Üben</translation>
    </message>
    <message>
        <source>再生</source>
        <translation>Spielen</translation>
    </message>
    <message>
        <source> 拍/分</source>
        <translation> /min</translation>
    </message>
    <message>
        <source>区間</source>
        <translation>Abschnitt</translation>
    </message>
    <message>
        <source>～</source>
        <translation>–</translation>
    </message>
    <message>
        <source>ループ</source>
        <translation>Schleife</translation>
    </message>
    <message>
        <source>カウントイン</source>
        <translation>Einzählen</translation>
    </message>
    <message>
        <source>ループの度に</source>
        <translation>Jedes Mal</translation>
    </message>
    <message>
        <source>メトロノーム</source>
        <translation>Metronom</translation>
    </message>
    <message>
        <source>メトロノームとカウントインの音量</source>
        <translation>Lautstärke von Metronom und Einzählen</translation>
    </message>
    <message>
        <source>音量</source>
        <translation>Lautstärke</translation>
    </message>
    <message>
        <source>鳴らす声部</source>
        <translation>Hörbare Stimmen</translation>
    </message>
    <message>
        <source>第8888小節 / 8888</source>
        <translation>Takt 8888 / 8888</translation>
    </message>
    <message>
        <source>画面に小節番号</source>
        <translation>Taktnummern</translation>
    </message>
    <message>
        <source>ポインタ</source>
        <translation>Zeiger</translation>
    </message>
    <message>
        <source>再生中</source>
        <translation>Spielt</translation>
    </message>
    <message>
        <source>テンポ</source>
        <translation>Tempo</translation>
    </message>
    <message>
        <source>小節</source>
        <translation>Takte</translation>
    </message>
    <message>
        <source>調</source>
        <translation>Tonart</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stopp</translation>
    </message>
</context>
<context>
    <name>PrintTarget</name>
    <message>
        <source>PDFとして保存</source>
        <translation>Als PDF speichern</translation>
    </message>
</context>
<context>
    <name>RenderCommand</name>
    <message>
        <source>%1 (--help tells the usage)</source>
        <translation>%1 (--help zeigt die Verwendung)</translation>
    </message>
</context>
<context>
    <name>RenderOptions</name>
    <message>
        <source>--settings needs a file</source>
        <translation>--settings braucht eine Datei</translation>
    </message>
    <message>
        <source>--measures needs FIRST-LAST</source>
        <translation>--measures braucht ERSTER-LETZTER</translation>
    </message>
    <message>
        <source>--tuning needs chromatic, C, G, D, F or Bb</source>
        <translation>--tuning braucht chromatic, C, G, D, F oder Bb</translation>
    </message>
    <message>
        <source>--strings needs a count from 5 to 37</source>
        <translation>--strings braucht eine Saitenzahl von 5 bis 37</translation>
    </message>
    <message>
        <source>--lowest needs a note number or a name such as G3</source>
        <translation>--lowest braucht eine Notennummer oder einen Namen wie G3</translation>
    </message>
    <message>
        <source>--paper needs A3, A4, B4 or Letter</source>
        <translation>--paper braucht A3, A4, B4 oder Letter</translation>
    </message>
    <message>
        <source>--spacing needs fit or millimetres from 5.0 to 20.0 with at most one decimal</source>
        <translation>--spacing braucht fit oder Millimeter von 5.0 bis 20.0 mit höchstens einer Nachkommastelle</translation>
    </message>
    <message>
        <source>--colour needs on or off</source>
        <translation>--colour braucht on oder off</translation>
    </message>
    <message>
        <source>--player needs melody, 2, 3, 4, acc or all</source>
        <translation>--player braucht melody, 2, 3, 4, acc oder all</translation>
    </message>
    <message>
        <source>--others needs faint or hide</source>
        <translation>--others braucht faint oder hide</translation>
    </message>
    <message>
        <source>--repeats needs lines or written</source>
        <translation>--repeats braucht lines oder written</translation>
    </message>
    <message>
        <source>--harp needs one of 37, 25, 21, 18 or 15G</source>
        <translation>--harp braucht 37, 25, 21, 18 oder 15G</translation>
    </message>
    <message>
        <source>give only one of --part, --tune and --track</source>
        <translation>nur eines von --part, --tune und --track angeben</translation>
    </message>
    <message>
        <source>--voices needs ROLE=N[,ROLE=N...] with the roles melody, 2, 3, 4 and acc</source>
        <translation>--voices braucht ROLLE=N[,ROLLE=N...] mit den Rollen melody, 2, 3, 4 und acc</translation>
    </message>
    <message>
        <source>--write-mwd needs a file</source>
        <translation>--write-mwd braucht eine Datei</translation>
    </message>
    <message>
        <source>--title needs a text</source>
        <translation>--title braucht einen Text</translation>
    </message>
    <message>
        <source>--fame needs a number from 0 to 255</source>
        <translation>--fame braucht eine Zahl von 0 bis 255</translation>
    </message>
    <message>
        <source>--audio needs a file</source>
        <translation>--audio braucht eine Datei</translation>
    </message>
    <message>
        <source>--tempo needs a percentage from 25 to 200 in steps of 5</source>
        <translation>--tempo braucht Prozent von 25 bis 200 in Fünferschritten</translation>
    </message>
    <message>
        <source>--loop needs a number of passes from 1 to 99</source>
        <translation>--loop braucht eine Zahl von Durchläufen von 1 bis 99</translation>
    </message>
    <message>
        <source>--transpose needs semitones from -48 to 48</source>
        <translation>--transpose braucht Halbtöne von -48 bis 48</translation>
    </message>
    <message>
        <source>--key needs a key name such as G, Bb or Em</source>
        <translation>--key braucht eine Tonart wie G, Bb oder Em</translation>
    </message>
    <message>
        <source>--language needs ja, en or de</source>
        <translation>--language braucht ja, en oder de</translation>
    </message>
    <message>
        <source>--paper applies to OUTPUT.pdf and --info only</source>
        <translation>--paper gilt nur für AUSGABE.pdf und --info</translation>
    </message>
    <message>
        <source>--landscape and --portrait apply to OUTPUT.pdf and --info only</source>
        <translation>--landscape und --portrait gelten nur für AUSGABE.pdf und --info</translation>
    </message>
    <message>
        <source>give --landscape or --portrait, not both</source>
        <translation>--landscape oder --portrait angeben, nicht beide</translation>
    </message>
    <message>
        <source>--spacing applies to OUTPUT.pdf, OUTPUT.svg and --info only</source>
        <translation>--spacing gilt nur für AUSGABE.pdf, AUSGABE.svg und --info</translation>
    </message>
    <message>
        <source>--others applies to --player only</source>
        <translation>--others gilt nur für --player</translation>
    </message>
    <message>
        <source>--player applies to OUTPUT.pdf, OUTPUT.svg and --info only</source>
        <translation>--player gilt nur für AUSGABE.pdf, AUSGABE.svg und --info</translation>
    </message>
    <message>
        <source>--player all applies to OUTPUT.pdf: an SVG holds one sheet</source>
        <translation>--player all gilt für AUSGABE.pdf: ein SVG fasst ein Blatt</translation>
    </message>
    <message>
        <source>--harp already sets the strings: give it without --tuning, --strings and --lowest</source>
        <translation>--harp legt die Saiten schon fest: ohne --tuning, --strings und --lowest angeben</translation>
    </message>
    <message>
        <source>--write-mwd must not name SONG itself</source>
        <translation>--write-mwd darf nicht LIED selbst nennen</translation>
    </message>
    <message>
        <source>OUTPUT must not be SONG itself</source>
        <translation>AUSGABE darf nicht LIED selbst sein</translation>
    </message>
    <message>
        <source>give --transpose or --key, not both</source>
        <translation>--transpose oder --key angeben, nicht beide</translation>
    </message>
    <message>
        <source>--tempo, --count-in, --metronome, --from, --to and --loop apply to --audio only</source>
        <translation>--tempo, --count-in, --metronome, --from, --to und --loop gelten nur für --audio</translation>
    </message>
    <message>
        <source>--audio must name a file of its own</source>
        <translation>--audio braucht eine eigene Datei</translation>
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
        <translation>Aufruf: dovrelplinvara-render [--settings DATEI] [--tuning chromatic|C|G|D|F|Bb] [--strings N]
                             [--lowest NOTE] [--harp NAME] [--measures ERSTER-LETZTER|all] [--zoom Z]
                             [--spacing MM|fit] [--paper A3|A4|B4|Letter] [--landscape|--portrait]
                             [--lyrics on|off] [--chords on|off] [--measure-numbers on|off] [--counts on|off]
                             [--colour on|off] [--player ROLLE|all [--others faint|hide]]
                             [--repeats lines|written] [--transpose N | --key NAME]
                             [--part N | --tune N | --track N] [--voices ROLLE=N[@OKTAVEN][,...]]
                             [--write-mwd AUS.mwd [--title TEXT] [--fame N]]
                             [--audio AUS.wav [--tempo PROZENT] [--count-in on|off] [--metronome on|off]
                                              [--from TAKT] [--to TAKT] [--loop N]]
                             [--language ja|en|de] [--info] [--notes] [--events]
                             LIED [AUSGABE.png | AUSGABE.pdf | AUSGABE.svg]
  Zeichnet die Noten von LIED (eine Lieddatei oder eine Partitur) wie das Hauptfenster:
  AUSGABE.png ist das Bild (mit --zoom, 0.1-4, wie der Bildschirm es zeigt), AUSGABE.pdf die
  Seiten, die der Druck auf --paper macht (A3, der Standard: eine Seite; A4: das A3-Blatt in
  seinem Maßstab auf zwei Seiten), AUSGABE.svg das A3-Blatt auf einer Seite. LIED darf auch eine
  ABC-Sammlung oder eine MIDI-Datei sein.
  --part N liest Stimme N (ab 1) einer MusicXML-Partitur, --tune N das ABC-Stück X:N, --track N
  Spur N (ab 1) einer MIDI-Datei, statt der ersten mit Noten.
  --voices zeichnet die Stimmen N der Datei (nummeriert wie --info sie in voice.N nennt) in den
  Rollen melody, 2, 3, 4 und acc (die Begleitung); acc=chords macht die Begleitung aus den
  Akkordnamen, acc=chords:MUSTER in einem Muster: root, root-fifth (der Standard), bass-chord,
  broken oder block. @OKTAVEN verschiebt nur diese Stimme um Oktaven (-36, -24, -12, 12, 24 oder
  36 Halbtöne): 4=3@-12. --write-mwd schreibt das Lied wie gelesen, vor dem Anpassen, als Lieddatei;
  --title und --fame (0-255) setzen Titel und Bekanntheit, unter denen die Bibliothek es zeigt.
  --info schreibt die Angaben zum Lied als Zeilen Schlüssel=Wert (mit --paper, --landscape,
  --portrait oder --spacing auch Blätter und Seiten des PDF), --notes eine Zeile je gesetzter
  Note: Zeit, Tonhöhe und Länge in Zeiteinheiten (ein Sechstel Schlag), durch TABs getrennt.
  --events eine Zeile je gezeichnetem Einsatz jeder Stimme: Einsatz und Länge als Bruchteile
  einer ganzen Note ab dem ersten vollen Takt (Auftakt negativ), die Tonhöhen (durch Kommas
  getrennt), die Rolle und die Silbe, durch TABs getrennt.
  --tuning, --strings und --lowest (eine Notennummer oder ein Name wie G3) beschreiben die
  Harfe statt der Einstellungsdatei: eine chromatische oder eine in Dur gestimmte Harfe.
  --harp NAME nimmt eine bekannte Harfe (37, 25, 21, 18 oder 15G) mit Saiten, Stimmung und Abstand.
  --spacing MM (5.0-20.0) zeichnet das Blatt in dem Maßstab, in dem benachbarte Saiten auf dem
  Papier MM auseinanderliegen: AUSGABE.pdf auf so vielen Blättern, wie die Saiten der Harfe
  brauchen, jedes auf einer Seite von --paper, wo die Saiten quer darauf passen (gedreht, wenn
  nur das passt, außer --landscape oder --portrait sagt es), AUSGABE.svg auf einer Seite in der
  Größe des Blatts; fit, der Standard, passt das Blatt an A3 an. --measures all nimmt das ganze Lied.
  --lyrics, --chords und --measure-numbers zeigen oder verbergen den Liedtext neben den Noten,
  die Akkordnamen und die Taktstriche mit ihren Zahlen (on, off und on als Standard);
  --info sagt in lyrics_left_out, wie viele Wörter keinen Platz fanden. --counts on setzt die
  Zählzeit neben jede Note auf einem Schlag und + neben eine auf dem halben Schlag, auf dem
  Blatt im Maßstab.
  --colour on zeichnet jede Stimme auch auf Papier in ihrer Farbe, wie der Bildschirm (Standard off).
  --player ROLLE (melody, 2, 3, 4 oder acc, eine Rolle, die das Blatt zeichnet) zeichnet das
  Blatt für den Spieler dieser Stimme: dieselbe Anordnung, diese Stimme wie auf dem Blatt der
  Gruppe und die anderen dünn und hellgrau (--others faint, der Standard) oder weggelassen
  (--others hide); die Legende nennt die Stimme. --player all gibt jedem Spieler einer
  gezeichneten Stimme ein Blatt, eines nach dem anderen, in AUSGABE.pdf.
  --repeats lines (der Standard) zeichnet Wiederholungen, Schlüsse, D.C. und D.S. einmal, mit
  einer Linie für jeden Sprung, und zählt die geschriebenen Takte; written zeichnet das Stück
  wie gespielt.
  --transpose N (-48-48) verschiebt das Lied um N Halbtöne von seiner geschriebenen Tonart,
  statt es an die Saiten anzupassen; --key NAME (G, Bb, Em...) nimmt die Verschiebung zu dieser
  Tonart, in der Oktave mit den wenigsten Noten ohne Saite. --info nennt in keys= jede Tonart
  mit den Noten, die der Harfe darin fehlen (C:0,D:0,Eb:3,...).
  --audio schreibt die gezeigten Takte, wie das Fenster sie spielt, mit der Harfe der General-
  MIDI-Klangdatei des Systems, als 16-Bit-PCM mit 44,1 kHz; --tempo (25-200 in Fünferschritten,
  Standard 100) ist der Prozentsatz des Liedtempos. --count-in spielt vor dem Stück einen Takt
  zum Einzählen, --metronome klickt die Schläge; --from und --to spielen stattdessen diesen
  Abschnitt (Takte gezählt wie bei --measures), --loop N spielt ihn N-mal.
  --language ja, en oder de gibt Meldungen, diese Hilfe und die Legende des Blatts auf
  Japanisch (der Standard), Englisch oder Deutsch.
</translation>
    </message>
</context>
<context>
    <name>ScoreImport</name>
    <message>
        <source>パートの選択</source>
        <translation>Stimmen wählen</translation>
    </message>
    <message>
        <source>曲の選択</source>
        <translation>Stück wählen</translation>
    </message>
    <message>
        <source>トラックの選択</source>
        <translation>Spur wählen</translation>
    </message>
    <message>
        <source>楽譜ファイル</source>
        <translation>Notendateien</translation>
    </message>
    <message>
        <source>すべてのファイル</source>
        <translation>Alle Dateien</translation>
    </message>
    <message>
        <source>チャンネル %1</source>
        <translation>Kanal %1</translation>
    </message>
    <message>
        <source>トラック %1</source>
        <translation>Spur %1</translation>
    </message>
    <message>
        <source> 上段</source>
        <translation> oberes System</translation>
    </message>
    <message>
        <source> 下段</source>
        <translation> unteres System</translation>
    </message>
    <message>
        <source> 第%1段</source>
        <translation> System %1</translation>
    </message>
    <message>
        <source> 声部%1</source>
        <translation> Stimme %1</translation>
    </message>
    <message>
        <source>パート %1</source>
        <translation>Stimme %1</translation>
    </message>
    <message>
        <source>%1 (%2音)</source>
        <translation>%1 (%2 Noten)</translation>
    </message>
    <message>
        <source>%1 (%2音, %3–%4)</source>
        <translation>%1 (%2 Noten, %3–%4)</translation>
    </message>
    <message>
        <source>コードから</source>
        <translation>Aus Akkorden</translation>
    </message>
</context>
<context>
    <name>ScorePlayback</name>
    <message>
        <source>音声を再生できる装置が見つかりません。</source>
        <translation>Kein Gerät zur Tonwiedergabe gefunden.</translation>
    </message>
    <message>
        <source>音色ファイル（サウンドフォント）が見つかりません。</source>
        <translation>Keine Klangdatei (Soundfont) gefunden.</translation>
    </message>
    <message>
        <source>sound.ini の音色ファイル（サウンドフォント）「%s」を読み込めないため、インストールされている音色ファイルで再生します。</source>
        <translation>Die in sound.ini genannte Klangdatei „%s“ ist nicht lesbar; die installierte Klangdatei spielt stattdessen.</translation>
    </message>
</context>
<context>
    <name>SongVoices</name>
    <message>
        <source>旋律</source>
        <translation>Melodie</translation>
    </message>
    <message>
        <source>第2声</source>
        <translation>2. Stimme</translation>
    </message>
    <message>
        <source>第3声</source>
        <translation>3. Stimme</translation>
    </message>
    <message>
        <source>第4声</source>
        <translation>4. Stimme</translation>
    </message>
    <message>
        <source>伴奏</source>
        <translation>Begleitung</translation>
    </message>
</context>
<context>
    <name>TuneSheets</name>
    <message>
        <source>用紙「%1」の%2（パート%3）がこの曲にないため、パートの選択は変えずに用紙を使います。</source>
        <translation>%2 (Stimme %3) des Blatts „%1“ fehlt in diesem Stück; das Blatt gilt mit den gewählten Stimmen.</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>%1行目「%2」</source>
        <translation>Zeile %1 „%2“</translation>
    </message>
    <message>
        <source>ほか%1行</source>
        <translation> und %1 weitere Zeilen</translation>
    </message>
    <message>
        <source>この曲の用紙ファイル「%1」の%2は値を読めないため、使わずに開きます。</source>
        <translation>In der Blattdatei „%1“ sind %2 nicht lesbar und bleiben unbenutzt.</translation>
    </message>
    <message>
        <source>この曲の用紙ファイル「%1」は%2 KiBを超えられないため、用紙を保存できませんでした。</source>
        <translation>Die Blattdatei „%1“ darf %2 KiB nicht überschreiten; das Blatt wurde nicht gespeichert.</translation>
    </message>
    <message>
        <source>この曲の用紙ファイル「%1」には用紙が%2までしか入らないため、用紙を保存できませんでした。</source>
        <translation>Die Blattdatei „%1“ fasst höchstens %2 Blätter; das Blatt wurde nicht gespeichert.</translation>
    </message>
</context>
</TS>
