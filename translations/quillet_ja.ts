<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja" sourcelanguage="ja">
<context>
    <name></name>
    <message id="SHOW_QUICK_MENU">
        <source>クリップ履歴を表示</source>
        <translation>クリップ履歴を表示</translation>
    </message>
    <message id="SHOW_PHRASE_MENU">
        <source>定型文を表示</source>
        <translation>定型文を表示</translation>
    </message>
    <message id="QUIT_APP">
        <source>終了</source>
        <translation>終了</translation>
    </message>
    <message id="PAUSE_RECORDING">
        <source>記録を一時停止</source>
        <translation>記録を一時停止</translation>
    </message>
    <message id="PAUSE_15_MINUTES">
        <source>15 分間</source>
        <translation>15 分間</translation>
    </message>
    <message id="PAUSE_1_HOUR">
        <source>1 時間</source>
        <translation>1 時間</translation>
    </message>
    <message id="PAUSE_UNTIL_RESUMED">
        <source>再開するまで</source>
        <translation>再開するまで</translation>
    </message>
    <message id="RESUME_RECORDING">
        <source>記録を再開</source>
        <translation>記録を再開</translation>
    </message>
    <message id="RECORDING_PAUSED_UNTIL">
        <source>%1 まで記録を一時停止中</source>
        <translation>%1 まで記録を一時停止中</translation>
    </message>
    <message id="RECORDING_PAUSED">
        <source>記録を一時停止中</source>
        <translation>記録を一時停止中</translation>
    </message>
    <message id="APP_TITLE">
        <source>クイレット</source>
        <translation>クイレット</translation>
    </message>
    <message id="RELATIVE_JUST_NOW">
        <source>just now</source>
        <translation>たった今</translation>
    </message>
    <message id="RELATIVE_SECONDS" numerus="yes">
        <source>%n second(s) ago</source>
        <translation>
            <numerusform>%n秒前</numerusform>
        </translation>
    </message>
    <message id="RELATIVE_MINUTES" numerus="yes">
        <source>%n minute(s) ago</source>
        <translation>
            <numerusform>%n分前</numerusform>
        </translation>
    </message>
    <message id="RELATIVE_HOURS" numerus="yes">
        <source>%n hour(s) ago</source>
        <translation>
            <numerusform>%n時間前</numerusform>
        </translation>
    </message>
    <message id="RELATIVE_DAYS" numerus="yes">
        <source>%n day(s) ago</source>
        <translation>
            <numerusform>%n日前</numerusform>
        </translation>
    </message>
    <message id="RELATIVE_WEEKS" numerus="yes">
        <source>%n week(s) ago</source>
        <translation>
            <numerusform>%n週間前</numerusform>
        </translation>
    </message>
    <message id="RELATIVE_MONTHS" numerus="yes">
        <source>%n month(s) ago</source>
        <translation>
            <numerusform>%nか月前</numerusform>
        </translation>
    </message>
    <message id="RELATIVE_YEARS" numerus="yes">
        <source>%n year(s) ago</source>
        <translation>
            <numerusform>%n年前</numerusform>
        </translation>
    </message>
    <message id="NO_HISTORY_MESSAGE">
        <source>履歴なし</source>
        <translation>履歴なし</translation>
    </message>
    <message id="NO_MATCHES_MESSAGE">
        <source>一致なし</source>
        <translation>一致なし</translation>
    </message>
    <message id="FORGET_CLIP_ACTION">
        <source>忘れる…</source>
        <translation>忘れる…</translation>
    </message>
    <message id="FORGET_CLIP_TITLE">
        <source>クリップを忘れる</source>
        <translation>クリップを忘れる</translation>
    </message>
    <message id="FORGET_CLIP_QUESTION">
        <source>このクリップを忘れますか？履歴から完全に削除され、元に戻せません。</source>
        <translation>このクリップを忘れますか？履歴から完全に削除され、元に戻せません。</translation>
    </message>
    <message id="FORGET_CLIP_CONFIRM">
        <source>忘れる</source>
        <translation>忘れる</translation>
    </message>
    <message id="SEARCH_MATCH_CASE">
        <source>大文字と小文字を区別(&amp;C)</source>
        <translation>大文字と小文字を区別(&amp;C)</translation>
    </message>
    <message id="SEARCH_PLACEHOLDER">
        <source>検索...</source>
        <translation>検索...</translation>
    </message>
    <message id="BLANK_TEXT_LABEL">
        <source>(white space only)</source>
        <translation>（空白のみ）</translation>
    </message>
    <message id="QUICK_MENU_TITLE">
        <source>Quick Paste</source>
        <translation>クイックペースト</translation>
    </message>
    <message id="MENU_SEARCH">
        <source>検索...</source>
        <translation>検索...</translation>
    </message>
    <message id="SUBMENU_RANGE_LABEL">
        <source>Items %1-%2</source>
        <translation>項目 %1-%2</translation>
    </message>
    <message id="QUICK_PHRASE_MENU_TITLE">
        <source>QuickPhrases</source>
        <translation>定型文</translation>
    </message>
    <message id="NO_PHRASES_MESSAGE">
        <source>定型文がありません</source>
        <translation>定型文がありません</translation>
    </message>
    <message id="HOTKEY_DUPLICATE_ERROR">
        <source>このホットキーはもう一方の操作で使われています。</source>
        <translation>このホットキーはもう一方の操作で使われています。</translation>
    </message>
    <message id="HOTKEY_NO_MODIFIER_ERROR">
        <source>ホットキーには修飾キーが少なくとも 1 つ必要です。</source>
        <translation>ホットキーには修飾キーが少なくとも 1 つ必要です。</translation>
    </message>
    <message id="HOTKEY_REGISTRATION_FAILED">
        <source>システムがこのホットキーを受け付けませんでした。別のプログラムが使っている可能性があります。</source>
        <translation>システムがこのホットキーを受け付けませんでした。別のプログラムが使っている可能性があります。</translation>
    </message>
    <message id="EMPTY_CATEGORY">
        <source>項目なし</source>
        <translation>項目なし</translation>
    </message>
    <message id="UPDATE_NOT_AVAILABLE_MESSAGE">
        <source>最新です</source>
        <translation>最新です</translation>
    </message>
    <message id="UPDATE_CHECK_FAILED_MESSAGE">
        <source>アップデートを確認できませんでした。</source>
        <translation>アップデートを確認できませんでした。</translation>
    </message>
    <message id="SETTINGS_TITLE">
        <source>設定</source>
        <translation>設定</translation>
    </message>
    <message id="CHANGE_HOTKEY">
        <source>変更</source>
        <translation>変更</translation>
    </message>
    <message id="RECORDING_HOTKEY">
        <source>キーを入力...</source>
        <translation>キーを入力...</translation>
    </message>
    <message id="HOTKEY_HISTORY_LABEL">
        <source>履歴表示</source>
        <translation>履歴表示</translation>
    </message>
    <message id="HOTKEY_PHRASE_LABEL">
        <source>定型文表示</source>
        <translation>定型文表示</translation>
    </message>
    <message id="RESET_TO_DEFAULTS">
        <source>既定値に戻す</source>
        <translation>既定値に戻す</translation>
    </message>
    <message id="AUTO_LAUNCH_LABEL">
        <source>Mac起動時に自動起動</source>
        <translation>ログイン時に自動起動</translation>
    </message>
    <message id="VERSION_LABEL">
        <source>バージョン</source>
        <translation>バージョン</translation>
    </message>
    <message id="HOTKEY_SETTINGS_HEADER">
        <source>ホットキー</source>
        <translation>ホットキー</translation>
    </message>
    <message id="GENERAL_SETTINGS_HEADER">
        <source>一般</source>
        <translation>一般</translation>
    </message>
    <message id="ABOUT_APP_HEADER">
        <source>このアプリについて</source>
        <translation>このアプリについて</translation>
    </message>
    <message id="CHECKING_FOR_UPDATES">
        <source>確認中...</source>
        <translation>確認中...</translation>
    </message>
    <message id="CHECK_FOR_UPDATES">
        <source>更新をチェック...</source>
        <translation>更新をチェック...</translation>
    </message>
    <message id="UPDATE_AVAILABLE_TITLE">
        <source>クイレットの新しいバージョンがあります</source>
        <translation>クイレットの新しいバージョンがあります</translation>
    </message>
    <message id="CURRENT_VERSION_LABEL">
        <source>現在のバージョン</source>
        <translation>現在のバージョン</translation>
    </message>
    <message id="LATEST_VERSION_LABEL">
        <source>最新バージョン</source>
        <translation>最新バージョン</translation>
    </message>
    <message id="RELEASE_NOTES_HEADER">
        <source>更新内容:</source>
        <translation>更新内容:</translation>
    </message>
    <message id="CLOSE_BUTTON">
        <source>閉じる</source>
        <translation>閉じる</translation>
    </message>
    <message id="OPEN_DOWNLOAD_PAGE">
        <source>ダウンロードページを開く</source>
        <translation>ダウンロードページを開く</translation>
    </message>
    <message id="SHOW_SETTINGS_PANEL">
        <source>設定...</source>
        <translation>設定...</translation>
    </message>
    <message id="PHRASE_CSV_FILE_FILTER">
        <source>CSV ファイル (*.csv)</source>
        <translation>CSV ファイル (*.csv)</translation>
    </message>
    <message id="PHRASE_CANCEL">
        <source>キャンセル</source>
        <translation>キャンセル</translation>
    </message>
    <message id="PHRASE_SAVE">
        <source>保存</source>
        <translation>保存</translation>
    </message>
    <message id="PHRASE_CATEGORY_NAME">
        <source>カテゴリ名</source>
        <translation>カテゴリ名</translation>
    </message>
    <message id="PHRASE_TITLE">
        <source>タイトル</source>
        <translation>タイトル</translation>
    </message>
    <message id="PHRASE_CATEGORIES">
        <source>カテゴリ</source>
        <translation>カテゴリ</translation>
    </message>
    <message id="PHRASE_NEW_CATEGORY">
        <source>新しいカテゴリ</source>
        <translation>新しいカテゴリ</translation>
    </message>
    <message id="PHRASE_SELECT_CATEGORY">
        <source>カテゴリを選択してください</source>
        <translation>カテゴリを選択してください</translation>
    </message>
    <message id="PHRASE_CSV_SAVE_TEMPLATE">
        <source>CSV雛形を保存...</source>
        <translation>CSV雛形を保存...</translation>
    </message>
    <message id="PHRASE_NEW_PHRASE">
        <source>新しい定型文</source>
        <translation>新しい定型文</translation>
    </message>
    <message id="PHRASE_EDIT">
        <source>編集</source>
        <translation>編集</translation>
    </message>
    <message id="PHRASE_DELETE">
        <source>削除</source>
        <translation>削除</translation>
    </message>
    <message id="PHRASE_CSV_READ_FAILED">
        <source>「%1」を読み込めませんでした: %2</source>
        <translation>「%1」を読み込めませんでした: %2</translation>
    </message>
    <message id="PHRASE_CSV_TOO_LARGE">
        <source>「%1」は %2 MB を超えているため読み込めません。何も取り込んでいません。</source>
        <translation>「%1」は %2 MB を超えているため読み込めません。何も取り込んでいません。</translation>
    </message>
    <message id="PHRASE_CSV_UNKNOWN_ENCODING">
        <source>「%1」は UTF-8 でも Shift_JIS でもないテキストのため読み込めません。何も取り込んでいません。</source>
        <translation>「%1」は UTF-8 でも Shift_JIS でもないテキストのため読み込めません。何も取り込んでいません。</translation>
    </message>
    <message id="PHRASE_CSV_WRITE_FAILED">
        <source>「%1」に書き込めませんでした: %2</source>
        <translation>「%1」に書き込めませんでした: %2</translation>
    </message>
    <message id="MANAGE_PHRASES_TITLE">
        <source>定型文の管理</source>
        <translation>定型文の管理</translation>
    </message>
    <message id="SHOW_HISTORY_PANEL">
        <source>定型文の管理...</source>
        <translation>定型文の管理...</translation>
    </message>
    <message id="STORE_IN_USE">
        <source>Another Quillet (process %1) already uses %2.</source>
        <translation>別のクイレット（プロセス %1）が %2 を使用中です。</translation>
    </message>
    <message id="LOCK_NOT_A_FILE">
        <source>Quillet cannot start: %1 is not a regular file; remove it.</source>
        <translation>クイレットを起動できません。%1 は通常のファイルではありません。削除してください。</translation>
    </message>
    <message id="SETTINGS_NOT_A_FILE">
        <source>The settings file %1 is not a regular file (%2): Quillet runs with default settings and keeps no changes to them. Remove it to have settings saved again.</source>
        <translation>設定ファイル %1 は通常のファイルではありません（%2）。クイレットは既定の設定で動作し、設定の変更は保存されません。設定を保存できるようにするには、このファイルを削除してください。</translation>
    </message>
    <message id="NO_SYSTEM_TRAY">
        <source>There is no system tray: Quillet runs without its icon. quillet --history-menu, --phrase-menu, --search, --manage-phrases, --settings and --quit work (bind them to keys in your desktop's settings); quillet --status tells whether its own hot keys do.</source>
        <translation>システムトレイがありません。クイレットはアイコンなしで動作します。quillet --history-menu, --phrase-menu, --search, --manage-phrases, --settings, --quit は使えます（デスクトップの設定でキーに割り当ててください）。ホットキーが使えるかどうかは quillet --status でわかります。</translation>
    </message>
    <message id="CLI_DESCRIPTION">
        <source>Quillet keeps every text you copy and a library of phrases, and pastes them back into the window you were working in.

Started without options it runs in the system tray. Shift+Super+V opens the history menu, Shift+Super+C the phrase menu (change them in the settings window). With one of the options below it asks the running Quillet and exits.

Files: $XDG_DATA_HOME/quillet/history.sqlite (history and phrases), $XDG_CONFIG_HOME/quillet/quillet.ini (settings).
Environment: LANG and LANGUAGE choose English or Japanese; QT_LOGGING_RULES tunes the warnings on standard error ("quillet.*.debug=true" for more).</source>
        <translation>クイレットはコピーしたテキストをすべて記録し、定型文のライブラリとともに、作業中のウィンドウへ貼り付けます。

オプションなしで起動するとシステムトレイに常駐します。Shift+Super+V で履歴メニュー、Shift+Super+C で定型文メニューが開きます（設定ウィンドウで変更できます）。下のオプションを付けると、実行中のクイレットに依頼して終了します。

ファイル: $XDG_DATA_HOME/quillet/history.sqlite（履歴と定型文）、$XDG_CONFIG_HOME/quillet/quillet.ini（設定）。
環境変数: LANG と LANGUAGE で英語か日本語かを選びます。QT_LOGGING_RULES で標準エラー出力の警告を調整できます（詳しく出すには "quillet.*.debug=true"）。</translation>
    </message>
    <message id="CLI_HISTORY_MENU">
        <source>Show the history menu of the running Quillet at the pointer.</source>
        <translation>実行中のクイレットの履歴メニューをポインタの位置に表示します。</translation>
    </message>
    <message id="CLI_PHRASE_MENU">
        <source>Show the phrase menu of the running Quillet at the pointer.</source>
        <translation>実行中のクイレットの定型文メニューをポインタの位置に表示します。</translation>
    </message>
    <message id="CLI_SEARCH">
        <source>Show the history search panel of the running Quillet.</source>
        <translation>実行中のクイレットの履歴検索パネルを表示します。</translation>
    </message>
    <message id="CLI_MANAGE_PHRASES">
        <source>Open the phrase library window of the running Quillet.</source>
        <translation>実行中のクイレットの定型文の管理ウィンドウを開きます。</translation>
    </message>
    <message id="CLI_SETTINGS">
        <source>Open the settings window of the running Quillet.</source>
        <translation>実行中のクイレットの設定ウィンドウを開きます。</translation>
    </message>
    <message id="CLI_STATUS">
        <source>Say whether Quillet is running (exit status 0 when it is).</source>
        <translation>クイレットが実行中かどうかを表示します（実行中なら終了コード 0）。</translation>
    </message>
    <message id="CLI_QUIT">
        <source>Quit the running Quillet.</source>
        <translation>実行中のクイレットを終了します。</translation>
    </message>
    <message id="CLI_PAUSE">
        <source>実行中のクイレットで、再開するまで記録を一時停止します。その間にコピーされたものは読み取りません。</source>
        <translation>実行中のクイレットで、再開するまで記録を一時停止します。その間にコピーされたものは読み取りません。</translation>
    </message>
    <message id="CLI_PAUSE_FOR">
        <source>実行中のクイレットで、指定した分数 (1〜%1) だけ記録を一時停止します。</source>
        <translation>実行中のクイレットで、指定した分数 (1〜%1) だけ記録を一時停止します。</translation>
    </message>
    <message id="CLI_MINUTES">
        <source>分数</source>
        <translation>分数</translation>
    </message>
    <message id="CLI_RESUME">
        <source>実行中のクイレットで記録を再開します。これ以降のコピーが記録されます。</source>
        <translation>実行中のクイレットで記録を再開します。これ以降のコピーが記録されます。</translation>
    </message>
    <message id="CLI_BAD_MINUTES">
        <source>--pause-for には 1 から %1 までの整数 (分) を指定してください (%2 は使えません)</source>
        <translation>--pause-for には 1 から %1 までの整数 (分) を指定してください (%2 は使えません)</translation>
    </message>
    <message id="CLI_DID_YOU_MEAN">
        <source>did you mean %1?</source>
        <translation>%1 のことですか?</translation>
    </message>
    <message id="CLI_SEE_HELP">
        <source>Run quillet --help to see what it takes.</source>
        <translation>使い方は quillet --help で確認できます。</translation>
    </message>
    <message id="CLI_UNKNOWN_OPTION">
        <source>unknown option %1</source>
        <translation>不明なオプション %1</translation>
    </message>
    <message id="CLI_UNEXPECTED_ARGUMENT">
        <source>unexpected argument %1</source>
        <translation>余分な引数 %1</translation>
    </message>
    <message id="SAVE_FAILED_TITLE">
        <source>Quillet cannot save</source>
        <translation>保存できません</translation>
    </message>
    <message id="SAVE_FAILED_MESSAGE">
        <source>%1
New copies are kept and saved as soon as this is resolved.</source>
        <translation>%1
新しいコピーは保持され、解決しだい保存されます。</translation>
    </message>
    <message id="STORE_DAMAGED_TITLE">
        <source>The history file is damaged</source>
        <translation>履歴ファイルが破損しています</translation>
    </message>
    <message id="STORE_DAMAGED_MESSAGE">
        <source>%1: %2
Quillet keeps working with it; keep a copy of the file before anything else.</source>
        <translation>%1: %2
クイレットはこのまま動作します。まずファイルのコピーを取っておいてください。</translation>
    </message>
    <message id="TOOLTIP_MATCH_LINE">
        <source>Line %1: %2</source>
        <translation>%1 行目: %2</translation>
    </message>
    <message id="STATUS_BACKEND">
        <source>Desktop: %1</source>
        <translation>デスクトップ: %1</translation>
    </message>
    <message id="STATUS_CLIPBOARD">
        <source>Clipboard: %1</source>
        <translation>クリップボード: %1</translation>
    </message>
    <message id="STATUS_PASTE">
        <source>Paste: %1</source>
        <translation>ペースト: %1</translation>
    </message>
    <message id="STATUS_KEY_INACTIVE">
        <source>not active; bind %1 to a key in the desktop's keyboard settings</source>
        <translation>無効。デスクトップのキーボード設定で %1 をキーに割り当ててください</translation>
    </message>
    <message id="STATUS_HISTORY_KEY">
        <source>History menu key %1: %2</source>
        <translation>履歴メニューのキー %1: %2</translation>
    </message>
    <message id="STATUS_PHRASE_KEY">
        <source>Phrase menu key %1: %2</source>
        <translation>定型文メニューのキー %1: %2</translation>
    </message>
    <message id="STATUS_NO_RECENT_WARNINGS">
        <source>Recent warnings: none</source>
        <translation>最近の警告: なし</translation>
    </message>
    <message id="STATUS_RECENT_WARNINGS">
        <source>Recent warnings:</source>
        <translation>最近の警告:</translation>
    </message>
    <message id="PASTE_MANUALLY_NOTICE">
        <source>Copied — paste with Ctrl+V</source>
        <translation>コピーしました — Ctrl+V で貼り付けてください</translation>
    </message>
    <message id="CLIPBOARD_WRITE_FAILED_TITLE">
        <source>テキストをクリップボードに置けませんでした</source>
        <translation>テキストをクリップボードに置けませんでした</translation>
    </message>
    <message id="CLIPBOARD_WRITE_FAILED_MESSAGE">
        <source>デスクトップが選んだテキストを受け取らなかったため、何も貼り付けていません。クリップボードには以前の内容が残っています。もう一度試すか、検索パネルからテキストをコピーしてください。</source>
        <translation>デスクトップが選んだテキストを受け取らなかったため、何も貼り付けていません。クリップボードには以前の内容が残っています。もう一度試すか、検索パネルからテキストをコピーしてください。</translation>
    </message>
    <message id="WAYLAND_NO_DATA_CONTROL_TITLE">
        <source>Clipboard history is limited</source>
        <translation>クリップボード履歴が制限されています</translation>
    </message>
    <message id="WAYLAND_NO_DATA_CONTROL_XWAYLAND">
        <source>This desktop does not let clipboard managers follow copies (no data-control protocol). Quillet follows them through XWayland, so copies from some programs may be missed.</source>
        <translation>このデスクトップはクリップボードマネージャーにコピーの追跡を許していません（data-control プロトコルがありません）。Quillet は XWayland 経由で追跡するため、一部のプログラムからのコピーは記録されないことがあります。</translation>
    </message>
    <message id="WAYLAND_NO_DATA_CONTROL_QT">
        <source>This desktop does not let clipboard managers follow copies (no data-control protocol). Quillet sees a copy only while one of its windows is active.</source>
        <translation>このデスクトップはクリップボードマネージャーにコピーの追跡を許していません（data-control プロトコルがありません）。Quillet はそのウィンドウのいずれかがアクティブな間だけコピーを記録します。</translation>
    </message>
    <message id="HOTKEY_PENDING_NOTICE">
        <source>Waiting for the desktop to confirm this key.</source>
        <translation>デスクトップがこのキーを確認するのを待っています。</translation>
    </message>
    <message id="HOTKEY_REFUSED_NOTICE">
        <source>The desktop did not give this key to Quillet. Bind this command to a key in the desktop's keyboard settings instead:</source>
        <translation>デスクトップはこのキーを Quillet に割り当てませんでした。代わりにデスクトップのキーボード設定で次のコマンドをキーに割り当ててください:</translation>
    </message>
    <message id="HOTKEY_UNAVAILABLE_NOTICE">
        <source>This desktop offers Quillet no global hot keys. Bind this command to a key in the desktop's keyboard settings instead:</source>
        <translation>このデスクトップでは Quillet のグローバルホットキーを使えません。代わりにデスクトップのキーボード設定で次のコマンドをキーに割り当ててください:</translation>
    </message>
    <message id="STATUS_KEY_PENDING">
        <source>waiting for the desktop to confirm it (%1); meanwhile %2 opens the menu</source>
        <translation>デスクトップの確認待ち (%1)。その間は %2 でメニューを開けます</translation>
    </message>
    <message id="PORTAL_HISTORY_SHORTCUT">
        <source>Show Quillet's clipboard history menu</source>
        <translation>Quillet のクリップボード履歴メニューを表示</translation>
    </message>
    <message id="PORTAL_PHRASE_SHORTCUT">
        <source>Show Quillet's phrase menu</source>
        <translation>Quillet の定型文メニューを表示</translation>
    </message>
    <message id="STATUS_INDEX_MIGRATING">
        <source>Search index: bringing the history up to date, %1 of %2 clips (%3%); searches are slower until then</source>
        <translation>検索インデックス: 履歴を更新中 (%2 件中 %1 件、%3%)。完了までは検索が遅くなります</translation>
    </message>
    <message id="STATUS_INDEX_MIGRATION_STARTING">
        <source>Search index: bringing the history up to date; searches are slower until then</source>
        <translation>検索インデックス: 履歴を更新中。完了までは検索が遅くなります</translation>
    </message>
    <message id="AUTO_LAUNCH_ENABLE_FAILED">
        <source>Start at login could not be turned on: the autostart entry could not be written.</source>
        <translation>ログイン時の自動起動をオンにできませんでした。自動起動エントリを書き込めません。</translation>
    </message>
    <message id="AUTO_LAUNCH_DISABLE_FAILED">
        <source>Start at login could not be turned off: the autostart entry could not be changed.</source>
        <translation>ログイン時の自動起動をオフにできませんでした。自動起動エントリを変更できません。</translation>
    </message>
    <message id="RELEASE_NOTES_MORE_LINK">
        <source>Read the full notes on the download page</source>
        <translation>更新内容の全文はダウンロードページで</translation>
    </message>
    <message id="PHRASE_CSV_TOO_MANY_ROWS">
        <source>「%1」には %L2 件を超える定型文があるため取り込めません。何も取り込んでいません。</source>
        <translation>「%1」には %L2 件を超える定型文があるため取り込めません。何も取り込んでいません。</translation>
    </message>
    <message id="PHRASE_CSV_FIELD_TOO_LONG">
        <source>「%1」の %L2 行目の項目が %3 MiB を超えているため取り込めません。何も取り込んでいません。</source>
        <translation>「%1」の %L2 行目の項目が %3 MiB を超えているため取り込めません。何も取り込んでいません。</translation>
    </message>
    <message id="PHRASE_CSV_UNCLOSED_QUOTE">
        <source>「%1」の %L2 行目で始まる引用符 (") が閉じられていません。何も取り込んでいません。</source>
        <translation>「%1」の %L2 行目で始まる引用符 (") が閉じられていません。何も取り込んでいません。</translation>
    </message>
    <message id="PHRASE_CSV_NO_ROWS">
        <source>「%1」には取り込める定型文がありません。1 行目に「title,body」、2 行目から 1 行に 1 件ずつ書いてください。</source>
        <translation>「%1」には取り込める定型文がありません。1 行目に「title,body」、2 行目から 1 行に 1 件ずつ書いてください。</translation>
    </message>
    <message id="PHRASE_IMPORT_READING">
        <source>「%1」を読み込んでいます…</source>
        <translation>「%1」を読み込んでいます…</translation>
    </message>
    <message id="PHRASE_IMPORT_WRITING">
        <source>定型文を取り込んでいます (%L1 / %L2 件)…</source>
        <translation>定型文を取り込んでいます (%L1 / %L2 件)…</translation>
    </message>
    <message id="QUICK_PHRASE_MORE">
        <source>さらに表示…</source>
        <translation>さらに表示…</translation>
    </message>
    <message id="STATUS_SAVE_FAILING">
        <source>Saving: failing since %1 (%2); %3 changes kept in memory and in %4</source>
        <translation>保存: %1 から失敗しています (%2)。%3 件の変更をメモリと %4 に保持しています</translation>
    </message>
    <message id="STATUS_SAVE_FAILING_NO_COPY">
        <source>Saving: failing since %1 (%2); %3 changes kept in memory only, no copy on disk (%4): they are lost if Quillet ends</source>
        <translation>保存: %1 から失敗しています (%2)。%3 件の変更はメモリにのみ保持され、ディスクに控えを書けません (%4)。Quillet が終了すると失われます</translation>
    </message>
    <message id="HELD_CHANGES_DAMAGED_TITLE">
        <source>Unsaved changes from the last run were damaged</source>
        <translation>前回保存できなかった変更が破損していました</translation>
    </message>
    <message id="HELD_CHANGES_DAMAGED_MESSAGE">
        <source>%1 of them were restored; the file is kept as %2.</source>
        <translation>%1 件を復元しました。ファイルは %2 として残してあります。</translation>
    </message>
    <message id="QUIT_CHANGES_KEPT">
        <source>%1 changes could not be saved to %2 (%3). They are kept in %4 and restored at the next start.</source>
        <translation>%1 件の変更を %2 に保存できませんでした (%3)。%4 に保持し、次回の起動時に復元します。</translation>
    </message>
    <message id="QUIT_CHANGES_LOST">
        <source>%1 changes (%2 new clips among them) could not be saved to %3 (%4), nor kept in %5 (%6): they are lost.</source>
        <translation>%1 件の変更 (うち新しいクリップ %2 件) を %3 に保存できず (%4)、%5 にも保持できませんでした (%6)。これらの変更は失われます。</translation>
    </message>
    <message id="STATUS_RUNNING">
        <source>クイレットは実行中です。</source>
        <translation>クイレットは実行中です。</translation>
    </message>
    <message id="STATUS_RECORDING_ON">
        <source>記録: オン</source>
        <translation>記録: オン</translation>
    </message>
    <message id="STATUS_RECORDING_PAUSED">
        <source>記録: 一時停止中</source>
        <translation>記録: 一時停止中</translation>
    </message>
    <message id="STATUS_RECORDING_PAUSED_UNTIL">
        <source>記録: %1 まで一時停止中</source>
        <translation>記録: %1 まで一時停止中</translation>
    </message>
    <message id="STATUS_NOT_ANSWERING">
        <source>クイレットは実行中です（プロセス %1）が、%2 で応答しません。</source>
        <translation>クイレットは実行中です（プロセス %1）が、%2 で応答しません。</translation>
    </message>
    <message id="STATUS_NOT_RUNNING">
        <source>クイレットは実行されていません。</source>
        <translation>クイレットは実行されていません。</translation>
    </message>
    <message id="REQUEST_REFUSED">
        <source>クイレットは要求を受け付けませんでした: %1</source>
        <translation>クイレットは要求を受け付けませんでした: %1</translation>
    </message>
    <message id="CLI_HELP">
        <source>このヘルプを表示して終了します。</source>
        <translation>このヘルプを表示して終了します。</translation>
    </message>
    <message id="GNOME_SHORTCUTS_NOT_WRITABLE">
        <source>GNOME's settings do not let %1 be changed (it may be locked by the administrator).</source>
        <translation>GNOME の設定では %1 を変更できません (管理者がロックしている可能性があります)。</translation>
    </message>
    <message id="GNOME_SHORTCUTS_MISSING">
        <source>GNOME's custom keyboard shortcuts are not installed.</source>
        <translation>GNOME のカスタムキーボードショートカットがインストールされていません。</translation>
    </message>
    <message id="GNOME_SHORTCUTS_NO_KEY_NAME">
        <source>GNOME has no name for the key of &quot;%1&quot;.</source>
        <translation>「%1」のキーは GNOME で名前を付けられません。</translation>
    </message>
    <message id="DESKTOP_SHORTCUTS_REMOVE_FAILED">
        <source>Quillet's keys could not be removed from GNOME's keyboard shortcuts: %1</source>
        <translation>GNOME のキーボードショートカットから Quillet のキーを削除できませんでした: %1</translation>
    </message>
    <message id="DESKTOP_SHORTCUT_HISTORY">
        <source>Quillet: clipboard history menu</source>
        <translation>Quillet: クリップ履歴メニュー</translation>
    </message>
    <message id="DESKTOP_SHORTCUT_PHRASE">
        <source>Quillet: phrase menu</source>
        <translation>Quillet: 定型文メニュー</translation>
    </message>
    <message id="DESKTOP_SHORTCUTS_WRITE_FAILED">
        <source>GNOME's keyboard shortcuts could not be changed: %1</source>
        <translation>GNOME のキーボードショートカットを変更できませんでした: %1</translation>
    </message>
    <message id="DESKTOP_SHORTCUTS_TOGGLE">
        <source>Add to GNOME's keyboard shortcuts</source>
        <translation>GNOME のキーボードショートカットに追加</translation>
    </message>
    <message id="NO_TRAY_NOTICE_TITLE">
        <source>Quillet runs without a tray icon</source>
        <translation>Quillet はトレイアイコンなしで動作しています</translation>
    </message>
    <message id="NO_TRAY_NOTICE_MESSAGE">
        <source>Its history menu opens with %1 and its phrase menu with %2, where the desktop lets Quillet have these keys (the settings window tells). Starting Quillet again, from the application grid or with the quillet command, opens the history search.</source>
        <translation>履歴メニューは %1、定型文メニューは %2 で開きます (デスクトップがこれらのキーを Quillet に割り当てている場合。設定ウインドウで確認できます)。アプリケーション一覧や quillet コマンドで Quillet をもう一度起動すると、履歴の検索が開きます。</translation>
    </message>
    <message id="STATUS_KEY_DESKTOP">
        <source>GNOME's keyboard shortcuts run %1 on it</source>
        <translation>GNOME のキーボードショートカットがこのキーで %1 を実行します</translation>
    </message>
    <message id="STATUS_REMOTE_DESKTOP_OPENING">
        <source>リモートデスクトップポータル: セッションを開いています</source>
        <translation>リモートデスクトップポータル: セッションを開いています</translation>
    </message>
    <message id="STATUS_REMOTE_DESKTOP_PENDING">
        <source>リモートデスクトップポータル: デスクトップのダイアログでの許可を待っています。許可されるまで、選んだテキストはクリップボードに残ります</source>
        <translation>リモートデスクトップポータル: デスクトップのダイアログでの許可を待っています。許可されるまで、選んだテキストはクリップボードに残ります</translation>
    </message>
    <message id="STATUS_REMOTE_DESKTOP_READY">
        <source>リモートデスクトップポータル (キーボード): 準備完了、すべてのウィンドウで Ctrl+V</source>
        <translation>リモートデスクトップポータル (キーボード): 準備完了、すべてのウィンドウで Ctrl+V</translation>
    </message>
    <message id="STATUS_REMOTE_DESKTOP_REFUSED">
        <source>リモートデスクトップポータル: 許可されませんでした。選んだテキストはクリップボードに残ります (もう一度尋ねるには Quillet を再起動してください)</source>
        <translation>リモートデスクトップポータル: 許可されませんでした。選んだテキストはクリップボードに残ります (もう一度尋ねるには Quillet を再起動してください)</translation>
    </message>
    <message id="STATUS_REMOTE_DESKTOP_ENDED">
        <source>リモートデスクトップポータル: デスクトップがセッションを終了しました。選んだテキストはクリップボードに残ります (もう一度尋ねるには Quillet を再起動してください)</source>
        <translation>リモートデスクトップポータル: デスクトップがセッションを終了しました。選んだテキストはクリップボードに残ります (もう一度尋ねるには Quillet を再起動してください)</translation>
    </message>
    <message id="STATUS_REMOTE_DESKTOP_UNAVAILABLE">
        <source>なし (仮想キーボードもリモートデスクトップポータルもありません): テキストはクリップボードに残り、通知が表示されます</source>
        <translation>なし (仮想キーボードもリモートデスクトップポータルもありません): テキストはクリップボードに残り、通知が表示されます</translation>
    </message>
    <message id="UPDATE_FEED_TIMED_OUT">
        <source>no answer within %1 s</source>
        <translation>%1 秒以内に応答がありませんでした</translation>
    </message>
    <message id="UPDATE_FEED_TOO_LARGE">
        <source>it is larger than %1 KiB</source>
        <translation>%1 KiB を超えています</translation>
    </message>
    <message id="UPDATE_FAILURE_NO_CONNECTION">
        <source>No connection to %1: %2</source>
        <translation>%1 に接続できませんでした: %2</translation>
    </message>
    <message id="UPDATE_FAILURE_STATUS">
        <source>The server answered %1.</source>
        <translation>サーバーがステータス %1 を返しました。</translation>
    </message>
    <message id="UPDATE_FAILURE_INVALID_FEED">
        <source>The feed is not valid: %1</source>
        <translation>フィードが正しくありません: %1</translation>
    </message>
    <message id="UPDATE_FAILURE_BAD_ADDRESS">
        <source>The feed address is not a valid HTTPS address: %1</source>
        <translation>フィードのアドレスが有効な HTTPS アドレスではありません: %1</translation>
    </message>
    <message id="UPDATE_FAILURE_NO_VERSION">
        <source>The feed names no version.</source>
        <translation>フィードにバージョンが記載されていません。</translation>
    </message>
    <message id="UPDATES_FROM_PACKAGE_MANAGER">
        <source>Updates to Quillet come from your system's package manager.</source>
        <translation>クイレットのアップデートはシステムのパッケージマネージャーから提供されます。</translation>
    </message>
    <message id="PRIVACY_SETTINGS_HEADER">
        <source>プライバシー</source>
        <translation>プライバシー</translation>
    </message>
    <message id="IGNORED_APPS_CAPTION">
        <source>次のアプリからのコピーは記録しません:</source>
        <translation>次のアプリからのコピーは記録しません:</translation>
    </message>
    <message id="IGNORED_APP_PLACEHOLDER">
        <source>クラス名またはアプリID</source>
        <translation>クラス名またはアプリID</translation>
    </message>
    <message id="IGNORED_APP_ADD">
        <source>追加</source>
        <translation>追加</translation>
    </message>
    <message id="IGNORED_APP_REMOVE">
        <source>削除</source>
        <translation>削除</translation>
    </message>
    <message id="IGNORED_APPS_BY_CLASS">
        <source>名前は、コピーしたウィンドウのクラス名(WM_CLASS)と照合します。</source>
        <translation>名前は、コピーしたウィンドウのクラス名(WM_CLASS)と照合します。</translation>
    </message>
    <message id="IGNORED_APPS_BY_APP_ID">
        <source>名前は、コピーしたときにアクティブだったウィンドウのアプリIDと照合します。</source>
        <translation>名前は、コピーしたときにアクティブだったウィンドウのアプリIDと照合します。</translation>
    </message>
    <message id="IGNORED_APPS_UNAVAILABLE">
        <source>このデスクトップはどのアプリがコピーしたかを知らせないため、このリストは適用されません。</source>
        <translation>このデスクトップはどのアプリがコピーしたかを知らせないため、このリストは適用されません。</translation>
    </message>
    <message id="STATUS_IGNORED_BY_CLASS">
        <source>by the clipboard owner's window class (X11)</source>
        <translation>クリップボード所有者のウィンドウクラスで判定 (X11)</translation>
    </message>
    <message id="STATUS_IGNORED_BY_APP_ID">
        <source>by the active window's app id</source>
        <translation>アクティブなウィンドウのアプリIDで判定</translation>
    </message>
    <message id="STATUS_IGNORED_UNAVAILABLE">
        <source>not available here (the desktop does not say which application copied)</source>
        <translation>この環境では使えません (どのアプリがコピーしたかをデスクトップが知らせません)</translation>
    </message>
    <message id="STATUS_IGNORED_APPS">
        <source>Ignored applications: %1, %2</source>
        <translation>記録しないアプリ: %1 件、%2</translation>
    </message>
    <message id="PLACEHOLDER_FORM_TITLE">
        <source>定型文の入力</source>
        <translation>定型文の入力</translation>
    </message>
    <message id="PLACEHOLDER_FORM_PASTE">
        <source>ペースト</source>
        <translation>ペースト</translation>
    </message>
    <message id="PLACEHOLDER_FORM_CANCEL">
        <source>キャンセル</source>
        <translation>キャンセル</translation>
    </message>
    <message id="PHRASE_TOO_LARGE_TITLE">
        <source>定型文が大きすぎます</source>
        <translation>定型文が大きすぎます</translation>
    </message>
    <message id="PHRASE_TOO_LARGE_MESSAGE">
        <source>差し込み後の定型文が 64 MiB を超えるため、ペーストしませんでした。差し込む内容（ほかの定型文やクリップボード）を確認してください。</source>
        <translation>差し込み後の定型文が 64 MiB を超えるため、ペーストしませんでした。差し込む内容（ほかの定型文やクリップボード）を確認してください。</translation>
    </message>
    <message id="SYNC_FOLDER_NOT_SHARED">
        <source>Syncthingは動いていますが、%1を共有していません。Syncthingでこのフォルダ(またはこれを含むフォルダ)を追加し、ほかのコンピュータと共有してください。</source>
        <translation>Syncthingは動いていますが、%1を共有していません。Syncthingでこのフォルダ(またはこれを含むフォルダ)を追加し、ほかのコンピュータと共有してください。</translation>
    </message>
    <message id="SYNC_KEY_REJECTED">
        <source>Syncthingが%1のAPIキーを受け付けませんでした。quillet.iniのsync/syncthingApiKeyに、Syncthingの設定に表示されるキーを書いてください。</source>
        <translation>Syncthingが%1のAPIキーを受け付けませんでした。quillet.iniのsync/syncthingApiKeyに、Syncthingの設定に表示されるキーを書いてください。</translation>
    </message>
    <message id="SYNC_KEY_FILE_UNREADABLE">
        <source>%1の同期キーを読み込めません。同期をオフにして、ペアリングコードでもう一度参加してください。</source>
        <translation>%1の同期キーを読み込めません。同期をオフにして、ペアリングコードでもう一度参加してください。</translation>
    </message>
    <message id="SYNC_KEY_NOT_KEPT">
        <source>同期キーを保存できませんでした。キーリングが応答せず、%1にも書き込めません。</source>
        <translation>同期キーを保存できませんでした。キーリングが応答せず、%1にも書き込めません。</translation>
    </message>
    <message id="SYNC_KEY_NOT_REMOVED">
        <source>%1の同期キーを削除できませんでした。このファイルを手動で削除してください。</source>
        <translation>%1の同期キーを削除できませんでした。このファイルを手動で削除してください。</translation>
    </message>
    <message id="REQUEST_TIMED_OUT">
        <source>Quilletは時間内に処理を終えられませんでした。理由はログを確認してください。</source>
        <translation>Quilletは時間内に処理を終えられませんでした。理由はログを確認してください。</translation>
    </message>
    <message id="SYNC_REQUEST_MALFORMED">
        <source>%1には値が%2個必要です。</source>
        <translation>%1には値が%2個必要です。</translation>
    </message>
    <message id="SYNC_REQUEST_BUSY">
        <source>Quilletは同期のオン・オフを処理中です。少し待ってからもう一度お試しください。</source>
        <translation>Quilletは同期のオン・オフを処理中です。少し待ってからもう一度お試しください。</translation>
    </message>
    <message id="SYNC_PAIRING_CODE_INTRO">
        <source>同期がオンになりました。ほかのコンピュータでこのペアリングコードを入力してください(quillet --sync-join フォルダ コード、または設定ウインドウ):</source>
        <translation>同期がオンになりました。ほかのコンピュータでこのペアリングコードを入力してください(quillet --sync-join フォルダ コード、または設定ウインドウ):</translation>
    </message>
    <message id="CLI_FOLDER">
        <source>フォルダ</source>
        <translation>フォルダ</translation>
    </message>
    <message id="CLI_SYNC_INIT">
        <source>Syncthing(または別の同期ツール)が共有するフォルダを通して、履歴と定型文をほかのコンピュータと同期します。ほかのコンピュータで入力するペアリングコードを表示します。</source>
        <translation>Syncthing(または別の同期ツール)が共有するフォルダを通して、履歴と定型文をほかのコンピュータと同期します。ほかのコンピュータで入力するペアリングコードを表示します。</translation>
    </message>
    <message id="CLI_SYNC_JOIN">
        <source>フォルダを通して、ほかのコンピュータの同期に参加します。そこで表示されたペアリングコードを使います: quillet --sync-join フォルダ コード</source>
        <translation>フォルダを通して、ほかのコンピュータの同期に参加します。そこで表示されたペアリングコードを使います: quillet --sync-join フォルダ コード</translation>
    </message>
    <message id="CLI_SYNC_OFF">
        <source>このコンピュータでの同期をやめ、キーを消去します(フォルダ内のファイルは残ります)。</source>
        <translation>このコンピュータでの同期をやめ、キーを消去します(フォルダ内のファイルは残ります)。</translation>
    </message>
    <message id="CLI_SYNC_JOIN_USAGE">
        <source>--sync-join にはフォルダとペアリングコードを指定します: quillet --sync-join フォルダ コード</source>
        <translation>--sync-join にはフォルダとペアリングコードを指定します: quillet --sync-join フォルダ コード</translation>
    </message>
    <message id="SYNC_CHOOSE_FOLDER_TITLE">
        <source>同期に使うフォルダを選択</source>
        <translation>同期に使うフォルダを選択</translation>
    </message>
    <message id="SYNC_TURN_OFF_TITLE">
        <source>同期をオフにしますか?</source>
        <translation>同期をオフにしますか?</translation>
    </message>
    <message id="SYNC_TURN_OFF_MESSAGE">
        <source>このコンピュータは同期をやめ、キーを消去します。ここにある内容は残り、ほかのコンピュータは同期を続けます。再び同期するにはペアリングコードが必要です。</source>
        <translation>このコンピュータは同期をやめ、キーを消去します。ここにある内容は残り、ほかのコンピュータは同期を続けます。再び同期するにはペアリングコードが必要です。</translation>
    </message>
    <message id="SYNC_TURN_OFF_CONFIRM">
        <source>オフにする</source>
        <translation>オフにする</translation>
    </message>
    <message id="SYNC_CHOOSE_FOLDER">
        <source>選択…</source>
        <translation>選択…</translation>
    </message>
    <message id="SYNC_START">
        <source>同期を開始</source>
        <translation>同期を開始</translation>
    </message>
    <message id="SYNC_JOIN">
        <source>参加</source>
        <translation>参加</translation>
    </message>
    <message id="SYNC_COPY_CODE">
        <source>コピー</source>
        <translation>コピー</translation>
    </message>
    <message id="SYNC_TURN_OFF">
        <source>同期をオフにする…</source>
        <translation>同期をオフにする…</translation>
    </message>
    <message id="SYNC_FOLDER_PLACEHOLDER">
        <source>Syncthingが共有するフォルダ</source>
        <translation>Syncthingが共有するフォルダ</translation>
    </message>
    <message id="SYNC_CODE_PLACEHOLDER">
        <source>ほかのコンピュータのペアリングコード</source>
        <translation>ほかのコンピュータのペアリングコード</translation>
    </message>
    <message id="SYNC_CODE_LABEL">
        <source>ペアリングコード:</source>
        <translation>ペアリングコード:</translation>
    </message>
    <message id="SYNC_SECTION_OFF">
        <source>オフ: 履歴と定型文はこのコンピュータだけにあります。ほかのコンピュータとSyncthingで共有しているフォルダを選び、ここで同期を開始してから、ほかのコンピュータで参加してください。</source>
        <translation>オフ: 履歴と定型文はこのコンピュータだけにあります。ほかのコンピュータとSyncthingで共有しているフォルダを選び、ここで同期を開始してから、ほかのコンピュータで参加してください。</translation>
    </message>
    <message id="SYNC_SECTION_ON">
        <source>%1を通して同期しています。</source>
        <translation>%1を通して同期しています。</translation>
    </message>
    <message id="SYNC_SECTION_DEVICES">
        <source>ほかのコンピュータ: %1台</source>
        <translation>ほかのコンピュータ: %1台</translation>
    </message>
    <message id="SYNC_SECTION_LAST">
        <source>最後に変更を受信: %1</source>
        <translation>最後に変更を受信: %1</translation>
    </message>
    <message id="SYNC_KEY_IN_FILE_NOTE">
        <source>キーリングが応答しないため、同期キーはあなただけが読めるファイルに保存されています。</source>
        <translation>キーリングが応答しないため、同期キーはあなただけが読めるファイルに保存されています。</translation>
    </message>
    <message id="SYNC_SETTINGS_HEADER">
        <source>同期</source>
        <translation>同期</translation>
    </message>
    <message id="SYNC_CODE_EMPTY">
        <source>同期を有効にしたマシンに表示されたペアリングコードを入力してください。</source>
        <translation>同期を有効にしたマシンに表示されたペアリングコードを入力してください。</translation>
    </message>
    <message id="SYNC_CODE_LENGTH">
        <source>ペアリングコードの長さが違います。コードは英数字 55 文字です。</source>
        <translation>ペアリングコードの長さが違います。コードは英数字 55 文字です。</translation>
    </message>
    <message id="SYNC_CODE_CHARACTER">
        <source>ペアリングコードに使われない文字が含まれています。確認してもう一度入力してください。</source>
        <translation>ペアリングコードに使われない文字が含まれています。確認してもう一度入力してください。</translation>
    </message>
    <message id="SYNC_CODE_WRONG">
        <source>コードが違います。ペアリングコードに打ち間違いがあります。確認してもう一度入力してください。</source>
        <translation>コードが違います。ペアリングコードに打ち間違いがあります。確認してもう一度入力してください。</translation>
    </message>
    <message id="SYNC_CODE_OTHER_SYNC">
        <source>コードが違います。このペアリングコードは、このフォルダとは別の同期のものです。</source>
        <translation>コードが違います。このペアリングコードは、このフォルダとは別の同期のものです。</translation>
    </message>
    <message id="SYNC_FOLDER_UNUSABLE">
        <source>フォルダ %1 を同期に使えません: %2</source>
        <translation>フォルダ %1 を同期に使えません: %2</translation>
    </message>
    <message id="SYNC_FOLDER_UNWRITABLE">
        <source>フォルダ %1 に書き込めません: %2</source>
        <translation>フォルダ %1 に書き込めません: %2</translation>
    </message>
    <message id="SYNC_WRITE_FAILED">
        <source>同期フォルダに変更を書き込めません: %1</source>
        <translation>同期フォルダに変更を書き込めません: %1</translation>
    </message>
    <message id="SYNC_KEY_MISSING">
        <source>このマシンに同期の鍵がありません。ペアリングコードでもう一度参加してください。</source>
        <translation>このマシンに同期の鍵がありません。ペアリングコードでもう一度参加してください。</translation>
    </message>
    <message id="SYNC_NO_CRYPTO">
        <source>同期は使えません: 暗号ライブラリを初期化できません。</source>
        <translation>同期は使えません: 暗号ライブラリを初期化できません。</translation>
    </message>
    <message id="SYNC_OTHER_KEY">
        <source>このフォルダの別のマシンが異なるペアリングコードを使っています。そのマシンの変更は反映されません。</source>
        <translation>このフォルダの別のマシンが異なるペアリングコードを使っています。そのマシンの変更は反映されません。</translation>
    </message>
    <message id="SYNC_STATUS_OFF">
        <source>同期: オフ</source>
        <translation>同期: オフ</translation>
    </message>
    <message id="SYNC_STATUS_PROBLEM">
        <source>同期: %1</source>
        <translation>同期: %1</translation>
    </message>
    <message id="SYNC_STATUS_NOTHING_YET">
        <source>同期: %1、%2 台のデバイス、まだ何も受信していません</source>
        <translation>同期: %1、%2 台のデバイス、まだ何も受信していません</translation>
    </message>
    <message id="SYNC_STATUS">
        <source>同期: %1、%2 台のデバイス、最終受信 %3</source>
        <translation>同期: %1、%2 台のデバイス、最終受信 %3</translation>
    </message>
    <message id="PHRASE_FILE_MALFORMED_AT">
        <source>「%1」は %L2 行目が読み取れないため取り込めません (%3)。何も取り込んでいません。</source>
        <translation>「%1」は %L2 行目が読み取れないため取り込めません (%3)。何も取り込んでいません。</translation>
    </message>
    <message id="PHRASE_FILE_MALFORMED">
        <source>「%1」は定型文のファイルとして読み取れないため取り込めません (%2)。何も取り込んでいません。</source>
        <translation>「%1」は定型文のファイルとして読み取れないため取り込めません (%2)。何も取り込んでいません。</translation>
    </message>
    <message id="PHRASE_YAML_PROGRAM_VARIABLE">
        <source>%1 行目: 変数「%2」はプログラムを実行するもの (%3) のため、実行せずに文字列として取り込みました。</source>
        <translation>%1 行目: 変数「%2」はプログラムを実行するもの (%3) のため、実行せずに文字列として取り込みました。</translation>
    </message>
    <message id="PHRASE_YAML_UNSUPPORTED_VARIABLE">
        <source>%1 行目: 種類 %3 の変数「%2」に当たるものがないため、文字列として取り込みました。</source>
        <translation>%1 行目: 種類 %3 の変数「%2」に当たるものがないため、文字列として取り込みました。</translation>
    </message>
    <message id="PHRASE_YAML_DATE_DIRECTIVE">
        <source>%1 行目: 日付の書式「%2」の %3 に当たるものがないため、そのまま文字として残しました。</source>
        <translation>%1 行目: 日付の書式「%2」の %3 に当たるものがないため、そのまま文字として残しました。</translation>
    </message>
    <message id="PHRASE_YAML_SKIPPED_MATCH">
        <source>%1 行目: トリガーも貼り付ける文字列もない項目を飛ばしました。</source>
        <translation>%1 行目: トリガーも貼り付ける文字列もない項目を飛ばしました。</translation>
    </message>
    <message id="PHRASE_JSON_FILE_FILTER">
        <source>Quillet の定型文ファイル (*.json)</source>
        <translation>Quillet の定型文ファイル (*.json)</translation>
    </message>
    <message id="PHRASE_YAML_FILE_FILTER">
        <source>テキスト展開ツールの YAML ファイル (*.yml *.yaml)</source>
        <translation>テキスト展開ツールの YAML ファイル (*.yml *.yaml)</translation>
    </message>
    <message id="PHRASE_ANY_FILE_FILTER">
        <source>定型文のファイル (*.csv *.yml *.yaml *.json)</source>
        <translation>定型文のファイル (*.csv *.yml *.yaml *.json)</translation>
    </message>
    <message id="PHRASE_FILE_IMPORT">
        <source>インポート...</source>
        <translation>インポート...</translation>
    </message>
    <message id="PHRASE_FILE_EXPORT">
        <source>エクスポート...</source>
        <translation>エクスポート...</translation>
    </message>
    <message id="PHRASE_FILE_MENU">
        <source>ファイル</source>
        <translation>ファイル</translation>
    </message>
    <message id="PHRASE_ABBREVIATION_HINT">
        <source>検索パネルで呼び出す短い語 (省略可)</source>
        <translation>検索パネルで呼び出す短い語 (省略可)</translation>
    </message>
    <message id="PHRASE_ABBREVIATION">
        <source>略語(&amp;A)</source>
        <translation>略語(&amp;A)</translation>
    </message>
    <message id="SEARCH_PHRASES_PLACEHOLDER">
        <source>定型文を検索...</source>
        <translation>定型文を検索...</translation>
    </message>
    <message id="PHRASE_IMPORT_BUSY">
        <source>別の定型文の取り込みが進行中です。終わってからもう一度お試しください。</source>
        <translation>別の定型文の取り込みが進行中です。終わってからもう一度お試しください。</translation>
    </message>
    <message id="PHRASE_EXPORTED">
        <source>%2 個のカテゴリーの定型文 %1 件を %3 に書き出しました</source>
        <translation>%2 個のカテゴリーの定型文 %1 件を %3 に書き出しました</translation>
    </message>
    <message id="CLI_SEARCH_PHRASES">
        <source>実行中のクイレットの検索パネルを定型文の検索で表示します (Tab で履歴に切り替わります)。</source>
        <translation>実行中のクイレットの検索パネルを定型文の検索で表示します (Tab で履歴に切り替わります)。</translation>
    </message>
    <message id="CLI_FILE">
        <source>ファイル</source>
        <translation>ファイル</translation>
    </message>
    <message id="CLI_IMPORT_PHRASES">
        <source>CSV ファイル、テキスト展開ツールの YAML ファイル、クイレットの JSON ファイルの定型文を、実行中のクイレットに取り込みます。</source>
        <translation>CSV ファイル、テキスト展開ツールの YAML ファイル、クイレットの JSON ファイルの定型文を、実行中のクイレットに取り込みます。</translation>
    </message>
    <message id="CLI_CATEGORY">
        <source>--import-phrases で取り込む先のカテゴリー (その名前のものがなければ作ります。省略時はファイル名)。</source>
        <translation>--import-phrases で取り込む先のカテゴリー (その名前のものがなければ作ります。省略時はファイル名)。</translation>
    </message>
    <message id="CLI_NAME">
        <source>名前</source>
        <translation>名前</translation>
    </message>
    <message id="CLI_EXPORT_PHRASES">
        <source>実行中のクイレットの定型文をすべて JSON ファイルに書き出します。</source>
        <translation>実行中のクイレットの定型文をすべて JSON ファイルに書き出します。</translation>
    </message>
    <message id="CLI_CATEGORY_ALONE">
        <source>--category は --import-phrases と一緒に使います</source>
        <translation>--category は --import-phrases と一緒に使います</translation>
    </message>
    <message id="PHRASE_YAML_NO_ROWS">
        <source>「%1」には取り込める定型文がありません。「matches:」の下に、trigger と replace を持つ項目を書いてください。</source>
        <translation>「%1」には取り込める定型文がありません。「matches:」の下に、trigger と replace を持つ項目を書いてください。</translation>
    </message>
    <message id="PHRASE_JSON_NO_ROWS">
        <source>「%1」には定型文がひとつもありません。</source>
        <translation>「%1」には定型文がひとつもありません。</translation>
    </message>
</context>
</TS>
