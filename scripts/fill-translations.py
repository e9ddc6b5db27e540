#!/usr/bin/env python3
"""Writes the English and German texts into resources/translations/dovrelplinvara_{en,de}.ts.

Run after `cmake --build BUILD --target update-translations` has collected new texts; a text
missing here stays unfinished, and the script says which."""

import sys
import xml.etree.ElementTree as ET
from pathlib import Path

# (context or None for any, Japanese source): (English, German)
TEXTS = {
    # The main window.
    ("CDovrelPlinvaraDlg", "    終 了"): ("    Quit", "   Beenden"),
    ("CDovrelPlinvaraDlg", "    設 定"): ("  Settings", "  Optionen"),
    ("CDovrelPlinvaraDlg", "    読 込"): ("    Open", "    Öffnen"),
    ("CDovrelPlinvaraDlg", "    印 刷"): ("    Print", "   Drucken"),
    ("CDovrelPlinvaraDlg", "\u3000 ﾗｲﾌﾞﾗﾘ"): ("   Library", "  Bibliothek"),
    (None, "ハープ用図形楽譜"): ("Lap harp graphic scores", "Notenblätter für die Tischharfe"),
    ("CDovrelPlinvaraDlg", "開始小節"): ("First", "Erster Takt"),
    ("CDovrelPlinvaraDlg", "終了小節"): ("Last", "Letzter Takt"),
    ("CDovrelPlinvaraDlg", "パートの選択(&R)..."): ("Pa&rts and voices...", "Stimmen &wählen..."),
    ("CDovrelPlinvaraDlg", "ライブラリに追加(&B)..."): ("Add to li&brary...", "Zur Bibliothek hinzufügen (&B)..."),
    ("CDovrelPlinvaraDlg", "印刷プレビュー(&V)..."): ("Print pre&view...", "Druck&vorschau..."),
    ("CDovrelPlinvaraDlg", "全曲を印刷(&W)..."): ("Print &whole song...", "&Ganzes Lied drucken..."),
    ("CDovrelPlinvaraDlg", "全曲の印刷プレビュー(&O)..."): ("Preview wh&ole song...", "Vorschau ganzes Lied (&O)..."),
    ("CDovrelPlinvaraDlg", "全員の用紙を印刷(&Y)..."): ("Print ever&y player's sheet...", "Blätter aller Spieler &drucken..."),
    ("CDovrelPlinvaraDlg", "全員の用紙の印刷プレビュー(&Z)..."): ("Preview every player's sheet (&Z)...", "Vorschau aller Spielerblätter (&Z)..."),
    ("CDovrelPlinvaraDlg", "DovrelPlinvara のﾊﾞｰｼﾞｮﾝ情報(&A)..."): ("&About DovrelPlinvara...", "Über DovrelPlinvara (&A)..."),
    ("CDovrelPlinvaraDlg", "印刷プレビュー"): ("Print preview", "Druckvorschau"),
    ("CDovrelPlinvaraDlg", "停止(&P)"): ("Sto&p", "Sto&pp"),
    ("CDovrelPlinvaraDlg", "再生(&P)"): ("&Play", "Abs&pielen"),
    ("CDovrelPlinvaraDlg", "テンポ(&T)"): ("&Tempo", "&Tempo"),
    ("CDovrelPlinvaraDlg", "その他(&O)..."): ("&Other...", "&Andere..."),
    ("CDovrelPlinvaraDlg", "ループ(&L)"): ("&Loop", "Sch&leife"),
    ("CDovrelPlinvaraDlg", "練習パネル(&N)..."): ("Practice pa&nel...", "Übungsfeld (&N)..."),
    ("CDovrelPlinvaraDlg", "調(&K)"): ("&Key", "Tonart (&K)"),
    ("CDovrelPlinvaraDlg", "テンポ"): ("Tempo", "Tempo"),
    ("CDovrelPlinvaraDlg", "テンポ（25～200 %）:"): ("Tempo (25-200 %):", "Tempo (25–200 %):"),
    ("CDovrelPlinvaraDlg", "調"): ("Key", "Tonart"),
    ("CDovrelPlinvaraDlg", "調:"): ("Key:", "Tonart:"),
    ("CDovrelPlinvaraDlg", "カウントイン(&C)"): ("&Count-in", "Einzählen (&C)"),
    ("CDovrelPlinvaraDlg", "ループの度にカウントイン(&E)"): ("Count-in &every pass", "Bei jedem Durchlauf &einzählen"),
    ("CDovrelPlinvaraDlg", "メトロノーム(&M)"): ("&Metronome", "&Metronom"),
    ("CDovrelPlinvaraDlg", "メロディを消音(&U)"): ("M&ute the melody", "Melodie st&umm"),
    ("CDovrelPlinvaraDlg", "画面を追って最後まで再生(&F)"): ("Play to the end, &following", "Bis zum Ende spielen und &folgen"),
    ("CDovrelPlinvaraDlg", "区間の選択を解除(&X)"): ("Clear the passage (&X)", "Abschnitt aufheben (&X)"),
    ("CDovrelPlinvaraDlg", "画面に小節番号(&I)"): ("Measure numbers on screen (&I)", "Taktnummern anze&igen"),
    ("CDovrelPlinvaraDlg", "行目"): (" (line)", ". Zeile"),
    ("CDovrelPlinvaraDlg", "「%1」で使わなかった値: %2"): ("Values not used from \"%1\": %2", "Nicht verwendete Werte aus „%1“: %2"),
    ("CDovrelPlinvaraDlg", "用紙(&S)"): ("&Sheet", "Blatt (&S)"),
    ("CDovrelPlinvaraDlg", "この用紙を保存(&S)..."): ("&Save this sheet...", "Dieses Blatt &speichern..."),
    ("CDovrelPlinvaraDlg", "既定の用紙にする(&D)"): ("Make it the &default", "Als Stan&dard"),
    ("CDovrelPlinvaraDlg", "ライブラリに追加"): ("Add to library", "Zur Bibliothek hinzufügen"),
    ("CDovrelPlinvaraDlg", "曲名"): ("Title", "Titel"),
    ("CDovrelPlinvaraDlg", "知名度 (0～255)"): ("Fame (0-255)", "Bekanntheit (0–255)"),
    ("CDovrelPlinvaraDlg", "用紙の保存"): ("Save sheet", "Blatt speichern"),
    ("CDovrelPlinvaraDlg", "用紙の名前:"): ("Name of the sheet:", "Name des Blatts:"),
    (None, "第%1小節 / %2"): ("Measure %1 / %2", "Takt %1 / %2"),
    ("CDovrelPlinvaraDlg", "%1拍/分"): ("%1 bpm", "%1 Schläge/min"),
    ("CDovrelPlinvaraDlg", "用紙の選択"): ("Choose a sheet", "Blatt wählen"),
    ("CDovrelPlinvaraDlg", "開く用紙:"): ("Sheet to open:", "Zu öffnendes Blatt:"),
    # The settings dialog.
    ("CConfigDlg", "設定"): ("Settings", "Einstellungen"),
    ("CConfigDlg", "楽器の設定"): ("Harp", "Harfe"),
    ("CConfigDlg", "弦の数"): ("Strings", "Saiten"),
    ("CConfigDlg", "最低音"): ("Lowest", "Tiefste"),
    ("CConfigDlg", "調弦"): ("Tuning", "Stimmung"),
    ("CConfigDlg", "楽器"): ("Harp", "Harfe"),
    ("CConfigDlg", "描画の設定"): ("Drawing", "Darstellung"),
    ("CConfigDlg", "線の間隔"): ("Spacing", "Abstand"),
    ("CConfigDlg", "左端調整"): ("Left edge", "Linker Rand"),
    ("CConfigDlg", "縦サイズ"): ("Height", "Höhe"),
    ("CConfigDlg", "表示倍率"): ("Zoom", "Zoom"),
    ("CConfigDlg", "用紙の弦間隔"): ("On paper", "Auf Papier"),
    ("CConfigDlg", "用紙に合わせる"): ("fit to paper", "ans Papier"),
    ("CConfigDlg", "用紙"): ("Paper", "Blatt"),
    ("CConfigDlg", "用紙に表示"): ("On the sheet", "Auf dem Blatt"),
    ("CConfigDlg", "歌詞"): ("Text", "Text"),
    ("CConfigDlg", "コード"): ("Chord", "Akkord"),
    ("CConfigDlg", "小節番号"): ("Meas. no.", "Taktzahlen"),
    ("CConfigDlg", "カウント"): ("Counts", "Zählzeiten"),
    ("CConfigDlg", "繰り返し"): ("Repeats", "Wdh."),
    ("CConfigDlg", "線で示す"): ("as lines", "als Linien"),
    ("CConfigDlg", "展開する"): ("written out", "ausgeschrieben"),
    ("CConfigDlg", "言語"): ("Language", "Sprache"),
    ("CConfigDlg", "    閉じる"): ("    Close", "  Schließen"),
    ("CConfigDlg", "37弦 (G2–G5)"): ("37 strings (G2–G5)", "37 Saiten (G2–G5)"),
    ("CConfigDlg", "25弦 (G3–G5)"): ("25 strings (G3–G5)", "25 Saiten (G3–G5)"),
    ("CConfigDlg", "21弦 (A3–F5)"): ("21 strings (A3–F5)", "21 Saiten (A3–F5)"),
    ("CConfigDlg", "18弦 (B3–E5)"): ("18 strings (B3–E5)", "18 Saiten (H3–E5)"),
    ("CConfigDlg", "15弦 ト長調 (G3–G5)"): ("15 strings G (G3–G5)", "15 Saiten G (G3–G5)"),
    ("CConfigDlg", "その他"): ("Other", "Andere"),
    ("CConfigDlg", "半音階"): ("Chromatic", "Chromatisch"),
    ("CConfigDlg", "全音階 ハ長調"): ("Diatonic C major", "Diatonisch C-Dur"),
    ("CConfigDlg", "全音階 ト長調"): ("Diatonic G major", "Diatonisch G-Dur"),
    ("CConfigDlg", "全音階 ニ長調"): ("Diatonic D major", "Diatonisch D-Dur"),
    ("CConfigDlg", "全音階 ヘ長調"): ("Diatonic F major", "Diatonisch F-Dur"),
    ("CConfigDlg", "全音階 変ロ長調"): ("Diatonic B♭ major", "Diatonisch B-Dur"),
    # The library and the other dialogs.
    ("CAboutDlg", "DovrelPlinvaraのﾊﾞｰｼﾞｮﾝ情報"): ("About DovrelPlinvara", "Über DovrelPlinvara"),
    ("CAboutDlg", "DovrelPlinvara  ハープ用図形楽譜"): ("DovrelPlinvara  lap harp scores", "DovrelPlinvara  Tischharfe"),
    ("CArchiveDlg", "読み込み"): ("    Open", "   Öffnen"),
    ("CArchiveDlg", "取り消し"): ("   Cancel", "  Abbrechen"),
    ("CArchiveDlg", "ライブラリ"): ("Library", "Bibliothek"),
    ("CArchiveDlg", "全て表示"): ("All songs", "Alle Lieder"),
    ("CArchiveDlg", "知名度低いものも表示"): ("Also little-known", "Auch wenig bekannte"),
    ("CArchiveDlg", "有名曲のみ表示"): ("Well-known only", "Nur bekannte"),
    ("CArchiveDlg", "超有名曲のみ表示"): ("Very famous only", "Nur sehr bekannte"),
    ("CArchiveDlg", "「%1」をライブラリ（%2）に追加しました。"): ("\"%1\" was added to the library (%2).", "„%1“ wurde der Bibliothek (%2) hinzugefügt."),
    ("CArchiveDlg", "ライブラリを開くと「%1」の一覧に表示されます。"): (" The library lists it under \"%1\".", " Die Bibliothek zeigt es unter „%1“."),
    ("CArchiveDlg", "知名度が%1のため、ライブラリで「%2」を選ぶと一覧に表示されます。"): (" With fame %1 the library lists it when \"%2\" is chosen.", " Mit Bekanntheit %1 zeigt die Bibliothek es, wenn „%2“ gewählt ist."),
    (None, "キャンセル"): ("Cancel", "Abbrechen"),
    ("CVoiceRolesDlg", "なし"): ("none", "keine"),
    (None, "コードから"): ("From chords", "Aus Akkorden"),
    # The practice panel.
    ("PracticePanel", "練習パネル"): ("Practice", "Üben"),
    ("PracticePanel", "再生"): ("Play", "Spielen"),
    ("PracticePanel", " 拍/分"): (" bpm", " /min"),
    ("PracticePanel", "区間"): ("Passage", "Abschnitt"),
    ("PracticePanel", "～"): ("–", "–"),
    ("PracticePanel", "ループ"): ("Loop", "Schleife"),
    ("PracticePanel", "カウントイン"): ("Count-in", "Einzählen"),
    ("PracticePanel", "ループの度に"): ("Every pass", "Jedes Mal"),
    ("PracticePanel", "メトロノーム"): ("Metronome", "Metronom"),
    ("PracticePanel", "メトロノームとカウントインの音量"): ("Metronome and count-in volume", "Lautstärke von Metronom und Einzählen"),
    ("PracticePanel", "音量"): ("Volume", "Lautstärke"),
    ("PracticePanel", "鳴らす声部"): ("Voices heard", "Hörbare Stimmen"),
    ("PracticePanel", "第8888小節 / 8888"): ("Measure 8888 / 8888", "Takt 8888 / 8888"),
    ("PracticePanel", "画面に小節番号"): ("Measure no.", "Taktnummern"),
    ("PracticePanel", "ポインタ"): ("Pointer", "Zeiger"),
    ("PracticePanel", "再生中"): ("Playing", "Spielt"),
    ("PracticePanel", "テンポ"): ("Tempo", "Tempo"),
    ("PracticePanel", "小節"): ("Measures", "Takte"),
    ("PracticePanel", "調"): ("Key", "Tonart"),
    ("PracticePanel", "停止"): ("Stop", "Stopp"),
    # The voices.
    ("SongVoices", "旋律"): ("Melody", "Melodie"),
    ("SongVoices", "第2声"): ("Voice 2", "2. Stimme"),
    ("SongVoices", "第3声"): ("Voice 3", "3. Stimme"),
    ("SongVoices", "第4声"): ("Voice 4", "4. Stimme"),
    ("SongVoices", "伴奏"): ("Accomp.", "Begleitung"),
    # The legend printed on the sheet.
    ("Legend", "歌詞"): ("lyrics", "Liedtext"),
    ("Legend", "コード"): ("chords", "Akkorde"),
    ("Legend", "小節番号"): ("measure numbers", "Taktzahlen"),
    ("Legend", "カウント"): ("counts", "Zählzeiten"),
    ("Legend", "破線"): ("dashed", "gestrichelt"),
    ("Legend", "太線"): ("thick", "dick"),
    ("Legend", "点線"): ("dotted", "gepunktet"),
    ("Legend", "線なし"): ("no line", "ohne Linie"),
    ("Legend", "実線"): ("solid", "durchgezogen"),
    ("Legend", "青"): ("blue", "blau"),
    ("Legend", "緑"): ("green", "grün"),
    ("Legend", "紫"): ("purple", "violett"),
    ("Legend", "橙"): ("orange", "orange"),
    ("Legend", "黒"): ("black", "schwarz"),
    ("Legend", "%1・%2"): ("%1, %2", "%1, %2"),
    ("Legend", "%1\u3000%2\u3000弦にない音 %3"): ("%1  %2  notes without a string %3", "%1  %2  Noten ohne Saite %3"),
    ("Legend", "細い破線 同時に弾く音"): ("thin dashes: notes plucked together", "dünn gestrichelt: gleichzeitig gezupfte Noten"),
    ("Legend", "二重丸 同じ弦で同時"): ("double circle: one string at once", "Doppelkreis: eine Saite gleichzeitig"),
    ("Legend", "\u3000\u3000"): ("    ", "    "),
    ("Legend", "1小節 %1拍"): ("%1 beats a measure", "%1 Schläge pro Takt"),
    ("Legend", "%1（%2）"): ("%1 (%2)", "%1 (%2)"),
    ("Legend", "調 %1"): ("Key %1", "Tonart %1"),
    ("Legend", "テンポ %1"): ("Tempo %1", "Tempo %1"),
    ("Legend", "小節 %1〜%2"): ("Measures %1–%2", "Takte %1–%2"),
    ("Legend", "／全%1小節"): (" of %1", " von %1"),
    ("Legend", "%1/%2枚\u3000"): ("Sheet %1/%2  ", "Blatt %1/%2  "),
    ("Legend", "表示 %1"): ("Shown: %1", "Gezeigt: %1"),
    ("Legend", "・"): (", ", ", "),
    ("Legend", "作曲 %1"): ("Music: %1", "Musik: %1"),
    ("Legend", "作詞 %1"): ("Words: %1", "Text: %1"),
    ("Legend", "\u3000"): ("  ", "  "),
    ("Legend", "1拍"): ("1 beat", "1 Schlag"),
    ("Legend", "2拍未満（1拍以外）"): ("under 2 beats (not 1)", "unter 2 Schlägen (nicht 1)"),
    ("Legend", "4拍"): ("4 beats", "4 Schläge"),
    ("Legend", "2拍以上（4拍以外）"): ("2 beats or more (not 4)", "ab 2 Schlägen (nicht 4)"),
    ("Legend", "100 mm\u3000\u3000100%で印刷"): ("100 mm    print at 100%", "100 mm    mit 100 % drucken"),
    ("Legend", "（ほかの歌詞 %1行は入りません）"): ("(%1 more lines of lyrics do not fit)", "(%1 weitere Textzeilen passen nicht)"),
    # The messages; their codes stand before them, untouched.
    ("Messages", "メモリが不足しています。"): ("Not enough memory.", "Nicht genug Speicher."),
    ("Messages", "パフォーマンスが低下しています。一旦終了して、再起動してください。"): ("The program has slowed down. Please quit and start it again.", "Das Programm ist langsam geworden. Bitte beenden und neu starten."),
    ("Messages", "ファイルが見つかりませんでした。"): ("The file was not found.", "Die Datei wurde nicht gefunden."),
    ("Messages", "16進数のデータの記述に誤りがあります。"): ("The hexadecimal data is written wrongly.", "Die hexadezimalen Daten sind fehlerhaft."),
    ("Messages", "ファイルが開けませんでした。ファイルリストを絶対パスで記述してみてください。\nあるいは、出力フォルダや作業フォルダの設定などを確認してください。"): ("The file could not be opened. Try writing the file list with absolute paths,\nor check the output and working folders.", "Die Datei ließ sich nicht öffnen. Schreiben Sie die Dateiliste mit absoluten Pfaden\noder prüfen Sie Ausgabe- und Arbeitsordner."),
    ("Messages", "データが大きすぎます。"): ("The data is too large.", "Die Daten sind zu groß."),
    ("Messages", "パラメータに誤りがあります。"): ("A parameter is wrong.", "Ein Parameter ist fehlerhaft."),
    ("Messages", "カレントディレクトリが取得できませんでした。"): ("The current folder could not be found.", "Der aktuelle Ordner ließ sich nicht ermitteln."),
    ("Messages", "ファイルサイズにエラーがあります。"): ("The file size is wrong.", "Die Dateigröße ist fehlerhaft."),
    ("Messages", "拍子にエラーがあります。"): ("The time signature is wrong.", "Die Taktart ist fehlerhaft."),
    ("Messages", "自動編曲中にエラーが発生しました。(1)"): ("An error occurred while arranging. (1)", "Beim Bearbeiten ist ein Fehler aufgetreten. (1)"),
    ("Messages", "楽曲解析中にエラーが発生しました。"): ("An error occurred while analysing the song.", "Beim Untersuchen des Lieds ist ein Fehler aufgetreten."),
    ("Messages", "自動編曲中にエラーが発生しました。(2)"): ("An error occurred while arranging. (2)", "Beim Bearbeiten ist ein Fehler aufgetreten. (2)"),
    ("Messages", "BPM変換でエラーが発生しました。"): ("An error occurred converting the BPM.", "Beim Umrechnen der Schläge pro Minute ist ein Fehler aufgetreten."),
    ("Messages", "テンポ変換でエラーが発生しました。"): ("An error occurred converting the tempo.", "Beim Umrechnen des Tempos ist ein Fehler aufgetreten."),
    ("Messages", "汎用処理でエラーが発生しました。"): ("An error occurred.", "Ein Fehler ist aufgetreten."),
    ("Messages", "この位置にその音価は設定できません。"): ("That note value cannot stand here.", "Dieser Notenwert kann hier nicht stehen."),
    ("Messages", "歌詞は６文字までです。２つの音符に分割して入力してください"): ("Lyrics take up to 6 characters. Split them over two notes.", "Liedtext hat bis zu 6 Zeichen. Bitte auf zwei Noten verteilen."),
    ("Messages", "このデータは古いデータなのでこの機能では使用できません。"): ("This data is old and cannot be used here.", "Diese Daten sind veraltet und hier nicht verwendbar."),
    ("Messages", "楽曲情報でエラーがおきました。"): ("An error occurred in the song data.", "In den Liederdaten ist ein Fehler aufgetreten."),
    ("Messages", "描画エラー。"): ("Drawing error.", "Zeichenfehler."),
    ("Messages", "COffScreenPictureでエラーが発生しました。"): ("An error occurred in COffScreenPicture.", "In COffScreenPicture ist ein Fehler aufgetreten."),
    ("Messages", "旋律になる音符がありませんでした。"): ("There were no notes for a melody.", "Es gab keine Noten für eine Melodie."),
    ("Messages", "曲が長すぎるため、1024拍を超える部分は省きました。"): ("The song is too long: everything past 1024 beats was left out.", "Das Lied ist zu lang: Alles nach 1024 Schlägen wurde weggelassen."),
    ("Messages", "指定されたパートがありません。"): ("The part given does not exist.", "Die angegebene Stimme gibt es nicht."),
    ("Messages", "楽譜ファイルを読み込めませんでした。"): ("The score file could not be read.", "Die Notendatei ließ sich nicht lesen."),
    ("Messages", "弦のない音符が%1個あります。楽譜には表示されません。"): ("%1 notes have no string. They are not shown on the score.", "%1 Noten haben keine Saite. Sie werden nicht angezeigt."),
    # The renderer, English at its source.
    ("RenderCommand", "%1 (--help tells the usage)"): ("%1 (--help tells the usage)", "%1 (--help zeigt die Verwendung)"),
    ("RenderOptions", "--settings needs a file"): (None, "--settings braucht eine Datei"),
    ("RenderOptions", "--measures needs FIRST-LAST"): (None, "--measures braucht ERSTER-LETZTER"),
    ("RenderOptions", "--tuning needs chromatic, C, G, D, F or Bb"): (None, "--tuning braucht chromatic, C, G, D, F oder Bb"),
    ("RenderOptions", "--strings needs a count from 5 to 37"): (None, "--strings braucht eine Saitenzahl von 5 bis 37"),
    ("RenderOptions", "--lowest needs a note number or a name such as G3"): (None, "--lowest braucht eine Notennummer oder einen Namen wie G3"),
    ("RenderOptions", "--paper needs A3, A4, B4 or Letter"): (None, "--paper braucht A3, A4, B4 oder Letter"),
    ("RenderOptions", "--spacing needs fit or millimetres from 5.0 to 20.0 with at most one decimal"): (None, "--spacing braucht fit oder Millimeter von 5.0 bis 20.0 mit höchstens einer Nachkommastelle"),
    ("RenderOptions", "--colour needs on or off"): (None, "--colour braucht on oder off"),
    ("RenderOptions", "--player needs melody, 2, 3, 4, acc or all"): (None, "--player braucht melody, 2, 3, 4, acc oder all"),
    ("RenderOptions", "--others needs faint or hide"): (None, "--others braucht faint oder hide"),
    ("RenderOptions", "--repeats needs lines or written"): (None, "--repeats braucht lines oder written"),
    ("RenderOptions", "--harp needs one of 37, 25, 21, 18 or 15G"): (None, "--harp braucht 37, 25, 21, 18 oder 15G"),
    ("RenderOptions", "give only one of --part, --tune and --track"): (None, "nur eines von --part, --tune und --track angeben"),
    ("RenderOptions", "--voices needs ROLE=N[,ROLE=N...] with the roles melody, 2, 3, 4 and acc"): (None, "--voices braucht ROLLE=N[,ROLLE=N...] mit den Rollen melody, 2, 3, 4 und acc"),
    ("RenderOptions", "--write-mwd needs a file"): (None, "--write-mwd braucht eine Datei"),
    ("RenderOptions", "--title needs a text"): (None, "--title braucht einen Text"),
    ("RenderOptions", "--fame needs a number from 0 to 255"): (None, "--fame braucht eine Zahl von 0 bis 255"),
    ("RenderOptions", "--audio needs a file"): (None, "--audio braucht eine Datei"),
    ("RenderOptions", "--tempo needs a percentage from 25 to 200 in steps of 5"): (None, "--tempo braucht Prozent von 25 bis 200 in Fünferschritten"),
    ("RenderOptions", "--loop needs a number of passes from 1 to 99"): (None, "--loop braucht eine Zahl von Durchläufen von 1 bis 99"),
    ("RenderOptions", "--transpose needs semitones from -48 to 48"): (None, "--transpose braucht Halbtöne von -48 bis 48"),
    ("RenderOptions", "--key needs a key name such as G, Bb or Em"): (None, "--key braucht eine Tonart wie G, Bb oder Em"),
    ("RenderOptions", "--language needs ja, en or de"): (None, "--language braucht ja, en oder de"),
    ("RenderOptions", "--paper applies to OUTPUT.pdf and --info only"): (None, "--paper gilt nur für AUSGABE.pdf und --info"),
    ("RenderOptions", "--landscape and --portrait apply to OUTPUT.pdf and --info only"): (None, "--landscape und --portrait gelten nur für AUSGABE.pdf und --info"),
    ("RenderOptions", "give --landscape or --portrait, not both"): (None, "--landscape oder --portrait angeben, nicht beide"),
    ("RenderOptions", "--spacing applies to OUTPUT.pdf, OUTPUT.svg and --info only"): (None, "--spacing gilt nur für AUSGABE.pdf, AUSGABE.svg und --info"),
    ("RenderOptions", "--others applies to --player only"): (None, "--others gilt nur für --player"),
    ("RenderOptions", "--player applies to OUTPUT.pdf, OUTPUT.svg and --info only"): (None, "--player gilt nur für AUSGABE.pdf, AUSGABE.svg und --info"),
    ("RenderOptions", "--player all applies to OUTPUT.pdf: an SVG holds one sheet"): (None, "--player all gilt für AUSGABE.pdf: ein SVG fasst ein Blatt"),
    ("RenderOptions", "--harp already sets the strings: give it without --tuning, --strings and --lowest"): (None, "--harp legt die Saiten schon fest: ohne --tuning, --strings und --lowest angeben"),
    ("RenderOptions", "--write-mwd must not name SONG itself"): (None, "--write-mwd darf nicht LIED selbst nennen"),
    ("RenderOptions", "OUTPUT must not be SONG itself"): (None, "AUSGABE darf nicht LIED selbst sein"),
    ("RenderOptions", "give --transpose or --key, not both"): (None, "--transpose oder --key angeben, nicht beide"),
    ("RenderOptions", "--tempo, --count-in, --metronome, --from, --to and --loop apply to --audio only"): (None, "--tempo, --count-in, --metronome, --from, --to und --loop gelten nur für --audio"),
    ("RenderOptions", "--audio must name a file of its own"): (None, "--audio braucht eine eigene Datei"),
}

