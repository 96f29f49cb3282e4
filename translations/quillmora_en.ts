<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Chart</name>
    <message>
        <source>yyyy年M月</source>
        <comment>date format of an axis label</comment>
        <translation>MMM yyyy</translation>
    </message>
    <message>
        <source>M月</source>
        <comment>date format of an axis label</comment>
        <translation>MMM</translation>
    </message>
    <message>
        <source>グラフ</source>
        <translation>Chart</translation>
    </message>
    <message>
        <source>（回）</source>
        <translation>(reps)</translation>
    </message>
    <message>
        <source>この期間の記録はありません</source>
        <translation>No records in this period</translation>
    </message>
    <message numerus="yes">
        <source>指示数 %1 回</source>
        <translation>
            <numerusform>Target: %1 rep</numerusform>
            <numerusform>Target: %1 reps</numerusform>
        </translation>
    </message>
    <message>
        <source>Quillmora - グラフ</source>
        <translation>Quillmora - Chart</translation>
    </message>
    <message>
        <source>全項目</source>
        <translation>All items</translation>
    </message>
    <message>
        <source>画像として保存...</source>
        <translation>Save as Image...</translation>
    </message>
    <message>
        <source>画像として保存</source>
        <translation>Save as Image</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>項目(&amp;K):</source>
        <translation>&amp;Item:</translation>
    </message>
    <message>
        <source>期間(&amp;R):</source>
        <translation>&amp;Range:</translation>
    </message>
    <message>
        <source>グラフにする項目</source>
        <translation>Item to chart</translation>
    </message>
    <message>
        <source>期間</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>選んだ棒の日付と回数</source>
        <translation>Date and count of the chosen bar</translation>
    </message>
    <message>
        <source>グラフの数値</source>
        <translation>Figures of the chart</translation>
    </message>
    <message>
        <source>状態</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>グラフを PNG 形式の画像ファイルに保存します</source>
        <translation>Saves the chart as a PNG image file</translation>
    </message>
    <message>
        <source>この項目の履歴を CSV ファイルに書き出します</source>
        <translation>Exports this item&apos;s history to a CSV file</translation>
    </message>
    <message>
        <source>グラフのウィンドウを閉じます</source>
        <translation>Closes the chart window</translation>
    </message>
    <message>
        <source>棒をクリックするか、グラフで ← → キーを押すと、その日の回数が出ます。</source>
        <translation>Click a bar, or press ← → on the chart, to see that day&apos;s count.</translation>
    </message>
    <message>
        <source>PNG 画像 (*.png)</source>
        <translation>PNG image (*.png)</translation>
    </message>
    <message>
        <source>グラフを画像にできませんでした。</source>
        <translation>The chart could not be made into a picture.</translation>
    </message>
    <message>
        <source>「%1」に書き出しました。</source>
        <translation>Exported to &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>グラフを表示</source>
        <translation>Show Chart</translation>
    </message>
    <message>
        <source>月</source>
        <extracomment>The days of the week, Monday to Sunday, as short as a date&apos;s weekday can be</extracomment>
        <translation>Mon</translation>
    </message>
    <message>
        <source>火</source>
        <translation>Tue</translation>
    </message>
    <message>
        <source>水</source>
        <translation>Wed</translation>
    </message>
    <message>
        <source>木</source>
        <translation>Thu</translation>
    </message>
    <message>
        <source>金</source>
        <translation>Fri</translation>
    </message>
    <message>
        <source>土</source>
        <translation>Sat</translation>
    </message>
    <message>
        <source>日</source>
        <translation>Sun</translation>
    </message>
    <message>
        <source>&#x3000;</source>
        <extracomment>Between two figures under the chart, and between a bar&apos;s days and its count</extracomment>
        <translation> · </translation>
    </message>
    <message>
        <source>直近 4 週間</source>
        <translation>Last 4 weeks</translation>
    </message>
    <message>
        <source>直近 12 週間</source>
        <translation>Last 12 weeks</translation>
    </message>
    <message>
        <source>直近 1 年</source>
        <translation>Last year</translation>
    </message>
    <message>
        <source>すべて</source>
        <translation>All</translation>
    </message>
    <message numerus="yes">
        <source>合計 %1 回</source>
        <translation>
            <numerusform>Total: %1 rep</numerusform>
            <numerusform>Total: %1 reps</numerusform>
        </translation>
    </message>
    <message>
        <source>記録した日数 %1 日</source>
        <translation>Days recorded: %1</translation>
    </message>
    <message>
        <source>1 日平均 ―</source>
        <translation>Daily average: ―</translation>
    </message>
    <message numerus="yes">
        <source>最高 %1 回（%2）</source>
        <extracomment>The highest count of a day, and the day</extracomment>
        <translation>
            <numerusform>Best: %1 rep (%2)</numerusform>
            <numerusform>Best: %1 reps (%2)</numerusform>
        </translation>
    </message>
    <message>
        <source>最高 ―</source>
        <translation>Best: ―</translation>
    </message>
    <message>
        <source>連続記録 現在 %1 日・この期間の最長 %2 日</source>
        <translation>Days in a row: %1 now, %2 at most in this period</translation>
    </message>
    <message numerus="yes">
        <source>%1 回</source>
        <extracomment>A count of reps</extracomment>
        <translation>
            <numerusform>%1 rep</numerusform>
            <numerusform>%1 reps</numerusform>
        </translation>
    </message>
    <message>
        <source>記録なし</source>
        <translation>No record</translation>
    </message>
    <message>
        <source>%1。%2。</source>
        <extracomment>%1 is the chart&apos;s heading, %2 its figures</extracomment>
        <translation>%1. %2.</translation>
    </message>
    <message>
        <source>、</source>
        <extracomment>Between the counts of the last days or weeks, read out one after the other</extracomment>
        <translation>, </translation>
    </message>
    <message>
        <source>「%1」は既にあります。
