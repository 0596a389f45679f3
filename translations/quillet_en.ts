<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name></name>
    <message id="SHOW_QUICK_MENU">
        <source>クリップ履歴を表示</source>
        <translation>Show Clipboard History</translation>
    </message>
    <message id="SHOW_PHRASE_MENU">
        <source>定型文を表示</source>
        <translation>Show Phrases</translation>
    </message>
    <message id="QUIT_APP">
        <source>終了</source>
        <translation>Quit</translation>
    </message>
    <message id="PAUSE_RECORDING">
        <source>記録を一時停止</source>
        <translation>Pause Recording</translation>
    </message>
    <message id="PAUSE_15_MINUTES">
        <source>15 分間</source>
        <translation>15 Minutes</translation>
    </message>
    <message id="PAUSE_1_HOUR">
        <source>1 時間</source>
        <translation>1 Hour</translation>
    </message>
    <message id="PAUSE_UNTIL_RESUMED">
        <source>再開するまで</source>
        <translation>Until Resumed</translation>
    </message>
    <message id="RESUME_RECORDING">
        <source>記録を再開</source>
        <translation>Resume Recording</translation>
    </message>
    <message id="RECORDING_PAUSED_UNTIL">
        <source>%1 まで記録を一時停止中</source>
        <translation>Recording paused until %1</translation>
    </message>
    <message id="RECORDING_PAUSED">
        <source>記録を一時停止中</source>
        <translation>Recording paused</translation>
    </message>
    <message id="APP_TITLE">
        <source>クイレット</source>
        <translation>Quillet</translation>
    </message>
    <message id="RELATIVE_JUST_NOW">
        <source>just now</source>
        <translation>just now</translation>
    </message>
    <message id="RELATIVE_SECONDS" numerus="yes">
        <source>%n second(s) ago</source>
        <translation>
            <numerusform>%n second ago</numerusform>
            <numerusform>%n seconds ago</numerusform>
        </translation>
    </message>
    <message id="RELATIVE_MINUTES" numerus="yes">
        <source>%n minute(s) ago</source>
        <translation>
            <numerusform>%n minute ago</numerusform>
            <numerusform>%n minutes ago</numerusform>
        </translation>
    </message>
    <message id="RELATIVE_HOURS" numerus="yes">
        <source>%n hour(s) ago</source>
        <translation>
            <numerusform>%n hour ago</numerusform>
            <numerusform>%n hours ago</numerusform>
        </translation>
    </message>
    <message id="RELATIVE_DAYS" numerus="yes">
        <source>%n day(s) ago</source>
        <translation>
            <numerusform>%n day ago</numerusform>
            <numerusform>%n days ago</numerusform>
        </translation>
    </message>
    <message id="RELATIVE_WEEKS" numerus="yes">
        <source>%n week(s) ago</source>
        <translation>
            <numerusform>%n week ago</numerusform>
            <numerusform>%n weeks ago</numerusform>
        </translation>
    </message>
    <message id="RELATIVE_MONTHS" numerus="yes">
        <source>%n month(s) ago</source>
        <translation>
            <numerusform>%n month ago</numerusform>
            <numerusform>%n months ago</numerusform>
        </translation>
    </message>
    <message id="RELATIVE_YEARS" numerus="yes">
        <source>%n year(s) ago</source>
        <translation>
            <numerusform>%n year ago</numerusform>
            <numerusform>%n years ago</numerusform>
        </translation>
    </message>
    <message id="NO_HISTORY_MESSAGE">
        <source>履歴なし</source>
        <translation>No history</translation>
    </message>
    <message id="NO_MATCHES_MESSAGE">
        <source>一致なし</source>
        <translation>No matches</translation>
    </message>
    <message id="FORGET_CLIP_ACTION">
        <source>忘れる…</source>
        <translation>Forget…</translation>
    </message>
    <message id="FORGET_CLIP_TITLE">
        <source>クリップを忘れる</source>
        <translation>Forget Clip</translation>
    </message>
    <message id="FORGET_CLIP_QUESTION">
        <source>このクリップを忘れますか？履歴から完全に削除され、元に戻せません。</source>
        <translation>Forget this clip? It is removed from the history for good.</translation>
    </message>
    <message id="FORGET_CLIP_CONFIRM">
        <source>忘れる</source>
        <translation>Forget</translation>
    </message>
    <message id="SEARCH_MATCH_CASE">
        <source>大文字と小文字を区別(&amp;C)</source>
        <translation>Match &amp;case</translation>
    </message>
    <message id="SEARCH_PLACEHOLDER">
        <source>検索...</source>
        <translation>Search...</translation>
    </message>
    <message id="BLANK_TEXT_LABEL">
        <source>(white space only)</source>
        <translation>(white space only)</translation>
    </message>
    <message id="QUICK_MENU_TITLE">
        <source>Quick Paste</source>
        <translation>Quick Paste</translation>
    </message>
    <message id="MENU_SEARCH">
        <source>検索...</source>
        <translation>Search...</translation>
    </message>
    <message id="SUBMENU_RANGE_LABEL">
        <source>Items %1-%2</source>
        <translation>Items %1-%2</translation>
    </message>
    <message id="QUICK_PHRASE_MENU_TITLE">
        <source>QuickPhrases</source>
        <translation>Quick Phrases</translation>
    </message>
    <message id="NO_PHRASES_MESSAGE">
        <source>定型文がありません</source>
        <translation>No phrases</translation>
    </message>
    <message id="EMPTY_CATEGORY">
        <source>項目なし</source>
        <translation>No items</translation>
    </message>
    <message id="HOTKEY_DUPLICATE_ERROR">
        <source>このホットキーはもう一方の操作で使われています。</source>
        <translation>This hot key is already used by the other action.</translation>
    </message>
    <message id="HOTKEY_NO_MODIFIER_ERROR">
        <source>ホットキーには修飾キーが少なくとも 1 つ必要です。</source>
        <translation>A hot key needs at least one modifier key.</translation>
    </message>
    <message id="HOTKEY_REGISTRATION_FAILED">
        <source>システムがこのホットキーを受け付けませんでした。別のプログラムが使っている可能性があります。</source>
        <translation>The system refused this hot key; another program may be using it.</translation>
    </message>
    <message id="UPDATE_NOT_AVAILABLE_MESSAGE">
        <source>最新です</source>
        <translation>Quillet is up to date.</translation>
    </message>
    <message id="UPDATE_CHECK_FAILED_MESSAGE">
        <source>アップデートを確認できませんでした。</source>
        <translation>Could not check for updates.</translation>
    </message>
    <message id="SETTINGS_TITLE">
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message id="CHANGE_HOTKEY">
        <source>変更</source>
        <translation>Change</translation>
    </message>
    <message id="RECORDING_HOTKEY">
        <source>キーを入力...</source>
        <translation>Press keys...</translation>
    </message>
    <message id="HOTKEY_HISTORY_LABEL">
        <source>履歴表示</source>
        <translation>Show history</translation>
    </message>
    <message id="HOTKEY_PHRASE_LABEL">
        <source>定型文表示</source>
        <translation>Show phrases</translation>
    </message>
    <message id="RESET_TO_DEFAULTS">
        <source>既定値に戻す</source>
        <translation>Restore Defaults</translation>
    </message>
    <message id="AUTO_LAUNCH_LABEL">
        <source>Mac起動時に自動起動</source>
        <translation>Start at login</translation>
    </message>
    <message id="VERSION_LABEL">
        <source>バージョン</source>
        <translation>Version</translation>
    </message>
    <message id="HOTKEY_SETTINGS_HEADER">
        <source>ホットキー</source>
        <translation>Hot Keys</translation>
    </message>
    <message id="GENERAL_SETTINGS_HEADER">
        <source>一般</source>
        <translation>General</translation>
    </message>
    <message id="ABOUT_APP_HEADER">
        <source>このアプリについて</source>
        <translation>About Quillet</translation>
    </message>
    <message id="CHECKING_FOR_UPDATES">
        <source>確認中...</source>
        <translation>Checking...</translation>
    </message>
    <message id="CHECK_FOR_UPDATES">
        <source>更新をチェック...</source>
        <translation>Check for Updates...</translation>
    </message>
    <message id="UPDATE_AVAILABLE_TITLE">
        <source>クイレットの新しいバージョンがあります</source>
        <translation>A new version of Quillet is available</translation>
    </message>
    <message id="CURRENT_VERSION_LABEL">
        <source>現在のバージョン</source>
        <translation>Current version</translation>
    </message>
    <message id="LATEST_VERSION_LABEL">
        <source>最新バージョン</source>
        <translation>Latest version</translation>
    </message>
    <message id="RELEASE_NOTES_HEADER">
        <source>更新内容:</source>
        <translation>What's new:</translation>
    </message>
    <message id="CLOSE_BUTTON">
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message id="OPEN_DOWNLOAD_PAGE">
        <source>ダウンロードページを開く</source>
        <translation>Open Download Page</translation>
    </message>
    <message id="SHOW_SETTINGS_PANEL">
        <source>設定...</source>
        <translation>Settings...</translation>
    </message>
    <message id="PHRASE_CSV_FILE_FILTER">
        <source>CSV ファイル (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message id="PHRASE_CANCEL">
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message id="PHRASE_SAVE">
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message id="PHRASE_CATEGORY_NAME">
        <source>カテゴリ名</source>
        <translation>Category name</translation>
    </message>
    <message id="PHRASE_TITLE">
        <source>タイトル</source>
        <translation>Title</translation>
    </message>
    <message id="PHRASE_CATEGORIES">
        <source>カテゴリ</source>
        <translation>Categories</translation>
    </message>
    <message id="PHRASE_NEW_CATEGORY">
        <source>新しいカテゴリ</source>
        <translation>New category</translation>
    </message>
    <message id="PHRASE_SELECT_CATEGORY">
        <source>カテゴリを選択してください</source>
        <translation>Select a category</translation>
    </message>
    <message id="PHRASE_CSV_SAVE_TEMPLATE">
        <source>CSV雛形を保存...</source>
        <translation>Save CSV Template...</translation>
    </message>
    <message id="PHRASE_NEW_PHRASE">
        <source>新しい定型文</source>
        <translation>New phrase</translation>
    </message>
    <message id="PHRASE_EDIT">
        <source>編集</source>
        <translation>Edit</translation>
    </message>
    <message id="PHRASE_DELETE">
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message id="PHRASE_CSV_READ_FAILED">
        <source>「%1」を読み込めませんでした: %2</source>
        <translation>Could not read “%1”: %2</translation>
    </message>
    <message id="PHRASE_CSV_TOO_LARGE">
        <source>「%1」は %2 MB を超えているため読み込めません。何も取り込んでいません。</source>
        <translation>“%1” is larger than %2 MB, too large for a phrase file; nothing was imported.</translation>
    </message>
    <message id="PHRASE_CSV_UNKNOWN_ENCODING">
        <source>「%1」は UTF-8 でも Shift_JIS でもないテキストのため読み込めません。何も取り込んでいません。</source>
        <translation>“%1” is neither UTF-8 nor Shift_JIS text; nothing was imported.</translation>
    </message>
    <message id="PHRASE_CSV_WRITE_FAILED">
        <source>「%1」に書き込めませんでした: %2</source>
        <translation>Could not write “%1”: %2</translation>
    </message>
    <message id="MANAGE_PHRASES_TITLE">
        <source>定型文の管理</source>
        <translation>Manage Phrases</translation>
    </message>
    <message id="SHOW_HISTORY_PANEL">
        <source>定型文の管理...</source>
        <translation>Manage Phrases...</translation>
    </message>
    <message id="STORE_IN_USE">
        <source>Another Quillet (process %1) already uses %2.</source>
        <translation>Another Quillet (process %1) already uses %2.</translation>
    </message>
    <message id="LOCK_NOT_A_FILE">
        <source>Quillet cannot start: %1 is not a regular file; remove it.</source>
        <translation>Quillet cannot start: %1 is not a regular file; remove it.</translation>
    </message>
    <message id="SETTINGS_NOT_A_FILE">
        <source>The settings file %1 is not a regular file (%2): Quillet runs with default settings and keeps no changes to them. Remove it to have settings saved again.</source>
        <translation>The settings file %1 is not a regular file (%2): Quillet runs with default settings and keeps no changes to them. Remove it to have settings saved again.</translation>
    </message>
    <message id="NO_SYSTEM_TRAY">
        <source>There is no system tray: Quillet runs without its icon. quillet --history-menu, --phrase-menu, --search, --manage-phrases, --settings and --quit work (bind them to keys in your desktop's settings); quillet --status tells whether its own hot keys do.</source>
        <translation>There is no system tray: Quillet runs without its icon. quillet --history-menu, --phrase-menu, --search, --manage-phrases, --settings and --quit work (bind them to keys in your desktop's settings); quillet --status tells whether its own hot keys do.</translation>
    </message>
    <message id="CLI_DESCRIPTION">
        <source>Quillet keeps every text you copy and a library of phrases, and pastes them back into the window you were working in.

Started without options it runs in the system tray. Shift+Super+V opens the history menu, Shift+Super+C the phrase menu (change them in the settings window). With one of the options below it asks the running Quillet and exits.

Files: $XDG_DATA_HOME/quillet/history.sqlite (history and phrases), $XDG_CONFIG_HOME/quillet/quillet.ini (settings).
Environment: LANG and LANGUAGE choose English or Japanese; QT_LOGGING_RULES tunes the warnings on standard error ("quillet.*.debug=true" for more).</source>
        <translation>Quillet keeps every text you copy and a library of phrases, and pastes them back into the window you were working in.

Started without options it runs in the system tray. Shift+Super+V opens the history menu, Shift+Super+C the phrase menu (change them in the settings window). With one of the options below it asks the running Quillet and exits.

Files: $XDG_DATA_HOME/quillet/history.sqlite (history and phrases), $XDG_CONFIG_HOME/quillet/quillet.ini (settings).
Environment: LANG and LANGUAGE choose English or Japanese; QT_LOGGING_RULES tunes the warnings on standard error ("quillet.*.debug=true" for more).</translation>
    </message>
    <message id="CLI_HISTORY_MENU">
        <source>Show the history menu of the running Quillet at the pointer.</source>
        <translation>Show the history menu of the running Quillet at the pointer.</translation>
    </message>
    <message id="CLI_PHRASE_MENU">
        <source>Show the phrase menu of the running Quillet at the pointer.</source>
        <translation>Show the phrase menu of the running Quillet at the pointer.</translation>
    </message>
    <message id="CLI_SEARCH">
        <source>Show the history search panel of the running Quillet.</source>
        <translation>Show the history search panel of the running Quillet.</translation>
    </message>
    <message id="CLI_MANAGE_PHRASES">
        <source>Open the phrase library window of the running Quillet.</source>
        <translation>Open the phrase library window of the running Quillet.</translation>
    </message>
    <message id="CLI_SETTINGS">
        <source>Open the settings window of the running Quillet.</source>
        <translation>Open the settings window of the running Quillet.</translation>
    </message>
    <message id="CLI_STATUS">
        <source>Say whether Quillet is running (exit status 0 when it is).</source>
        <translation>Say whether Quillet is running (exit status 0 when it is).</translation>
    </message>
    <message id="CLI_QUIT">
        <source>Quit the running Quillet.</source>
        <translation>Quit the running Quillet.</translation>
    </message>
    <message id="CLI_PAUSE">
        <source>実行中のクイレットで、再開するまで記録を一時停止します。その間にコピーされたものは読み取りません。</source>
        <translation>Pause recording in the running Quillet until it is resumed: nothing copied meanwhile is read.</translation>
    </message>
    <message id="CLI_PAUSE_FOR">
        <source>実行中のクイレットで、指定した分数 (1〜%1) だけ記録を一時停止します。</source>
        <translation>Pause recording in the running Quillet for this many minutes (1 to %1).</translation>
    </message>
    <message id="CLI_MINUTES">
        <source>分数</source>
        <translation>minutes</translation>
    </message>
    <message id="CLI_RESUME">
        <source>実行中のクイレットで記録を再開します。これ以降のコピーが記録されます。</source>
        <translation>Resume recording in the running Quillet; copies made from now on are kept.</translation>
    </message>
    <message id="CLI_BAD_MINUTES">
        <source>--pause-for には 1 から %1 までの整数 (分) を指定してください (%2 は使えません)</source>
        <translation>--pause-for takes a whole number of minutes from 1 to %1, not %2</translation>
    </message>
    <message id="CLI_DID_YOU_MEAN">
        <source>did you mean %1?</source>
        <translation>did you mean %1?</translation>
    </message>
    <message id="CLI_SEE_HELP">
        <source>Run quillet --help to see what it takes.</source>
        <translation>Run quillet --help to see what it takes.</translation>
    </message>
    <message id="CLI_UNKNOWN_OPTION">
        <source>unknown option %1</source>
        <translation>unknown option %1</translation>
    </message>
    <message id="CLI_UNEXPECTED_ARGUMENT">
        <source>unexpected argument %1</source>
        <translation>unexpected argument %1</translation>
    </message>
    <message id="SAVE_FAILED_TITLE">
        <source>Quillet cannot save</source>
        <translation>Quillet cannot save</translation>
    </message>
    <message id="SAVE_FAILED_MESSAGE">
        <source>%1
New copies are kept and saved as soon as this is resolved.</source>
        <translation>%1
New copies are kept and saved as soon as this is resolved.</translation>
    </message>
    <message id="STORE_DAMAGED_TITLE">
        <source>The history file is damaged</source>
        <translation>The history file is damaged</translation>
    </message>
    <message id="STORE_DAMAGED_MESSAGE">
        <source>%1: %2
Quillet keeps working with it; keep a copy of the file before anything else.</source>
        <translation>%1: %2
Quillet keeps working with it; keep a copy of the file before anything else.</translation>
    </message>
    <message id="TOOLTIP_MATCH_LINE">
        <source>Line %1: %2</source>
        <translation>Line %1: %2</translation>
    </message>
    <message id="STATUS_BACKEND">
        <source>Desktop: %1</source>
        <translation>Desktop: %1</translation>
    </message>
    <message id="STATUS_CLIPBOARD">
        <source>Clipboard: %1</source>
        <translation>Clipboard: %1</translation>
    </message>
    <message id="STATUS_PASTE">
        <source>Paste: %1</source>
        <translation>Paste: %1</translation>
    </message>
    <message id="STATUS_KEY_INACTIVE">
        <source>not active; bind %1 to a key in the desktop's keyboard settings</source>
        <translation>not active; bind %1 to a key in the desktop's keyboard settings</translation>
    </message>
    <message id="STATUS_HISTORY_KEY">
        <source>History menu key %1: %2</source>
        <translation>History menu key %1: %2</translation>
    </message>
    <message id="STATUS_PHRASE_KEY">
        <source>Phrase menu key %1: %2</source>
        <translation>Phrase menu key %1: %2</translation>
    </message>
    <message id="STATUS_NO_RECENT_WARNINGS">
        <source>Recent warnings: none</source>
        <translation>Recent warnings: none</translation>
    </message>
    <message id="STATUS_RECENT_WARNINGS">
        <source>Recent warnings:</source>
        <translation>Recent warnings:</translation>
    </message>
    <message id="PASTE_MANUALLY_NOTICE">
        <source>Copied — paste with Ctrl+V</source>
        <translation>Copied — paste with Ctrl+V</translation>
    </message>
    <message id="CLIPBOARD_WRITE_FAILED_TITLE">
        <source>テキストをクリップボードに置けませんでした</source>
        <translation>Could not put the text on the clipboard</translation>
    </message>
    <message id="CLIPBOARD_WRITE_FAILED_MESSAGE">
        <source>デスクトップが選んだテキストを受け取らなかったため、何も貼り付けていません。クリップボードには以前の内容が残っています。もう一度試すか、検索パネルからテキストをコピーしてください。</source>
        <translation>The desktop did not take the chosen text, so nothing was pasted and the clipboard still holds what it held before. Try again, or copy the text from the search panel.</translation>
    </message>
    <message id="WAYLAND_NO_DATA_CONTROL_TITLE">
        <source>Clipboard history is limited</source>
        <translation>Clipboard history is limited</translation>
    </message>
    <message id="WAYLAND_NO_DATA_CONTROL_XWAYLAND">
        <source>This desktop does not let clipboard managers follow copies (no data-control protocol). Quillet follows them through XWayland, so copies from some programs may be missed.</source>
        <translation>This desktop does not let clipboard managers follow copies (no data-control protocol). Quillet follows them through XWayland, so copies from some programs may be missed.</translation>
    </message>
    <message id="WAYLAND_NO_DATA_CONTROL_QT">
        <source>This desktop does not let clipboard managers follow copies (no data-control protocol). Quillet sees a copy only while one of its windows is active.</source>
        <translation>This desktop does not let clipboard managers follow copies (no data-control protocol). Quillet sees a copy only while one of its windows is active.</translation>
    </message>
    <message id="HOTKEY_PENDING_NOTICE">
        <source>Waiting for the desktop to confirm this key.</source>
        <translation>Waiting for the desktop to confirm this key.</translation>
    </message>
    <message id="HOTKEY_REFUSED_NOTICE">
        <source>The desktop did not give this key to Quillet. Bind this command to a key in the desktop's keyboard settings instead:</source>
        <translation>The desktop did not give this key to Quillet. Bind this command to a key in the desktop's keyboard settings instead:</translation>
    </message>
    <message id="HOTKEY_UNAVAILABLE_NOTICE">
        <source>This desktop offers Quillet no global hot keys. Bind this command to a key in the desktop's keyboard settings instead:</source>
        <translation>This desktop offers Quillet no global hot keys. Bind this command to a key in the desktop's keyboard settings instead:</translation>
    </message>
    <message id="STATUS_KEY_PENDING">
        <source>waiting for the desktop to confirm it (%1); meanwhile %2 opens the menu</source>
        <translation>waiting for the desktop to confirm it (%1); meanwhile %2 opens the menu</translation>
    </message>
    <message id="PORTAL_HISTORY_SHORTCUT">
        <source>Show Quillet's clipboard history menu</source>
        <translation>Show Quillet's clipboard history menu</translation>
    </message>
    <message id="PORTAL_PHRASE_SHORTCUT">
        <source>Show Quillet's phrase menu</source>
        <translation>Show Quillet's phrase menu</translation>
    </message>
    <message id="STATUS_INDEX_MIGRATING">
        <source>Search index: bringing the history up to date, %1 of %2 clips (%3%); searches are slower until then</source>
        <translation>Search index: bringing the history up to date, %1 of %2 clips (%3%); searches are slower until then</translation>
    </message>
    <message id="STATUS_INDEX_MIGRATION_STARTING">
        <source>Search index: bringing the history up to date; searches are slower until then</source>
        <translation>Search index: bringing the history up to date; searches are slower until then</translation>
    </message>
    <message id="AUTO_LAUNCH_ENABLE_FAILED">
        <source>Start at login could not be turned on: the autostart entry could not be written.</source>
        <translation>Start at login could not be turned on: the autostart entry could not be written.</translation>
    </message>
    <message id="AUTO_LAUNCH_DISABLE_FAILED">
        <source>Start at login could not be turned off: the autostart entry could not be changed.</source>
        <translation>Start at login could not be turned off: the autostart entry could not be changed.</translation>
    </message>
    <message id="RELEASE_NOTES_MORE_LINK">
        <source>Read the full notes on the download page</source>
        <translation>Read the full notes on the download page</translation>
    </message>
    <message id="PHRASE_CSV_TOO_MANY_ROWS">
        <source>「%1」には %L2 件を超える定型文があるため取り込めません。何も取り込んでいません。</source>
        <translation>“%1” holds more than %L2 phrases, more than one import takes; nothing was imported.</translation>
    </message>
    <message id="PHRASE_CSV_FIELD_TOO_LONG">
        <source>「%1」の %L2 行目の項目が %3 MiB を超えているため取り込めません。何も取り込んでいません。</source>
        <translation>A field of the record on line %L2 of “%1” is longer than %3 MiB, the most a phrase may hold; nothing was imported.</translation>
    </message>
    <message id="PHRASE_CSV_UNCLOSED_QUOTE">
        <source>「%1」の %L2 行目で始まる引用符 (") が閉じられていません。何も取り込んでいません。</source>
        <translation>The quote (") that opens on line %L2 of “%1” is never closed; nothing was imported.</translation>
    </message>
    <message id="PHRASE_CSV_NO_ROWS">
        <source>「%1」には取り込める定型文がありません。1 行目に「title,body」、2 行目から 1 行に 1 件ずつ書いてください。</source>
        <translation>“%1” holds no phrases to import. Write “title,body” on the first line, then one phrase per line.</translation>
    </message>
    <message id="PHRASE_IMPORT_READING">
        <source>「%1」を読み込んでいます…</source>
        <translation>Reading “%1”…</translation>
    </message>
    <message id="PHRASE_IMPORT_WRITING">
        <source>定型文を取り込んでいます (%L1 / %L2 件)…</source>
        <translation>Importing phrases (%L1 of %L2)…</translation>
    </message>
    <message id="QUICK_PHRASE_MORE">
        <source>さらに表示…</source>
        <translation>More…</translation>
    </message>
    <message id="STATUS_SAVE_FAILING">
        <source>Saving: failing since %1 (%2); %3 changes kept in memory and in %4</source>
        <translation>Saving: failing since %1 (%2); %3 changes kept in memory and in %4</translation>
    </message>
    <message id="STATUS_SAVE_FAILING_NO_COPY">
        <source>Saving: failing since %1 (%2); %3 changes kept in memory only, no copy on disk (%4): they are lost if Quillet ends</source>
        <translation>Saving: failing since %1 (%2); %3 changes kept in memory only, no copy on disk (%4): they are lost if Quillet ends</translation>
    </message>
    <message id="HELD_CHANGES_DAMAGED_TITLE">
        <source>Unsaved changes from the last run were damaged</source>
        <translation>Unsaved changes from the last run were damaged</translation>
    </message>
    <message id="HELD_CHANGES_DAMAGED_MESSAGE">
        <source>%1 of them were restored; the file is kept as %2.</source>
        <translation>%1 of them were restored; the file is kept as %2.</translation>
    </message>
    <message id="QUIT_CHANGES_KEPT">
        <source>%1 changes could not be saved to %2 (%3). They are kept in %4 and restored at the next start.</source>
        <translation>%1 changes could not be saved to %2 (%3). They are kept in %4 and restored at the next start.</translation>
    </message>
    <message id="QUIT_CHANGES_LOST">
        <source>%1 changes (%2 new clips among them) could not be saved to %3 (%4), nor kept in %5 (%6): they are lost.</source>
        <translation>%1 changes (%2 new clips among them) could not be saved to %3 (%4), nor kept in %5 (%6): they are lost.</translation>
    </message>
    <message id="STATUS_RUNNING">
        <source>クイレットは実行中です。</source>
        <translation>Quillet is running.</translation>
    </message>
    <message id="STATUS_RECORDING_ON">
        <source>記録: オン</source>
        <translation>Recording: on</translation>
    </message>
    <message id="STATUS_RECORDING_PAUSED">
        <source>記録: 一時停止中</source>
        <translation>Recording: paused</translation>
    </message>
    <message id="STATUS_RECORDING_PAUSED_UNTIL">
        <source>記録: %1 まで一時停止中</source>
        <translation>Recording: paused until %1</translation>
    </message>
    <message id="STATUS_NOT_ANSWERING">
        <source>クイレットは実行中です（プロセス %1）が、%2 で応答しません。</source>
        <translation>Quillet is running (process %1) but does not answer on %2.</translation>
    </message>
    <message id="STATUS_NOT_RUNNING">
        <source>クイレットは実行されていません。</source>
        <translation>Quillet is not running.</translation>
    </message>
    <message id="REQUEST_REFUSED">
        <source>クイレットは要求を受け付けませんでした: %1</source>
        <translation>Quillet refused the request: %1</translation>
    </message>
    <message id="CLI_HELP">
        <source>このヘルプを表示して終了します。</source>
        <translation>Show this help and exit.</translation>
    </message>
    <message id="GNOME_SHORTCUTS_NOT_WRITABLE">
        <source>GNOME's settings do not let %1 be changed (it may be locked by the administrator).</source>
        <translation>GNOME's settings do not let %1 be changed (it may be locked by the administrator).</translation>
    </message>
    <message id="GNOME_SHORTCUTS_MISSING">
        <source>GNOME's custom keyboard shortcuts are not installed.</source>
        <translation>GNOME's custom keyboard shortcuts are not installed.</translation>
    </message>
    <message id="GNOME_SHORTCUTS_NO_KEY_NAME">
        <source>GNOME has no name for the key of &quot;%1&quot;.</source>
        <translation>GNOME has no name for the key of &quot;%1&quot;.</translation>
    </message>
    <message id="DESKTOP_SHORTCUTS_REMOVE_FAILED">
        <source>Quillet's keys could not be removed from GNOME's keyboard shortcuts: %1</source>
        <translation>Quillet's keys could not be removed from GNOME's keyboard shortcuts: %1</translation>
    </message>
    <message id="DESKTOP_SHORTCUT_HISTORY">
        <source>Quillet: clipboard history menu</source>
        <translation>Quillet: clipboard history menu</translation>
    </message>
    <message id="DESKTOP_SHORTCUT_PHRASE">
        <source>Quillet: phrase menu</source>
        <translation>Quillet: phrase menu</translation>
    </message>
    <message id="DESKTOP_SHORTCUTS_WRITE_FAILED">
        <source>GNOME's keyboard shortcuts could not be changed: %1</source>
        <translation>GNOME's keyboard shortcuts could not be changed: %1</translation>
    </message>
    <message id="DESKTOP_SHORTCUTS_TOGGLE">
        <source>Add to GNOME's keyboard shortcuts</source>
        <translation>Add to GNOME's keyboard shortcuts</translation>
    </message>
    <message id="NO_TRAY_NOTICE_TITLE">
        <source>Quillet runs without a tray icon</source>
        <translation>Quillet runs without a tray icon</translation>
    </message>
    <message id="NO_TRAY_NOTICE_MESSAGE">
        <source>Its history menu opens with %1 and its phrase menu with %2, where the desktop lets Quillet have these keys (the settings window tells). Starting Quillet again, from the application grid or with the quillet command, opens the history search.</source>
        <translation>Its history menu opens with %1 and its phrase menu with %2, where the desktop lets Quillet have these keys (the settings window tells). Starting Quillet again, from the application grid or with the quillet command, opens the history search.</translation>
    </message>
    <message id="STATUS_KEY_DESKTOP">
        <source>GNOME's keyboard shortcuts run %1 on it</source>
        <translation>GNOME's keyboard shortcuts run %1 on it</translation>
    </message>
    <message id="STATUS_REMOTE_DESKTOP_OPENING">
        <source>リモートデスクトップポータル: セッションを開いています</source>
        <translation>remote desktop portal: opening a session</translation>
    </message>
    <message id="STATUS_REMOTE_DESKTOP_PENDING">
        <source>リモートデスクトップポータル: デスクトップのダイアログでの許可を待っています。許可されるまで、選んだテキストはクリップボードに残ります</source>
        <translation>remote desktop portal: waiting for you to allow it in the desktop's dialog; until then chosen texts stay on the clipboard</translation>
    </message>
    <message id="STATUS_REMOTE_DESKTOP_READY">
        <source>リモートデスクトップポータル (キーボード): 準備完了、すべてのウィンドウで Ctrl+V</source>
        <translation>remote desktop portal (keyboard): ready, Ctrl+V in every window</translation>
    </message>
    <message id="STATUS_REMOTE_DESKTOP_REFUSED">
        <source>リモートデスクトップポータル: 許可されませんでした。選んだテキストはクリップボードに残ります (もう一度尋ねるには Quillet を再起動してください)</source>
        <translation>remote desktop portal: not allowed; chosen texts stay on the clipboard (restart Quillet to be asked again)</translation>
    </message>
    <message id="STATUS_REMOTE_DESKTOP_ENDED">
        <source>リモートデスクトップポータル: デスクトップがセッションを終了しました。選んだテキストはクリップボードに残ります (もう一度尋ねるには Quillet を再起動してください)</source>
        <translation>remote desktop portal: the desktop ended the session; chosen texts stay on the clipboard (restart Quillet to be asked again)</translation>
    </message>
    <message id="STATUS_REMOTE_DESKTOP_UNAVAILABLE">
        <source>なし (仮想キーボードもリモートデスクトップポータルもありません): テキストはクリップボードに残り、通知が表示されます</source>
        <translation>none (no virtual keyboard, no remote desktop portal): texts stay on the clipboard, with a notice</translation>
    </message>
    <message id="UPDATE_FEED_TIMED_OUT">
        <source>no answer within %1 s</source>
        <translation>no answer within %1 s</translation>
    </message>
    <message id="UPDATE_FEED_TOO_LARGE">
        <source>it is larger than %1 KiB</source>
        <translation>it is larger than %1 KiB</translation>
    </message>
    <message id="UPDATE_FAILURE_NO_CONNECTION">
        <source>No connection to %1: %2</source>
        <translation>No connection to %1: %2</translation>
    </message>
    <message id="UPDATE_FAILURE_STATUS">
        <source>The server answered %1.</source>
        <translation>The server answered %1.</translation>
    </message>
    <message id="UPDATE_FAILURE_INVALID_FEED">
        <source>The feed is not valid: %1</source>
        <translation>The feed is not valid: %1</translation>
    </message>
    <message id="UPDATE_FAILURE_BAD_ADDRESS">
        <source>The feed address is not a valid HTTPS address: %1</source>
        <translation>The feed address is not a valid HTTPS address: %1</translation>
    </message>
    <message id="UPDATE_FAILURE_NO_VERSION">
        <source>The feed names no version.</source>
        <translation>The feed names no version.</translation>
    </message>
    <message id="UPDATES_FROM_PACKAGE_MANAGER">
        <source>Updates to Quillet come from your system's package manager.</source>
        <translation>Updates to Quillet come from your system's package manager.</translation>
    </message>
    <message id="PRIVACY_SETTINGS_HEADER">
        <source>プライバシー</source>
        <translation>Privacy</translation>
    </message>
    <message id="IGNORED_APPS_CAPTION">
        <source>次のアプリからのコピーは記録しません:</source>
        <translation>Copies from these applications are never recorded:</translation>
    </message>
    <message id="IGNORED_APP_PLACEHOLDER">
        <source>クラス名またはアプリID</source>
        <translation>Window class or app id</translation>
    </message>
    <message id="IGNORED_APP_ADD">
        <source>追加</source>
        <translation>Add</translation>
    </message>
    <message id="IGNORED_APP_REMOVE">
        <source>削除</source>
        <translation>Remove</translation>
    </message>
    <message id="IGNORED_APPS_BY_CLASS">
        <source>名前は、コピーしたウィンドウのクラス名(WM_CLASS)と照合します。</source>
        <translation>Names are matched against the window class (WM_CLASS) of the window that copied.</translation>
    </message>
    <message id="IGNORED_APPS_BY_APP_ID">
        <source>名前は、コピーしたときにアクティブだったウィンドウのアプリIDと照合します。</source>
        <translation>Names are matched against the app id of the window that was active when the copy was made.</translation>
    </message>
    <message id="IGNORED_APPS_UNAVAILABLE">
        <source>このデスクトップはどのアプリがコピーしたかを知らせないため、このリストは適用されません。</source>
        <translation>This desktop does not say which application copied; the list cannot be applied.</translation>
    </message>
    <message id="STATUS_IGNORED_BY_CLASS">
        <source>by the clipboard owner's window class (X11)</source>
        <translation>by the clipboard owner's window class (X11)</translation>
    </message>
    <message id="STATUS_IGNORED_BY_APP_ID">
        <source>by the active window's app id</source>
        <translation>by the active window's app id</translation>
    </message>
    <message id="STATUS_IGNORED_UNAVAILABLE">
        <source>not available here (the desktop does not say which application copied)</source>
        <translation>not available here (the desktop does not say which application copied)</translation>
    </message>
    <message id="STATUS_IGNORED_APPS">
        <source>Ignored applications: %1, %2</source>
        <translation>Ignored applications: %1, %2</translation>
    </message>
    <message id="PLACEHOLDER_FORM_TITLE">
        <source>定型文の入力</source>
        <translation>Fill In the Phrase</translation>
    </message>
    <message id="PLACEHOLDER_FORM_PASTE">
        <source>ペースト</source>
        <translation>Paste</translation>
    </message>
    <message id="PLACEHOLDER_FORM_CANCEL">
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message id="PHRASE_TOO_LARGE_TITLE">
        <source>定型文が大きすぎます</source>
        <translation>The phrase is too large</translation>
    </message>
    <message id="PHRASE_TOO_LARGE_MESSAGE">
        <source>差し込み後の定型文が 64 MiB を超えるため、ペーストしませんでした。差し込む内容（ほかの定型文やクリップボード）を確認してください。</source>
        <translation>Filled in, the phrase would be larger than 64 MiB, so nothing was pasted. Check what it inserts: other phrases, the clipboard.</translation>
    </message>
    <message id="SYNC_FOLDER_NOT_SHARED">
        <source>Syncthingは動いていますが、%1を共有していません。Syncthingでこのフォルダ(またはこれを含むフォルダ)を追加し、ほかのコンピュータと共有してください。</source>
        <translation>Syncthing runs but does not share %1. Add that folder (or one holding it) in Syncthing and share it with your other computers.</translation>
    </message>
    <message id="SYNC_KEY_REJECTED">
        <source>Syncthingが%1のAPIキーを受け付けませんでした。quillet.iniのsync/syncthingApiKeyに、Syncthingの設定に表示されるキーを書いてください。</source>
        <translation>Syncthing refused Quillet's API key from %1. Set sync/syncthingApiKey in quillet.ini to the key shown in Syncthing's settings.</translation>
    </message>
    <message id="SYNC_KEY_FILE_UNREADABLE">
        <source>%1の同期キーを読み込めません。同期をオフにして、ペアリングコードでもう一度参加してください。</source>
        <translation>The sync key in %1 cannot be read. Turn sync off and join again with the pairing code.</translation>
    </message>
    <message id="SYNC_KEY_NOT_KEPT">
        <source>同期キーを保存できませんでした。キーリングが応答せず、%1にも書き込めません。</source>
        <translation>The sync key could not be kept: no keyring answered and %1 cannot be written.</translation>
    </message>
    <message id="SYNC_KEY_NOT_REMOVED">
        <source>%1の同期キーを削除できませんでした。このファイルを手動で削除してください。</source>
        <translation>The sync key in %1 could not be removed; delete the file yourself.</translation>
    </message>
    <message id="REQUEST_TIMED_OUT">
        <source>Quilletは時間内に処理を終えられませんでした。理由はログを確認してください。</source>
        <translation>Quillet did not finish this in time; see its log for why.</translation>
    </message>
    <message id="SYNC_REQUEST_MALFORMED">
        <source>%1には値が%2個必要です。</source>
        <translation>The request %1 takes %2 values.</translation>
    </message>
    <message id="SYNC_REQUEST_BUSY">
        <source>Quilletは同期のオン・オフを処理中です。少し待ってからもう一度お試しください。</source>
        <translation>Quillet is already turning sync on or off; try again in a moment.</translation>
    </message>
    <message id="SYNC_PAIRING_CODE_INTRO">
        <source>同期がオンになりました。ほかのコンピュータでこのペアリングコードを入力してください(quillet --sync-join フォルダ コード、または設定ウインドウ):</source>
        <translation>Sync is on. Enter this pairing code on your other computers (quillet --sync-join FOLDER CODE, or the settings window):</translation>
    </message>
    <message id="CLI_FOLDER">
        <source>フォルダ</source>
        <translation>folder</translation>
    </message>
    <message id="CLI_SYNC_INIT">
        <source>Syncthing(または別の同期ツール)が共有するフォルダを通して、履歴と定型文をほかのコンピュータと同期します。ほかのコンピュータで入力するペアリングコードを表示します。</source>
        <translation>Sync history and phrases with your other computers through FOLDER, a folder Syncthing (or another sync tool) shares; prints the pairing code to enter on them.</translation>
    </message>
    <message id="CLI_SYNC_JOIN">
        <source>フォルダを通して、ほかのコンピュータの同期に参加します。そこで表示されたペアリングコードを使います: quillet --sync-join フォルダ コード</source>
        <translation>Join the sync of your other computers through FOLDER, with the pairing code shown there: quillet --sync-join FOLDER CODE.</translation>
    </message>
    <message id="CLI_SYNC_OFF">
        <source>このコンピュータでの同期をやめ、キーを消去します(フォルダ内のファイルは残ります)。</source>
        <translation>Stop syncing on this computer and forget its key (the folder's files stay).</translation>
    </message>
    <message id="CLI_SYNC_JOIN_USAGE">
        <source>--sync-join にはフォルダとペアリングコードを指定します: quillet --sync-join フォルダ コード</source>
        <translation>--sync-join takes a folder and the pairing code: quillet --sync-join FOLDER CODE</translation>
    </message>
    <message id="SYNC_CHOOSE_FOLDER_TITLE">
        <source>同期に使うフォルダを選択</source>
        <translation>Choose the folder to sync through</translation>
    </message>
    <message id="SYNC_TURN_OFF_TITLE">
        <source>同期をオフにしますか?</source>
        <translation>Turn off sync?</translation>
    </message>
    <message id="SYNC_TURN_OFF_MESSAGE">
        <source>このコンピュータは同期をやめ、キーを消去します。ここにある内容は残り、ほかのコンピュータは同期を続けます。再び同期するにはペアリングコードが必要です。</source>
        <translation>This computer stops syncing and forgets the key. What it has stays; the other computers go on syncing. To sync again you need the pairing code.</translation>
    </message>
    <message id="SYNC_TURN_OFF_CONFIRM">
        <source>オフにする</source>
        <translation>Turn Off</translation>
    </message>
    <message id="SYNC_CHOOSE_FOLDER">
        <source>選択…</source>
        <translation>Choose…</translation>
    </message>
    <message id="SYNC_START">
        <source>同期を開始</source>
        <translation>Start Sync</translation>
    </message>
    <message id="SYNC_JOIN">
        <source>参加</source>
        <translation>Join</translation>
    </message>
    <message id="SYNC_COPY_CODE">
        <source>コピー</source>
        <translation>Copy</translation>
    </message>
    <message id="SYNC_TURN_OFF">
        <source>同期をオフにする…</source>
        <translation>Turn Off Sync…</translation>
    </message>
    <message id="SYNC_FOLDER_PLACEHOLDER">
        <source>Syncthingが共有するフォルダ</source>
        <translation>Folder shared by Syncthing</translation>
    </message>
    <message id="SYNC_CODE_PLACEHOLDER">
        <source>ほかのコンピュータのペアリングコード</source>
        <translation>Pairing code from another computer</translation>
    </message>
    <message id="SYNC_CODE_LABEL">
        <source>ペアリングコード:</source>
        <translation>Pairing code:</translation>
    </message>
    <message id="SYNC_SECTION_OFF">
        <source>オフ: 履歴と定型文はこのコンピュータだけにあります。ほかのコンピュータとSyncthingで共有しているフォルダを選び、ここで同期を開始してから、ほかのコンピュータで参加してください。</source>
        <translation>Off: history and phrases stay on this computer. Choose a folder that Syncthing shares with your other computers, then start sync here and join on them.</translation>
    </message>
    <message id="SYNC_SECTION_ON">
        <source>%1を通して同期しています。</source>
        <translation>Syncing through %1.</translation>
    </message>
    <message id="SYNC_SECTION_DEVICES">
        <source>ほかのコンピュータ: %1台</source>
        <translation>Other computers seen: %1</translation>
    </message>
    <message id="SYNC_SECTION_LAST">
        <source>最後に変更を受信: %1</source>
        <translation>Last change received: %1</translation>
    </message>
    <message id="SYNC_KEY_IN_FILE_NOTE">
        <source>キーリングが応答しないため、同期キーはあなただけが読めるファイルに保存されています。</source>
        <translation>No keyring answered: the sync key is kept in a file only you can read.</translation>
    </message>
    <message id="SYNC_SETTINGS_HEADER">
        <source>同期</source>
        <translation>Sync</translation>
    </message>
    <message id="SYNC_CODE_EMPTY">
        <source>同期を有効にしたマシンに表示されたペアリングコードを入力してください。</source>
        <translation>Enter the pairing code shown on the machine where sync was turned on.</translation>
    </message>
    <message id="SYNC_CODE_LENGTH">
        <source>ペアリングコードの長さが違います。コードは英数字 55 文字です。</source>
        <translation>That pairing code is too short or too long: it has 55 letters and digits.</translation>
    </message>
    <message id="SYNC_CODE_CHARACTER">
        <source>ペアリングコードに使われない文字が含まれています。確認してもう一度入力してください。</source>
        <translation>That pairing code holds a character no code has: check it and type it again.</translation>
    </message>
    <message id="SYNC_CODE_WRONG">
        <source>コードが違います。ペアリングコードに打ち間違いがあります。確認してもう一度入力してください。</source>
        <translation>Wrong code: a character of the pairing code is mistyped. Check it and type it again.</translation>
    </message>
    <message id="SYNC_CODE_OTHER_SYNC">
        <source>コードが違います。このペアリングコードは、このフォルダとは別の同期のものです。</source>
        <translation>Wrong code: this pairing code belongs to another sync than the one in this folder.</translation>
    </message>
    <message id="SYNC_FOLDER_UNUSABLE">
        <source>フォルダ %1 を同期に使えません: %2</source>
        <translation>Sync cannot use the folder %1: %2</translation>
    </message>
    <message id="SYNC_FOLDER_UNWRITABLE">
        <source>フォルダ %1 に書き込めません: %2</source>
        <translation>Sync cannot write into the folder %1: %2</translation>
    </message>
    <message id="SYNC_WRITE_FAILED">
        <source>同期フォルダに変更を書き込めません: %1</source>
        <translation>Changes cannot be written into the synced folder: %1</translation>
    </message>
    <message id="SYNC_KEY_MISSING">
        <source>このマシンに同期の鍵がありません。ペアリングコードでもう一度参加してください。</source>
        <translation>The sync key is missing on this machine: join again with the pairing code.</translation>
    </message>
    <message id="SYNC_NO_CRYPTO">
        <source>同期は使えません: 暗号ライブラリを初期化できません。</source>
        <translation>Sync is not available: its encryption library cannot be started.</translation>
    </message>
    <message id="SYNC_OTHER_KEY">
        <source>このフォルダの別のマシンが異なるペアリングコードを使っています。そのマシンの変更は反映されません。</source>
        <translation>Another machine in this folder uses a different pairing code; its changes are not applied.</translation>
    </message>
    <message id="SYNC_STATUS_OFF">
        <source>同期: オフ</source>
        <translation>Sync: off</translation>
    </message>
    <message id="SYNC_STATUS_PROBLEM">
        <source>同期: %1</source>
        <translation>Sync: %1</translation>
    </message>
    <message id="SYNC_STATUS_NOTHING_YET">
        <source>同期: %1、%2 台のデバイス、まだ何も受信していません</source>
        <translation>Sync: %1, %2 devices, nothing received yet</translation>
    </message>
    <message id="SYNC_STATUS">
        <source>同期: %1、%2 台のデバイス、最終受信 %3</source>
        <translation>Sync: %1, %2 devices, last received %3</translation>
    </message>
    <message id="PHRASE_FILE_MALFORMED_AT">
        <source>「%1」は %L2 行目が読み取れないため取り込めません (%3)。何も取り込んでいません。</source>
        <translation>Line %L2 of “%1” cannot be read (%3); nothing was imported.</translation>
    </message>
    <message id="PHRASE_FILE_MALFORMED">
        <source>「%1」は定型文のファイルとして読み取れないため取り込めません (%2)。何も取り込んでいません。</source>
        <translation>“%1” cannot be read as a phrase file (%2); nothing was imported.</translation>
    </message>
    <message id="PHRASE_YAML_PROGRAM_VARIABLE">
        <source>%1 行目: 変数「%2」はプログラムを実行するもの (%3) のため、実行せずに文字列として取り込みました。</source>
        <translation>Line %1: the variable "%2" runs a program (%3); it was imported as text and is never run.</translation>
    </message>
    <message id="PHRASE_YAML_UNSUPPORTED_VARIABLE">
        <source>%1 行目: 種類 %3 の変数「%2」に当たるものがないため、文字列として取り込みました。</source>
        <translation>Line %1: the variable "%2" of type %3 has no counterpart here; it was imported as text.</translation>
    </message>
    <message id="PHRASE_YAML_DATE_DIRECTIVE">
        <source>%1 行目: 日付の書式「%2」の %3 に当たるものがないため、そのまま文字として残しました。</source>
        <translation>Line %1: the date format "%2" uses %3, which has no counterpart here; kept as text.</translation>
    </message>
    <message id="PHRASE_YAML_SKIPPED_MATCH">
        <source>%1 行目: トリガーも貼り付ける文字列もない項目を飛ばしました。</source>
        <translation>Line %1: an entry without a trigger or a text to paste was skipped.</translation>
    </message>
    <message id="PHRASE_JSON_FILE_FILTER">
        <source>Quillet の定型文ファイル (*.json)</source>
        <translation>Quillet phrase files (*.json)</translation>
    </message>
    <message id="PHRASE_YAML_FILE_FILTER">
        <source>テキスト展開ツールの YAML ファイル (*.yml *.yaml)</source>
        <translation>Text expander YAML files (*.yml *.yaml)</translation>
    </message>
    <message id="PHRASE_ANY_FILE_FILTER">
        <source>定型文のファイル (*.csv *.yml *.yaml *.json)</source>
        <translation>Phrase files (*.csv *.yml *.yaml *.json)</translation>
    </message>
    <message id="PHRASE_FILE_IMPORT">
        <source>インポート...</source>
        <translation>Import...</translation>
    </message>
    <message id="PHRASE_FILE_EXPORT">
        <source>エクスポート...</source>
        <translation>Export...</translation>
    </message>
    <message id="PHRASE_FILE_MENU">
        <source>ファイル</source>
        <translation>File</translation>
    </message>
    <message id="PHRASE_ABBREVIATION_HINT">
        <source>検索パネルで呼び出す短い語 (省略可)</source>
        <translation>A short word that finds it in the search panel (optional)</translation>
    </message>
    <message id="PHRASE_ABBREVIATION">
        <source>略語(&amp;A)</source>
        <translation>&amp;Abbreviation</translation>
    </message>
    <message id="SEARCH_PHRASES_PLACEHOLDER">
        <source>定型文を検索...</source>
        <translation>Search phrases...</translation>
    </message>
    <message id="PHRASE_IMPORT_BUSY">
        <source>別の定型文の取り込みが進行中です。終わってからもう一度お試しください。</source>
        <translation>Another phrase import is under way; try again once it has finished.</translation>
    </message>
    <message id="PHRASE_EXPORTED">
        <source>%2 個のカテゴリーの定型文 %1 件を %3 に書き出しました</source>
        <translation>Exported %1 phrases in %2 categories to %3</translation>
    </message>
    <message id="CLI_SEARCH_PHRASES">
        <source>実行中のクイレットの検索パネルを定型文の検索で表示します (Tab で履歴に切り替わります)。</source>
        <translation>Show the search panel of the running Quillet over the phrases (Tab switches to the history).</translation>
    </message>
    <message id="CLI_FILE">
        <source>ファイル</source>
        <translation>file</translation>
    </message>
    <message id="CLI_IMPORT_PHRASES">
        <source>CSV ファイル、テキスト展開ツールの YAML ファイル、クイレットの JSON ファイルの定型文を、実行中のクイレットに取り込みます。</source>
        <translation>Import the phrases of a CSV file, a text expander's YAML match file or a Quillet JSON file into the running Quillet.</translation>
    </message>
    <message id="CLI_CATEGORY">
        <source>--import-phrases で取り込む先のカテゴリー (その名前のものがなければ作ります。省略時はファイル名)。</source>
        <translation>The category --import-phrases fills (made if there is none of that name; the file's name by default).</translation>
    </message>
    <message id="CLI_NAME">
        <source>名前</source>
        <translation>name</translation>
    </message>
    <message id="CLI_EXPORT_PHRASES">
        <source>実行中のクイレットの定型文をすべて JSON ファイルに書き出します。</source>
        <translation>Write the whole phrase library of the running Quillet to a JSON file.</translation>
    </message>
    <message id="CLI_CATEGORY_ALONE">
        <source>--category は --import-phrases と一緒に使います</source>
        <translation>--category goes with --import-phrases</translation>
    </message>
    <message id="PHRASE_YAML_NO_ROWS">
        <source>「%1」には取り込める定型文がありません。「matches:」の下に、trigger と replace を持つ項目を書いてください。</source>
        <translation>“%1” holds no phrases to import. Write entries with a trigger and a replace text under “matches:”.</translation>
    </message>
    <message id="PHRASE_JSON_NO_ROWS">
        <source>「%1」には定型文がひとつもありません。</source>
        <translation>“%1” holds no phrases.</translation>
    </message>
</context>
</TS>