# The renderer's usage in German; the English source is app/RenderOptions.cpp's.
GERMAN_USAGE_FILE = Path(__file__).with_name("render-usage-de.txt")


def main():
    root = Path(__file__).resolve().parent.parent / "resources" / "translations"
    missing = 0
    for index, language in ((0, "en"), (1, "de")):
        path = root / f"dovrelplinvara_{language}.ts"
        tree = ET.parse(path)
        for context in tree.getroot().findall("context"):
            name = context.find("name").text
            for message in context.findall("message"):
                source = message.find("source").text
                entry = TEXTS.get((name, source)) or TEXTS.get((None, source))
                text = None
                if entry:
                    text = entry[index] if entry[index] is not None else source
                elif name == "RenderOptions" and source.startswith("usage:"):
                    if language == "en":
                        text = source
                    elif GERMAN_USAGE_FILE.exists():
                        text = GERMAN_USAGE_FILE.read_text(encoding="utf-8")
                translation = message.find("translation")
                if text is None:
                    missing += 1
                    print(f"{language}: no translation for {name}: {source!r}", file=sys.stderr)
                    continue
                translation.text = text
                translation.attrib.pop("type", None)
        tree.write(path, encoding="utf-8", xml_declaration=True)
        with open(path, "r+", encoding="utf-8") as f:  # the doctype ElementTree drops
            body = f.read().replace("?>\n<TS", "?>\n<!DOCTYPE TS>\n<TS", 1)
            f.seek(0)
            f.write(body + ("" if body.endswith("\n") else "\n"))
            f.truncate()
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