置き換えますか？</source>
        <translation>&quot;%1&quot; already exists.
Do you want to replace it?</translation>
    </message>
    <message>
        <source>「%1」は Quillmora のデータファイルなので、書き出し先にできません。
別の名前か別のフォルダーを選んでください。</source>
        <translation>&quot;%1&quot; is a Quillmora data file and cannot be an export target.
Please choose another name or folder.</translation>
    </message>
    <message>
        <source>書き出す項目がありません。</source>
        <translation>There is no item to export.</translation>
    </message>
    <message>
        <source>CSV ファイル (*.csv)</source>
        <translation>CSV file (*.csv)</translation>
    </message>
    <message>
        <source>CSV ファイルに書き出しています…</source>
        <translation>Exporting to a CSV file…</translation>
    </message>
    <message>
        <source>CSV 形式で書き出す...</source>
        <translation>Export as CSV...</translation>
    </message>
    <message>
        <source>CSV 形式で書き出す</source>
        <translation>Export as CSV</translation>
    </message>
    <message>
        <source>グラフ %1</source>
        <translation>Chart %1</translation>
    </message>
    <message>
        <source>「%1」に画像を保存しました。</source>
        <translation>Saved the image to &quot;%1&quot;.</translation>
    </message>
    <message numerus="yes">
        <source>指示数 %1 回 × その週に記録した日数</source>
        <translation>
            <numerusform>Target: %1 rep × days recorded that week</numerusform>
            <numerusform>Target: %1 reps × days recorded that week</numerusform>
        </translation>
    </message>
    <message>
        <source>%1
この履歴はグラフに入っていません。</source>
        <extracomment>%1 is why each history could not be read, a line each</extracomment>
        <translation>%1
This history is not in the chart.</translation>
    </message>
    <message>
        <source>%1（1 週ごと）</source>
        <extracomment>%1 is the range chosen</extracomment>
        <translation>%1 (by week)</translation>
    </message>
    <message>
        <source>%1（1 日ごと）</source>
        <translation>%1 (by day)</translation>
    </message>
    <message numerus="yes">
        <source>%1、指示数 %2 回（週の印は指示数 × その週に記録した日数）</source>
        <extracomment>%1 is the chart&apos;s heading, %2 the target count its line or marks stand for</extracomment>
        <translation>
            <numerusform>%1, target %2 rep (the weekly mark is the target × the days recorded that week)</numerusform>
            <numerusform>%1, target %2 reps (the weekly mark is the target × the days recorded that week)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1、指示数 %2 回</source>
        <extracomment>%1 is the chart&apos;s heading, %2 the target count its line stands for</extracomment>
        <translation>
            <numerusform>%1, target %2 rep</numerusform>
            <numerusform>%1, target %2 reps</numerusform>
        </translation>
    </message>
    <message>
        <source>書き出しを取り消しました。</source>
        <translation>The export was cancelled.</translation>
    </message>
    <message>
        <source>%1〜%2</source>
        <extracomment>A span of days, from %1 to %2</extracomment>
        <translation>%1–%2</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <extracomment>%1 is a date, %2 its day of the week</extracomment>
        <translation>%2 %1</translation>
    </message>
    <message numerus="yes">
        <source>合計 %1 回（日付の読めない記録 %n 件を含む）</source>
        <translation>
            <numerusform>Total: %1 (including %n record with no readable date)</numerusform>
            <numerusform>Total: %1 (including %n records with no readable date)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1。%2。最近 %n 週：%3。</source>
        <extracomment>%1 is the chart&apos;s heading, %2 its figures, %3 the counts of the last weeks</extracomment>
        <translation>
            <numerusform>%1. %2. Last %n week: %3.</numerusform>
            <numerusform>%1. %2. Last %n weeks: %3.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1。%2。最近 %n 日：%3。</source>
        <extracomment>%1 is the chart&apos;s heading, %2 its figures, %3 the counts of the last days</extracomment>
        <translation>
            <numerusform>%1. %2. Last %n day: %3.</numerusform>
            <numerusform>%1. %2. Last %n days: %3.</numerusform>
        </translation>
    </message>
    <message>
        <source>%1
書き出しは行われませんでした。</source>
        <extracomment>%1 is why the file could not be written</extracomment>
        <translation>%1
Nothing was exported.</translation>
    </message>
    <message numerus="yes">
        <source>1 日平均 %1 回</source>
        <translation>
            <numerusform>Daily average: %1 rep</numerusform>
            <numerusform>Daily average: %1 reps</numerusform>
        </translation>
    </message>
    <message>
        <source>項目,日付,時刻,回数</source>
        <translation>Item,Date,Time,Count</translation>
    </message>
</context>
<context>
    <name>Help</name>
    <message>
        <source>HTML ヘルプ</source>
        <translation>HTML Help</translation>
    </message>
    <message>
        <source>このリンクはヘルプからは開けません。

%1</source>
        <translation>This link cannot be opened from the help.

%1</translation>
    </message>
    <message>
        <source>次のページをブラウザーで開きます。よろしいですか？

%1</source>
        <translation>Open the following page in your browser?

%1</translation>
    </message>
    <message>
        <source>非表示</source>
        <extracomment>The toolbar button that hides the contents, index and search pane</extracomment>
        <translation>Hide</translation>
    </message>
    <message>
        <source>表示</source>
        <extracomment>The toolbar button that shows the contents, index and search pane again</extracomment>
        <translation>Show</translation>
    </message>
    <message>
        <source>ヘルプのページ</source>
        <translation>Help page</translation>
    </message>
    <message>
        <source>ツールバー</source>
        <translation>Toolbar</translation>
    </message>
    <message>
        <source>目次・キーワード・検索の欄を隠します</source>
        <translation>Hides the contents, index and search pane</translation>
    </message>
    <message>
        <source>戻る</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>前に見たページへ戻ります</source>
        <translation>Goes back to the page seen before</translation>
    </message>
    <message>
        <source>進む</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>戻る前のページへ進みます</source>
        <translation>Goes forward to the page before going back</translation>
    </message>
    <message>
        <source>ホーム</source>
        <translation>Home</translation>
    </message>
    <message>
        <source>ヘルプの最初のページを表示します</source>
        <translation>Shows the first page of the help</translation>
    </message>
    <message>
        <source>印刷</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>表示しているページを印刷します</source>
        <translation>Prints the page shown</translation>
    </message>
    <message>
        <source>印刷プレビュー</source>
        <translation>Print Preview</translation>
    </message>
    <message>
        <source>表示しているページを印刷したときの様子を表示します</source>
        <translation>Shows how the page shown will look printed</translation>
    </message>
    <message>
        <source>目次・キーワード・検索</source>
        <translation>Contents, index and search</translation>
    </message>
    <message>
        <source>目次・キーワード・検索の切り替え</source>
        <translation>Switching between contents, index and search</translation>
    </message>
    <message>
        <source>目次(&amp;C)</source>
        <translation>&amp;Contents</translation>
    </message>
    <message>
        <source>キーワード(&amp;N)</source>
        <translation>I&amp;ndex</translation>
    </message>
    <message>
        <source>検索(&amp;S)</source>
        <translation>&amp;Search</translation>
    </message>
    <message>
        <source>ヘルプの目次 (Alt+C)</source>
        <translation>Contents of the help (Alt+C)</translation>
    </message>
    <message>
        <source>キーワードから探します (Alt+N)</source>
        <translation>Finds topics by keyword (Alt+N)</translation>
    </message>
    <message>
        <source>ヘルプのすべてのページから語句を探します (Alt+S)</source>
        <translation>Searches every page of the help for words (Alt+S)</translation>
    </message>
    <message>
        <source>目次</source>
        <translation>Contents</translation>
    </message>
    <message>
        <source>キーワード</source>
        <translation>Index</translation>
    </message>
    <message>
        <source>検索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>目次・キーワード・検索の欄を表示します</source>
        <translation>Shows the contents, index and search pane</translation>
    </message>
    <message>
        <source>ヘルプファイル &quot;%1&quot; を開けません。</source>
        <translation>The help file &quot;%1&quot; cannot be opened.</translation>
    </message>
    <message>
        <source>ヘルプの内容の一覧です。項目を選ぶとそのページを表示します</source>
        <translation>The contents of the help. Choose an entry to show its page</translation>
    </message>
    <message>
        <source>目次がありません</source>
        <translation>No contents</translation>
    </message>
    <message>
        <source>キーワードを入力してください:</source>
        <translation>Type in the keyword to find:</translation>
    </message>
    <message>
        <source>キーワードの入力</source>
        <translation>Keyword to find</translation>
    </message>
    <message>
        <source>入力するとその語で始まるキーワードを選びます。Enter でトピックを表示します</source>
        <translation>Typing chooses the first keyword that starts with the text typed. Enter shows its topic</translation>
    </message>
    <message>
        <source>キーワード一覧</source>
        <translation>Keywords</translation>
    </message>
    <message>
        <source>このキーワードのトピック:</source>
        <translation>Topics of this keyword:</translation>
    </message>
    <message>
        <source>このキーワードのトピック</source>
        <translation>Topics of this keyword</translation>
    </message>
    <message>
        <source>表示するトピックを選んで Enter を押してください</source>
        <translation>Choose a topic to show and press Enter</translation>
    </message>
    <message>
        <source>キーワードがありません</source>
        <translation>No keywords</translation>
    </message>
    <message>
        <source>検索する語句を入力してください:</source>
        <translation>Type in the words to search for:</translation>
    </message>
    <message>
        <source>検索する語句</source>
        <translation>Words to search for</translation>
    </message>
    <message>
        <source>Enter でヘルプのすべてのページから探します</source>
        <translation>Enter searches every page of the help</translation>
    </message>
    <message>
        <source>検索開始</source>
        <translation>List Topics</translation>
    </message>
    <message>
        <source>入力した語句をヘルプのすべてのページから探します</source>
        <translation>Searches every page of the help for the words typed</translation>
    </message>
    <message>
        <source>検索結果</source>
        <translation>Search results</translation>
    </message>
    <message>
        <source>語句が見つかったページと見つかった数です。選ぶとそのページを表示します</source>
        <translation>The pages where the words were found, and how often. Choose one to show it</translation>
    </message>
    <message>
        <source>タイトル</source>
        <extracomment>The headers of the search results: a page&apos;s title, and how often the words were found on it</extracomment>
        <translation>Title</translation>
    </message>
    <message>
        <source>件数</source>
        <translation>Hits</translation>
    </message>
    <message>
        <source>検索する語句を入力してください。</source>
        <translation>Type in the words to search for.</translation>
    </message>
    <message>
        <source>「%1」は見つかりませんでした。</source>
        <translation>&quot;%1&quot; was not found.</translation>
    </message>
    <message>
        <source>ページ「%1」は大きすぎるか壊れているため表示できません。</source>
        <translation>The page &quot;%1&quot; cannot be shown: it is too large or damaged.</translation>
    </message>
    <message>
        <source>ページ「%1」はヘルプファイルの中に見つかりません。</source>
        <translation>The page &quot;%1&quot; is not in the help file.</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head&gt;&lt;title&gt;ページを表示できません&lt;/title&gt;&lt;/head&gt;&lt;body&gt;&lt;h2&gt;ページを表示できません&lt;/h2&gt;&lt;p&gt;%1&lt;/p&gt;&lt;p&gt;&lt;a href=&quot;chm:/&quot;&gt;ヘルプの最初のページへ戻る&lt;/a&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <extracomment>%1 says which page cannot be shown and why</extracomment>
        <translation>&lt;html&gt;&lt;head&gt;&lt;title&gt;The page cannot be shown&lt;/title&gt;&lt;/head&gt;&lt;body&gt;&lt;h2&gt;The page cannot be shown&lt;/h2&gt;&lt;p&gt;%1&lt;/p&gt;&lt;p&gt;&lt;a href=&quot;chm:/&quot;&gt;Back to the first page of the help&lt;/a&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message numerus="yes">
        <source>%1 %n 件</source>
        <extracomment>A page found and how often the words were found on it</extracomment>
        <translation>
            <numerusform>%1, %n hit</numerusform>
            <numerusform>%1, %n hits</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n ページで見つかりました。</source>
        <translation>
            <numerusform>Found on %n page.</numerusform>
            <numerusform>Found on %n pages.</numerusform>
        </translation>
    </message>
    <message>
        <source>印刷できません。印刷に使うファイル %1 が見つかりません。</source>
        <translation>Cannot print: the file used for printing, %1, is missing.</translation>
    </message>
</context>
<context>
    <name>Program</name>
    <message>
        <source>ファイル「%1」は、ほかの Quillmora が使っています（このフォルダーか、リンクで同じファイルを使っている別のフォルダーで動いています）。
その Quillmora を終了してから、もう一度起動してください。</source>
        <translation>The file &quot;%1&quot; is in use by another Quillmora (running in this folder, or in another folder that reaches the same file through a link).
Please quit that Quillmora, then start again.</translation>
    </message>
    <message>
        <source>このフォルダーでは Quillmora が既に動いていますが、応答がありません。
動いている Quillmora（プロセス番号 %1）を終了してから、もう一度起動してください。</source>
        <translation>Quillmora is already running in this folder, but does not answer.
Please end the running Quillmora (process %1), then start again.</translation>
    </message>
    <message>
        <source>このフォルダーは、コンピューター「%1」の Quillmora が使っていることになっていますが、応答がありません。</source>
        <translation>This folder is marked as in use by Quillmora on the computer &quot;%1&quot;, but it does not answer.</translation>
    </message>
    <message>
        <source>このフォルダーは、ほかの Quillmora が使っていることになっていますが、応答がありません。</source>
        <translation>This folder is marked as in use by another Quillmora, but it does not answer.</translation>
    </message>
    <message>
        <source>ロックファイル「%1」を引き継げませんでした。
Quillmora がまだ使っているか、ファイルを削除できません。</source>
        <translation>The lock file &quot;%1&quot; could not be taken over.
Quillmora is still using it, or the file cannot be deleted.</translation>
    </message>
    <message>
        <source>%1
ロックファイル: %2

ほかのコンピューターで Quillmora が動いていないことを確かめてから OK を押すと、このロックを引き継いで起動します。キャンセルを押すと終了します。</source>
        <extracomment>%1 says who holds the folder, %2 is the lock file&apos;s path</extracomment>
        <translation>%1
Lock file: %2

Make sure Quillmora is not running on another computer, then press OK to take over this lock and start. Press Cancel to quit.</translation>
    </message>
    <message>
        <source>このフォルダーには書き込めないため、回数の記録も設定の変更も保存できません。
フォルダー: %1</source>
        <translation>This folder cannot be written to, so neither counts nor changes to the settings can be saved.
Folder: %1</translation>
    </message>
</context>
<context>
    <name>QmrM</name>
    <message>
        <source>「%1」はほかのユーザーが作ったリンクのため、その先には書き込みません</source>
        <translation>&quot;%1&quot; is a link made by another user, so nothing is written where it leads</translation>
    </message>
    <message>
        <source>ディスクの空き容量が足りません</source>
        <translation>Not enough free disk space</translation>
    </message>
    <message>
        <source>アクセスが拒否されました</source>
        <translation>Access denied</translation>
    </message>
    <message>
        <source>同じ名前のフォルダーがあります</source>
        <translation>A folder of the same name is in the way</translation>
    </message>
    <message>
        <source>ファイルまたはフォルダーが見つかりません</source>
        <translation>File or folder not found</translation>
    </message>
    <message>
        <source>読み取り専用の場所です</source>
        <translation>The location is read-only</translation>
    </message>
    <message>
        <source>ファイルが大きすぎます</source>
        <translation>The file is too large</translation>
    </message>
    <message>
        <source>ファイル名が長すぎます</source>
        <translation>The file name is too long</translation>
    </message>
    <message>
        <source>ファイル名に使えない文字があります</source>
        <translation>The file name has characters that cannot be used</translation>
    </message>
    <message>
        <source>原因: %1</source>
        <translation>Cause: %1</translation>
    </message>
    <message>
        <source>ファイル「%1」を開けませんでした。</source>
        <translation>The file &quot;%1&quot; could not be opened.</translation>
    </message>
    <message>
        <source>ファイル「%1」を読み込めませんでした。</source>
        <translation>The file &quot;%1&quot; could not be read.</translation>
    </message>
    <message>
        <source>ファイル「%1」に書き込めませんでした。</source>
        <translation>The file &quot;%1&quot; could not be written.</translation>
    </message>
    <message>
        <source>ファイル「%1」の %2 行目の内容が正しくありません。</source>
        <translation>Line %2 of the file &quot;%1&quot; is not valid.</translation>
    </message>
    <message>
        <source>ファイル「%1」の内容が正しくありません。</source>
        <translation>The content of the file &quot;%1&quot; is not valid.</translation>
    </message>
    <message>
        <source>値が大きすぎて扱えません（%1）。</source>
        <translation>The value is too large to handle (%1).</translation>
    </message>
    <message>
        <source>項目名に &quot; (ダブルクォーテーション) は使えません。</source>
        <translation>An item name cannot contain &quot; (double quote).</translation>
    </message>
    <message>
        <source>項目名に次の文字は使えません。
\ / : * ? &quot; &lt; &gt; | と制御文字</source>
        <translation>An item name cannot contain these characters:
\ / : * ? &quot; &lt; &gt; | and control characters</translation>
    </message>
    <message>
        <source>「%1」はデータファイルと同じ名前になるため、項目名に使えません。</source>
        <translation>&quot;%1&quot; cannot be an item name: it would have the name of a data file.</translation>
    </message>
    <message>
        <source>「%1」は装置名のため、項目名に使えません。</source>
        <translation>&quot;%1&quot; cannot be an item name: it is a device name.</translation>
    </message>
    <message>
        <source>「%1」は項目名に使えません。</source>
        <translation>&quot;%1&quot; cannot be an item name.</translation>
    </message>
    <message>
        <source>項目名が長すぎます。</source>
        <translation>The item name is too long.</translation>
    </message>
    <message>
        <source>項目名にフォルダーの区切り文字があります</source>
        <translation>The item name has a folder separator</translation>
    </message>
    <message>
        <source>項目名の履歴ファイルがデータファイルと同じ名前になります</source>
        <translation>The item&apos;s history file would have the name of a data file</translation>
    </message>
    <message>
        <source>項目名が長すぎてファイル名にできません</source>
        <translation>The item name is too long for a file name</translation>
    </message>
    <message>
        <source>%1が数値ではありません</source>
        <translation>%1 is not a number</translation>
    </message>
    <message>
        <source>%1が -32768 から 32767 の範囲を超えています</source>
        <translation>%1 is outside the range -32768 to 32767</translation>
    </message>
    <message>
        <source>履歴ではない内容が入っています</source>
        <translation>It holds something that is not a history</translation>
    </message>
    <message>
        <source>項目名と指示数の 2 つが必要です</source>
        <translation>An item name and a target count are needed</translation>
    </message>
    <message>
        <source>項目名に &quot; (ダブルクォーテーション) があります</source>
        <translation>The item name contains &quot; (double quote)</translation>
    </message>
    <message>
        <source>指示数</source>
        <translation>The target count</translation>
    </message>
    <message>
        <source>設定が書かれていません</source>
        <translation>It holds no settings</translation>
    </message>
    <message>
        <source>設定の値が 3 つ必要です</source>
        <translation>Three setting values are needed</translation>
    </message>
    <message>
        <source>起動タイミングの設定</source>
        <translation>The start timing setting</translation>
    </message>
    <message>
        <source>回数の設定</source>
        <translation>The count setting</translation>
    </message>
    <message>
        <source>起動Wait</source>
        <translation>The wait</translation>
    </message>
    <message>
        <source>Shift-JIS として読めない文字があります</source>
        <translation>It has characters that cannot be read as Shift-JIS</translation>
    </message>
    <message>
        <source>Shift-JIS で保存できない文字があります</source>
        <translation>It has characters that cannot be saved in Shift-JIS</translation>
    </message>
    <message>
        <source>あと 1 分未満</source>
        <translation>less than a minute left</translation>
    </message>
    <message>
        <source>%1
（%2）</source>
        <extracomment>%1 is what could not be done with a file, %2 why</extracomment>
        <translation>%1
(%2)</translation>
    </message>
    <message>
        <source>項目名に Shift-JIS で保存できない文字「%1」（U+%2）があります。</source>
        <extracomment>%1 is the character, %2 its code point in hexadecimal</extracomment>
        <translation>The item name has a character that cannot be saved in Shift-JIS: &quot;%1&quot; (U+%2).</translation>
    </message>
    <message numerus="yes">
        <source>項目は %n 個までです</source>
        <translation>
            <numerusform>There can be at most %n item</numerusform>
            <numerusform>There can be at most %n items</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>あと %n 分</source>
        <translation>
            <numerusform>%n minute left</numerusform>
            <numerusform>%n minutes left</numerusform>
        </translation>
    </message>
    <message>
        <source>次のトレーニングまであと 1 分未満</source>
        <translation>Next training in less than a minute</translation>
    </message>
    <message numerus="yes">
        <source>次のトレーニングまであと %n 分</source>
        <translation>
            <numerusform>Next training in %n minute</numerusform>
            <numerusform>Next training in %n minutes</numerusform>
        </translation>
    </message>
    <message>
        <source>次のトレーニングまであと 1 分未満（%1 開始予定）</source>
        <translation>Next training in less than a minute (at %1)</translation>
    </message>
    <message numerus="yes">
        <source>次のトレーニングまであと %n 分（%1 開始予定）</source>
        <translation>
            <numerusform>Next training in %n minute (at %1)</numerusform>
            <numerusform>Next training in %n minutes (at %1)</numerusform>
        </translation>
    </message>
    <message>
        <source>「%1」はほかのユーザーが作ったリンクのため、その先は読み込みません</source>
        <translation>&quot;%1&quot; is a link made by another user, so nothing is read where it leads</translation>
    </message>
    <message>
        <source>ふつうのファイルではありません</source>
        <translation>It is not a regular file</translation>
    </message>
    <message>
        <source>書き出し先がふつうのファイルではありません</source>
        <translation>The export target is not a regular file</translation>
    </message>
    <message>
        <source>ほかのプログラムが使用中です</source>
        <translation>Another program is using it</translation>
    </message>
</context>
<context>
    <name>Schedule</name>
    <message>
        <source>全画面表示中</source>
        <translation>full screen</translation>
    </message>
    <message>
        <source>おやすみモード中</source>
        <translation>do not disturb</translation>
    </message>
    <message>
        <source>画面ロック中</source>
        <translation>screen locked</translation>
    </message>
    <message>
        <source>通話・動画の再生中</source>
        <translation>call or video playing</translation>
    </message>
    <message>
        <source>・</source>
        <extracomment>Between the reasons a pass waits for, as in &quot;full screen, call or video playing&quot;</extracomment>
        <translation>, </translation>
    </message>
    <message>
        <source>取り込み中は待つ（全画面表示・通話など）</source>
        <translation>Wait while busy (full screen, calls...)</translation>
    </message>
    <message>
        <source>設定を保存できません</source>
        <translation>Cannot Save the Setting</translation>
    </message>
    <message>
        <source>%1
設定は変わっていません。</source>
        <extracomment>%1 is why the options file could not be written</extracomment>
        <translation>%1
The setting has not changed.</translation>
    </message>
</context>
<context>
    <name>Tray</name>
    <message>
        <source>トレーニングの時間です</source>
        <translation>Time for training</translation>
    </message>
    <message>
        <source>トレーニングの時間ですが、%1のため待っています。終わるとすぐに始まります</source>
        <translation>Time for training, on hold: %1. It starts as soon as that ends.</translation>
    </message>
    <message>
        <source>保留中（%1）</source>
        <translation>On hold (%1)</translation>
    </message>
    <message>
        <source>今すぐ始める</source>
        <translation>Start Now</translation>
    </message>
    <message>
        <source>待機をやめる</source>
        <translation>Stop Waiting</translation>
    </message>
    <message>
        <source>5 分後に</source>
        <translation>In 5 Minutes</translation>
    </message>
    <message>
        <source>終了</source>
        <extracomment>Tray menu entry: ends the program</extracomment>
        <translation>Quit</translation>
    </message>
    <message>
        <source>始める</source>
        <extracomment>The pass&apos;s notice: brings the training window forward to begin the pass</extracomment>
        <translation>Start</translation>
    </message>
    <message>
        <source>%1のため待っています。終わるとすぐに始まります</source>
        <translation>On hold: %1. It starts as soon as that ends.</translation>
    </message>
    <message>
        <source>%1 開始予定</source>
        <translation>Starts at %1</translation>
    </message>
    <message>
        <source>画面の「Quillmora」をクリックしてください（デスクトップがキーボードを渡しませんでした）</source>
        <translation>Click Quillmora&apos;s window (the desktop did not give it the keyboard).</translation>
    </message>
    <message>
        <source>5 分後に（回数を入力したので選べません）</source>
        <translation>In 5 Minutes (not once a count is entered)</translation>
    </message>
    <message numerus="yes">
        <source>%1 %2 回</source>
        <extracomment>An item&apos;s name, then its count</extracomment>
        <translation>
            <numerusform>%1: %2 rep</numerusform>
            <numerusform>%1: %2 reps</numerusform>
        </translation>
    </message>
    <message>
        <source>%1（%2 から）</source>
        <translation>%1 (since %2)</translation>
    </message>
    <message>
        <source>トレーニングの時間です。入力の区切りで始まります</source>
        <translation>Time for training. It starts at a pause in your input</translation>
    </message>
    <message>
        <source>まもなく開始</source>
        <translation>Starting soon</translation>
    </message>
    <message>
        <source>入力の区切りで開始</source>
        <translation>Starts at a pause</translation>
    </message>
    <message>
        <source>トレーニング画面を表示</source>
        <translation>Show the Training</translation>
    </message>
</context>
<context>
    <name>frmMain</name>
    <message>
        <source>次へ</source>
        <extracomment>The button that records the count and goes on to the next item</extracomment>
        <translation>Next</translation>
    </message>
    <message>
        <source>計画</source>
        <extracomment>The frame listing the items of the pass</extracomment>
        <translation>Plan</translation>
    </message>
    <message>
        <source>中断</source>
        <extracomment>The small button that leaves the pass</extracomment>
        <translation>Stop</translation>
    </message>
    <message>
        <source>トレーニングを中断して設定画面に戻ります</source>
        <translation>Stops the training and goes back to the settings window</translation>
    </message>
    <message>
        <source>項目名</source>
        <translation>Item name</translation>
    </message>
    <message>
        <source>指示回数</source>
        <translation>Target count</translation>
    </message>
    <message>
        <source>回数</source>
        <translation>Count</translation>
    </message>
    <message>
        <source>行った回数を入力して Enter キーで次へ進みます</source>
        <translation>Type in the count done and press Enter for the next item</translation>
    </message>
    <message>
        <source>回数の調整</source>
        <translation>Adjust the count</translation>
    </message>
    <message>
        <source>項目登録ボタンを押して項目を設定してください</source>
        <translation>Press the Add button to set up your items.</translation>
    </message>
    <message>
        <source>項目無し</source>
        <translation>No Items</translation>
    </message>
    <message>
        <source>終了</source>
        <extracomment>The next button&apos;s caption on the last item: ends the pass</extracomment>
        <translation>Finish</translation>
    </message>
    <message>
        <source>回数が大きすぎます。-2147483647 から 2147483647 までの数を入力して下さい。</source>
        <translation>The count is too large. Please type in a number from -2147483647 to 2147483647.</translation>
    </message>
    <message>
        <source>回数入力エラー</source>
        <translation>Count Error</translation>
    </message>
    <message>
        <source>記録できません</source>
        <translation>Cannot Record</translation>
    </message>
    <message>
        <source>回数ゼロで次へ進もうとしていますがよろしいいですか？</source>
        <translation>Go on to the next item with a count of zero?</translation>
    </message>
    <message>
        <source>確認</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>終わり</source>
        <extracomment>The next button&apos;s caption once the last item is recorded</extracomment>
        <translation>Done</translation>
    </message>
    <message>
        <source>%1
回数は記録されていません。</source>
        <extracomment>%1 is why the history file could not be written</extracomment>
        <translation>%1
The count has not been recorded.</translation>
    </message>
</context>
<context>
    <name>frmSettei</name>
    <message>
        <source>修正後設定保存を押して下さい</source>
        <translation>Edit, then press Save</translation>
    </message>
    <message>
        <source>開始</source>
        <extracomment>The captions of the settings window&apos;s buttons, under their pictures: short verbs or nouns</extracomment>
        <translation>Start</translation>
    </message>
    <message>
        <source>トレーニングを開始します</source>
        <translation>Starts the training</translation>
    </message>
    <message>
        <source>登録</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>項目を新規登録します</source>
        <translation>Adds a new item</translation>
    </message>
    <message>
        <source>保存</source>
        <extracomment>Saves the item edited in the boxes above the list of items</extracomment>
        <translation>Save</translation>
    </message>
    <message>
        <source>編集した設定で保存します</source>
        <translation>Saves the edited item</translation>
    </message>
    <message>
        <source>クリア</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>カウントと履歴をクリアします</source>
        <translation>Clears the count and the history</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>項目を削除します</source>
        <translation>Deletes the item</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>ヘルプファイルを開きます</source>
        <translation>Opens the help</translation>
    </message>
    <message>
        <source>終了</source>
        <extracomment>Ends the program</extracomment>
        <translation>Quit</translation>
    </message>
    <message>
        <source>プログラムを終了します</source>
        <translation>Quits the program</translation>
    </message>
    <message>
        <source>実績履歴リスト</source>
        <translation>History</translation>
    </message>
    <message>
        <source>各項目の実績履歴を表示します</source>
        <translation>Shows each item&apos;s history</translation>
    </message>
    <message>
        <source>登録状態確認</source>
        <translation>Items</translation>
    </message>
    <message>
        <source>クリックすると選択されます</source>
        <translation>Click an item to choose it</translation>
    </message>
    <message>
        <source>各種設定</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>起動Wait</source>
        <extracomment>The minutes the training window waits after Start, beside their scroll bar</extracomment>
        <translation>Wait</translation>
    </message>
    <message>
        <source>確定</source>
        <extracomment>Saves the options of the frame it stands in</extracomment>
        <translation>Apply</translation>
    </message>
    <message>
        <source>現在の設定を保存します</source>
        <translation>Saves the current options</translation>
    </message>
    <message>
        <source>起動タイミングをランダムモードにする</source>
        <translation>Random start timing</translation>
    </message>
    <message>
        <source>各種トレーニングの回数をランダムモードにする</source>
        <translation>Random training counts</translation>
    </message>
    <message>
        <source>履歴を表示する項目</source>
        <translation>Item whose history is shown</translation>
    </message>
    <message>
        <source>合計回数</source>
        <translation>Total count</translation>
    </message>
    <message>
        <source>項目名</source>
        <translation>Item name</translation>
    </message>
    <message>
        <source>指示数</source>
        <translation>Target count</translation>
    </message>
    <message>
        <source>登録項目</source>
        <translation>Items</translation>
    </message>
    <message>
        <source>待ち時間</source>
        <translation>Wait time</translation>
    </message>
    <message>
        <source>履歴を読めません</source>
        <translation>History unreadable</translation>
    </message>
    <message>
        <source>合計回数 ： 集計中…</source>
        <translation>Total: counting…</translation>
    </message>
    <message>
        <source>先に項目を入力して下さい</source>
        <translation>Please add an item first.</translation>
    </message>
    <message>
        <source>項目未登録</source>
        <translation>No Items</translation>
    </message>
    <message>
        <source>設定を保存しました</source>
        <translation>The options have been saved.</translation>
    </message>
    <message>
        <source>設定保存終了</source>
        <translation>Options Saved</translation>
    </message>
    <message>
        <source>「%1」には履歴ではない内容が入っているため、この項目名は使えません。
別の項目名にするか、ファイルの名前を変えて下さい。</source>
        <translation>&quot;%1&quot; holds something that is not a history, so this item name cannot be used.
Please choose another item name, or rename the file.</translation>
    </message>
    <message>
        <source>項目名は何ですか？</source>
        <translation>Name of the new item:</translation>
    </message>
    <message>
        <source>項目名入力</source>
        <translation>Item Name</translation>
    </message>
    <message>
        <source>項目名エラー</source>
        <translation>Item Name Error</translation>
    </message>
    <message>
        <source>指示数をいくつにしますか？（半角文字で入力）</source>
        <translation>How many reps should the target be? Type a number, such as 20.</translation>
    </message>
    <message>
        <source>指示数入力</source>
        <translation>Target Count</translation>
    </message>
    <message>
        <source>必ず１以上を入力して下さい</source>
        <translation>Please type in 1 or more.</translation>
    </message>
    <message>
        <source>下限値制限</source>
        <translation>Lower Limit</translation>
    </message>
    <message>
        <source>指示数は 32767 までにして下さい</source>
        <translation>Please keep the target count at 32767 or less.</translation>
    </message>
    <message>
        <source>上限値制限</source>
        <translation>Upper Limit</translation>
    </message>
    <message>
        <source>登録できる項目数は２０項目までです。</source>
        <translation>At most 20 items can be registered.</translation>
    </message>
    <message>
        <source>項目数上限制約</source>
        <translation>Item Limit</translation>
    </message>
    <message>
        <source>新規追加をキャンセルします</source>
        <extracomment>The title of the box that says adding an item was cancelled</extracomment>
        <translation>The item was not added.</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancelled</translation>
    </message>
    <message>
        <source>新規登録中止</source>
        <translation>Not Added</translation>
    </message>
    <message>
        <source>新規登録終了</source>
        <translation>Item Added</translation>
    </message>
    <message>
        <source>先に項目を選んで下さい</source>
        <translation>Please choose an item in the list of items first.</translation>
    </message>
    <message>
        <source>項目未選定</source>
        <translation>No Item Chosen</translation>
    </message>
    <message>
        <source>指示数は -32768 から 32767 までにして下さい</source>
        <translation>Please keep the target count between -32768 and 32767.</translation>
    </message>
    <message>
        <source>指示数エラー</source>
        <translation>Target Count Error</translation>
    </message>
    <message>
        <source>設定更新終了</source>
        <translation>Item Updated</translation>
    </message>
    <message>
        <source>クリア確認</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>削除しました</source>
        <translation>The item has been deleted.</translation>
    </message>
    <message>
        <source>削除終了</source>
        <translation>Item Deleted</translation>
    </message>
    <message>
        <source>「%1」には履歴ではない内容が入っています</source>
        <translation>&quot;%1&quot; holds something that is not a history</translation>
    </message>
    <message>
        <source>「%1」は %2 の履歴ファイルでもあります</source>
        <translation>&quot;%1&quot; is also the history file of %2</translation>
    </message>
    <message>
        <source>%1 の履歴はクリアできません。
%2。</source>
        <translation>The history of %1 cannot be cleared.
%2.</translation>
    </message>
    <message>
        <source>クリア中止</source>
        <translation>Not Cleared</translation>
    </message>
    <message>
        <source>クリア終了</source>
        <translation>Cleared</translation>
    </message>
    <message>
        <source>履歴を読み込んでいます</source>
        <translation>Reading the history</translation>
    </message>
    <message>
        <source>履歴を読み込んでいます… %1 %</source>
        <translation>Reading the history… %1%</translation>
    </message>
    <message>
        <source>%1 の設定を新規登録しました</source>
        <translation>%1 has been added.</translation>
    </message>
    <message>
        <source>%1 の設定を更新しました</source>
        <translation>%1 has been updated.</translation>
    </message>
    <message>
        <source>%1を削除します。よろしいですか？</source>
        <translation>Delete %1?</translation>
    </message>
    <message>
        <source>%1のカウント数と履歴データをクリアします。よろしいですか？</source>
        <translation>Clear the count and the history of %1?</translation>
    </message>
    <message>
        <source>%1 のカウント数と履歴データをクリアしました</source>
        <translation>The count and the history of %1 have been cleared.</translation>
    </message>
    <message numerus="yes">
        <source>%n分</source>
        <translation>
            <numerusform>%n min</numerusform>
            <numerusform>%n min</numerusform>
        </translation>
    </message>
    <message>
        <source>%1
履歴ファイルを作れないため、%2 は登録しませんでした。</source>
        <extracomment>%1 is why the file could not be made, %2 the item&apos;s name</extracomment>
        <translation>%1
The history file cannot be made, so %2 was not added.</translation>
    </message>
    <message numerus="yes">
        <source>合計回数 ： %1</source>
        <translation>
            <numerusform>Total: %1 rep</numerusform>
            <numerusform>Total: %1 reps</numerusform>
        </translation>
    </message>
    <message>
        <source>%1
変更は保存されていません。</source>
        <translation>%1
The change has not been saved.</translation>
    </message>
    <message>
        <source>保存できません</source>
        <translation>Cannot save</translation>
    </message>
</context>
<context>
    <name>platform</name>
    <message>
        <source>キャンセル</source>
        <extracomment>The progress window&apos;s button that stops the work
----------
A message box&apos;s button that leaves everything as it was</extracomment>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>取り消しています…</source>
        <translation>Cancelling…</translation>
    </message>
    <message>
        <source>予期しないエラーが発生しました。</source>
        <translation>An unexpected error occurred.</translation>
    </message>
    <message>
        <source>メモリーが足りません。</source>
        <translation>Not enough memory.</translation>
    </message>
    <message>
        <source>予期しないエラーが発生しました。
（%1）</source>
        <translation>An unexpected error occurred.
(%1)</translation>
    </message>
    <message>
        <source>%1

プログラムを終了します。</source>
        <extracomment>%1 is what went wrong</extracomment>
        <translation>%1

The program will end.</translation>
    </message>
    <message>
        <source>データフォルダー「%1」を作れません。</source>
        <translation>The data folder &quot;%1&quot; cannot be created.</translation>
    </message>
    <message>
        <source>OK</source>
        <extracomment>A message box&apos;s button that goes on</extracomment>
        <translation>OK</translation>
    </message>
</context>
</TS>
