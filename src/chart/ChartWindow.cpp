// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgressActions.h"

#include "ChartView.h"
#include "DailyHistories.h"
#include "CsvExport.h"
#include "help/HtmlHelp.h"
#include "platform/AppSetup.h"
#include "platform/BackgroundWork.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "platform/Guard.h"
#include "platform/Controls.h"
#include "platform/OnScreen.h"
#include "shared/DataFiles.h"
#include "shared/Errors.h"
#include "shared/QmrM.h"
#include "shared/Seams.h"

#include <QAbstractItemView>
#include <QBuffer>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QStandardPaths>
#include <QPointer>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QKeyEvent>
#include <QShortcut>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QCoreApplication>

#include <functional>

namespace chart {
namespace {

QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

template <class Control>
Control* named(Control* control, const char* name)
{
    control->setObjectName(QLatin1String(name));
    return control;
}

// The item names whose histories make up registered item `item` (1-based); 0 for all, each name once, since items
// of one name share a history file. Empty when out of range.
QStringList historyNamesFor(int item)
{
    QStringList names;
    for (int k = 1; k <= QmrM::gKoumokuSu; ++k) {
        if ((item == 0 || k == item) && !names.contains(QmrM::gKoumoku[k]))
            names.append(QmrM::gKoumoku[k]);
    }
    return names;
}

// Where the chart's files go: the save dialog (the one place the program shows Qt's file dialog, so tests
// can answer it), the checks that keep an export off the program's own files.
QString exportCsvMenuText()
{
    return QCoreApplication::translate("Chart", "CSV 形式で書き出す...");
}

QString exportCsvTitle()
{
    return QCoreApplication::translate("Chart", "CSV 形式で書き出す");
}

struct SaveRequest {
    QString title;          // the dialog's title, also the title of the messages about the choice
    QString suggestedName;  // file name offered, with the folder that asks for it
    QString filter;         // "CSV ファイル (*.csv)"
    QString suffix;         // added to a name typed without one
};

// Where the save dialog opens: the folder last chosen, else the user's documents folder (or home).
QString exportFolder(const QString& lastFolder)
{
    if (!lastFolder.isEmpty() && QFileInfo(lastFolder).isDir())
        return lastFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

// Qt's dialog reads a name typed in double quotes as a list of quoted names ("a" "b") and keeps the first: `-x "q" ...`
// would become q. A save dialog takes one name, so it is taken whole, in the folder shown, suffixed as the dialog does.
QString nameTypedWithQuotes(const QFileDialog& dialog, const QString& suffix)
{
    const auto* typed = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!typed || !typed->text().contains(u'"'))
        return QString();
    QString path = dialog.directory().absoluteFilePath(typed->text());
    if (!suffix.isEmpty() && !QFileInfo(path).fileName().contains(u'.'))
        path += u'.' + suffix;
    return path;
}

QString askSaveFileName(QWidget* parent, const SaveRequest& request, const QString& suggested)
{
    if (const auto& replacement = QmrM::seams().saveFileName)
        return replacement(request.title, suggested, request.filter);
    QFileDialog dialog(parent, request.title, suggested, request.filter);
    dialog.setObjectName(QStringLiteral("SaveFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.suffix);
    // Replacing a file is asked after the data files are refused, through the program's own box.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QString quoted = nameTypedWithQuotes(dialog, request.suffix);
    return quoted.isEmpty() ? dialog.selectedFiles().value(0) : quoted;
}

// An export as long as this shows its progress from the start: the histories take a moment to read.
constexpr qint64 kLongExportFrom = 8 << 20;

// Whether a write to `path` replaces a file; a link that no write follows leads to none.
bool replacesAFile(const QString& path)
{
    try {
        return QFileInfo(QmrM::writeTarget(path)).isFile();
    } catch (const QmrM::DataFileError&) {
        return false;
    }
}

void tellNothingWritten(const QmrM::DataFileError& error, const QString& title)
{
    //: %1 is why the file could not be written
    platform::MsgBox(
        QCoreApplication::translate("Chart", "%1\n書き出しは行われませんでした。").arg(error.description()),
        platform::vbExclamation, title);
}

// Asks where to save an export until the user names a writable file or cancels (empty). The dialog (Qt's, or the
// seams' saveFileName) opens in the folder last chosen this run, at first in the documents folder, never on its own
// in the data folder. A program file (QmrM::programFileAt) is refused with a message and the dialog comes back; an
// existing file is replaced only once the user confirms it.
QString chooseExportFile(QWidget* parent, const SaveRequest& request)
{
    static QString lastFolder;  // the folder the last export went to during this run
    QString folder = exportFolder(lastFolder);
    for (;;) {
        const QString path = askSaveFileName(parent, request, QDir(folder).filePath(request.suggestedName));
        if (path.isEmpty())
            return QString();
        folder = QFileInfo(path).absolutePath();
        if (const QString dataFile = QmrM::programFileAt(path); !dataFile.isEmpty()) {
            platform::MsgBox(
                QCoreApplication::translate("Chart",
                                            "「%1」は Quillmora のデータファイルなので、書き出し先にできません。\n"
                                            "別の名前か別のフォルダーを選んでください。")
                    .arg(dataFile),
                platform::vbExclamation, request.title);
            continue;
        }
        if (replacesAFile(path) &&
            platform::MsgBox(QCoreApplication::translate("Chart", "「%1」は既にあります。\n置き換えますか？")
                                 .arg(QFileInfo(path).fileName()),
                             platform::vbOKCancel | platform::vbExclamation, request.title) != platform::vbOK)
            continue;
        lastFolder = folder;
        return path;
    }
}

// A label whose text is made for its width, and made again when the label is resized.
class FittedLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    virtual QString textFor(int width) const = 0;
    void fit() { setText(textFor(contentsRect().width())); }
    void resizeEvent(QResizeEvent* event) override
    {
        QLabel::resizeEvent(event);
        fit();
    }
};

// The figures under the chart. Lines break only between two figures, never between a figure and its unit or date.
class FiguresLabel : public FittedLabel {
public:
    using FittedLabel::FittedLabel;
    void setFigures(const QString& figures)
    {
        mFigures = figures;
        fit();
        updateGeometry();
    }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override
    {
        const QMargins margins = contentsMargins();
        const int lines = static_cast<int>(linesFor(width - margins.left() - margins.right()).size());
        return lines * fontMetrics().lineSpacing() + margins.top() + margins.bottom();
    }
    QSize minimumSizeHint() const override
    {
        int widest = 0;
        for (const QString& figure : mFigures.split(figureSeparator()))
            widest = std::max(widest, fontMetrics().horizontalAdvance(figure));
        const QMargins margins = contentsMargins();
        const int width = widest + margins.left() + margins.right();
        return QSize(width, heightForWidth(width));
    }

private:
    QStringList linesFor(int width) const
    {
        QStringList lines;
        for (const QString& figure : mFigures.split(figureSeparator())) {
            const QString joined = lines.isEmpty() ? figure : lines.last() + figureSeparator() + figure;
            if (!lines.isEmpty() && fontMetrics().horizontalAdvance(joined) <= width)
                lines.last() = joined;
            else
                lines.append(figure);
        }
        return lines;
    }
    QString textFor(int width) const override { return linesFor(width).join(u'\n'); }
    QString mFigures;
};

// The window's status line. It never widens the window: a text too long for it gives way in its middle, so
// that a path keeps its start and its file name; the whole text is its tooltip and accessible name.
class StatusLine : public FittedLabel {
public:
    using FittedLabel::FittedLabel;
    void setMessage(const QString& message)
    {
        mMessage = message;
        setToolTip(message);
        setAccessibleName(message);
        fit();
    }
    QSize minimumSizeHint() const override { return QSize(0, QLabel::minimumSizeHint().height()); }
    QSize sizeHint() const override { return QSize(0, QLabel::sizeHint().height()); }

private:
    QString textFor(int width) const override { return fontMetrics().elidedText(mMessage, Qt::ElideMiddle, width); }
    QString mMessage;
};

// The chart window "Quillmora - グラフ": an item and range to choose, the chart and its figures, the chosen bar's
// text, buttons saving the chart as a picture and the history as CSV, and a status line saying where. It reads a
// history when its item is chosen and its file changed, never writes one, keeps nothing on disk (each starts on
// 直近 4 週間), and closes with the settings window that owns it.
class ChartWindow : public QWidget {
public:
    explicit ChartWindow(QWidget* parent) : QWidget(parent, Qt::Window)
    {
        setObjectName(QStringLiteral("frmChart"));
        setWindowTitle(QCoreApplication::translate("Chart", "Quillmora - グラフ"));
        setAttribute(Qt::WA_DeleteOnClose);
        setFont(platform::namedFont(9));
        createControls();
        using platform::guardedSlot;
        connect(mItemChooser, &QComboBox::currentIndexChanged, this, guardedSlot([this] { readChosenItem(); }));
        connect(mRangeChooser, &QComboBox::currentIndexChanged, this, guardedSlot([this] { showChosenRange(); }));
        connect(mChart, &ChartView::selectionChanged, this,
                guardedSlot([this](const QString& bar) { showChosenBar(bar); }));
        connect(mSaveImage, &QPushButton::clicked, this, guardedSlot([this] { saveImage(); }));
        connect(mExportCsv, &QPushButton::clicked, this, guardedSlot([this] { exportChosenItem(); }));
        connect(mClose, &QPushButton::clicked, this, &QWidget::close);
        help::offerHelpKey(this, QStringLiteral("progress.html#window"));
        resize(760, 520);
    }

    // Shows item `item` (1-based among the registered items, 0 for 全項目), reading its history anew if changed.
    void showItem(int item)
    {
        fillItemChooser();  // items may have been registered or deleted since the window opened
        if (item < 0 || item >= mItemChooser->count())
            item = 0;
        if (item == mItemChooser->currentIndex())
            readChosenItem();  // again: a history that changed since is read anew
        else
            mItemChooser->setCurrentIndex(item);  // reads through the chooser's handler
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        // Escape closes the window, as it closes a dialog: only when no control took the key (an open drop-down
        // closes on it), so not through a shortcut, which the window would see first.
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
            close();
        else
            QWidget::keyPressEvent(event);
    }

private:
    void createControls()
    {
        mItemChooser = named(new platform::NameComboBox(platform::NameComboBox::Kind::ChooseOnly, this), "cboItem");
        fillItemChooser();
        // A long name does not widen the window: the chooser holds 20 characters, the heading shows the name.
        mItemChooser->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        mItemChooser->setMinimumContentsLength(20);
        mItemChooser->setAccessibleName(QCoreApplication::translate("Chart", "グラフにする項目"));

        mRangeChooser = named(new QComboBox(this), "cboRange");
        // In the order of Range.
        mRangeChooser->addItems(
            {QCoreApplication::translate("Chart", "直近 4 週間"), QCoreApplication::translate("Chart", "直近 12 週間"),
             QCoreApplication::translate("Chart", "直近 1 年"), QCoreApplication::translate("Chart", "すべて")});
        mRangeChooser->setAccessibleName(QCoreApplication::translate("Chart", "期間"));

        mSaveImage =
            named(new QPushButton(QCoreApplication::translate("Chart", "画像として保存..."), this), "cmdSaveImage");
        mSaveImage->setAccessibleDescription(
            QCoreApplication::translate("Chart", "グラフを PNG 形式の画像ファイルに保存します"));
        mExportCsv = named(new QPushButton(exportCsvMenuText(), this), "cmdExportCsv");
        mExportCsv->setAccessibleDescription(
            QCoreApplication::translate("Chart", "この項目の履歴を CSV ファイルに書き出します"));
        mClose = named(new QPushButton(QCoreApplication::translate("Chart", "閉じる"), this), "cmdClose");
        mClose->setAccessibleDescription(QCoreApplication::translate("Chart", "グラフのウィンドウを閉じます"));

        mChart = named(new ChartView(this), "picChart");
        mChosenBar = named(new QLabel(this), "lblChosenBar");
        mChosenBar->setAccessibleDescription(QCoreApplication::translate("Chart", "選んだ棒の日付と回数"));

        mFigures = named(new FiguresLabel(this), "lblFigures");
        // On the chart's white below it, so that the two read as one picture, as they are saved.
        platform::setColour(mFigures, QPalette::Window, Qt::white);
        platform::setColour(mFigures, QPalette::WindowText, Qt::black);
        mFigures->setAutoFillBackground(true);
        mFigures->setContentsMargins(8, 0, 8, 8);
        mFigures->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        mFigures->setFocusPolicy(Qt::StrongFocus);  // a keyboard user can reach and copy the figures
        // The figures are the label's text, and so its accessible name, which a screen reader reads.
        mFigures->setAccessibleDescription(QCoreApplication::translate("Chart", "グラフの数値"));

        mStatus = named(new StatusLine(this), "lblStatus");
        mStatus->setAccessibleDescription(QCoreApplication::translate("Chart", "状態"));

        auto* choosers = new QHBoxLayout;
        choosers->addWidget(caption(QCoreApplication::translate("Chart", "項目(&K):"), mItemChooser, this));
        choosers->addWidget(mItemChooser);
        choosers->addSpacing(12);
        choosers->addWidget(caption(QCoreApplication::translate("Chart", "期間(&R):"), mRangeChooser, this));
        choosers->addWidget(mRangeChooser);
        choosers->addStretch(1);

        auto* buttons = new QHBoxLayout;
        buttons->addWidget(mSaveImage);
        buttons->addWidget(mExportCsv);
        buttons->addStretch(1);
        buttons->addWidget(mClose);

        auto* picture = new QVBoxLayout;
        picture->setSpacing(0);
        picture->addWidget(mChart, 1);
        picture->addWidget(mFigures);

        auto* layout = new QVBoxLayout(this);
        layout->addLayout(choosers);
        layout->addLayout(picture, 1);
        layout->addWidget(mChosenBar);
        layout->addLayout(buttons);
        layout->addWidget(mStatus);

        platform::setTabOrder({mItemChooser, mRangeChooser, mChart, mFigures, mSaveImage, mExportCsv, mClose});
    }

    void fillItemChooser()
    {
        QStringList names{QCoreApplication::translate("Chart", "全項目")};
        for (int k = 1; k <= QmrM::gKoumokuSu; ++k)
            names.append(QmrM::gKoumoku[k]);
        if (names == mItemNames)
            return;
        mItemNames = names;
        const QSignalBlocker quiet(mItemChooser);
        mItemChooser->clear();
        mItemChooser->addItems(names);
    }

    void readChosenItem()
    {
        const int chosen = mItemChooser->currentIndex();
        std::vector<DailyHistory> histories;
        QStringList failures;
        for (const QString& name : historyNamesFor(chosen)) {
            try {
                histories.push_back(mHistories.of(name));
            } catch (const QmrM::DataFileError& error) {
                failures.append(error.description());
            }
        }
        mHistory = histories.size() == 1 ? std::move(histories.front()) : combine(histories);
        mInstructed = 0;
        for (int k = 1; k <= QmrM::gKoumokuSu; ++k) {
            if (chosen == 0 || k == chosen)
                mInstructed += QmrM::gShijiSu[k];
        }
        showChosenRange();
        if (!failures.isEmpty()) {
            //: %1 is why each history could not be read, a line each
            platform::MsgBox(QCoreApplication::translate("Chart", "%1\nこの履歴はグラフに入っていません。")
                                 .arg(failures.join(QStringLiteral("\n"))),
                             platform::vbExclamation, windowTitle());
        }
    }

    void showChosenRange()
    {
        const auto range = static_cast<Range>(mRangeChooser->currentIndex());
        const QDate day = QmrM::currentDateTime().date();  // from the program's clock, which tests replace
        const Period period = periodFor(range, day, mHistory);
        ChartView::Content content;
        content.name = mItemChooser->currentText();
        //: %1 is the range chosen
        content.range = (period.weekly ? QCoreApplication::translate("Chart", "%1（1 週ごと）")
                                       : QCoreApplication::translate("Chart", "%1（1 日ごと）"))
                            .arg(mRangeChooser->currentText());
        content.span = periodText(period);
        content.bars = barsFor(mHistory, period);
        content.weekly = period.weekly;
        content.reference = mInstructed;
        const Figures figures = figuresFor(mHistory, period, day, range == Range::All);
        mFigures->setFigures(figuresText(figures));
        QString described = content.heading();
        const int n = countPlural(mInstructed);
        //: %1 is the chart's heading, %2 the target count its line or marks stand for
        if (mInstructed > 0 && period.weekly)
            described = QCoreApplication::translate(
                            "Chart", "%1、指示数 %2 回（週の印は指示数 × その週に記録した日数）", nullptr, n)
                            .arg(described, formatCount(mInstructed));
        else if (mInstructed > 0)
            //: %1 is the chart's heading, %2 the target count its line stands for
            described = QCoreApplication::translate("Chart", "%1、指示数 %2 回", nullptr, n)
                            .arg(described, formatCount(mInstructed));
        mChart->setAccessibleDescription(accessibleSummary(described, figures, content.bars, content.weekly));
        mChart->setContent(std::move(content));
    }

    // The chosen bar's text, empty for none.
    void showChosenBar(const QString& bar)
    {
        mChosenBar->setText(
            !bar.isEmpty() ? bar
                           : QCoreApplication::translate(
                                 "Chart", "棒をクリックするか、グラフで ← → キーを押すと、その日の回数が出ます。"));
    }

    void saveImage()
    {
        mStatus->setMessage(QString());
        const QString title = QCoreApplication::translate("Chart", "画像として保存");
        const QString path = chooseExportFile(
            this, SaveRequest{title, mItemChooser->currentText() + QStringLiteral(".png"),
                              QCoreApplication::translate("Chart", "PNG 画像 (*.png)"), QStringLiteral("png")});
        if (path.isEmpty())
            return;
        // What the window shows of the chart, as saved: the chart with its heading and legend, and the figures.
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!mChart->picture(mFigures).save(&buffer, "PNG")) {
            platform::MsgBox(QCoreApplication::translate("Chart", "グラフを画像にできませんでした。"),
                             platform::vbExclamation, title);
            return;
        }
        if (writeWholeFile(path, bytes, title))
            mStatus->setMessage(QCoreApplication::translate("Chart", "「%1」に画像を保存しました。")
                                    .arg(QDir::toNativeSeparators(path)));
    }

    void exportChosenItem()
    {
        mStatus->setMessage(QString());
        const QPointer<ChartWindow> self(this);  // the export handles events while it writes
        bool cancelled = false;
        const QString path = exportCsv(this, mItemChooser->currentIndex(), &cancelled);
        if (!self)
            return;
        if (!path.isEmpty())
            mStatus->setMessage(
                QCoreApplication::translate("Chart", "「%1」に書き出しました。").arg(QDir::toNativeSeparators(path)));
        else if (cancelled)
            mStatus->setMessage(QCoreApplication::translate("Chart", "書き出しを取り消しました。"));
    }

    QComboBox* mItemChooser = nullptr;
    QComboBox* mRangeChooser = nullptr;
    ChartView* mChart = nullptr;
    QLabel* mChosenBar = nullptr;
    FiguresLabel* mFigures = nullptr;
    StatusLine* mStatus = nullptr;
    QPushButton *mSaveImage = nullptr, *mExportCsv = nullptr, *mClose = nullptr;

    QStringList mItemNames;     // as the item chooser offers them
    DailyHistories mHistories;  // each item's days, read once while its file stays the same
    DailyHistory mHistory;
    double mInstructed = 0;
};

QPointer<ChartWindow> gChartWindow;  // the open one, which its settings window owns

constexpr QKeyCombination kChartShortcut = Qt::CTRL | Qt::Key_G;

// The context menu of one control (グラフを表示, CSV 形式で書き出す...), opened by the right button, the Menu key and
// Shift+F10, for the item `item` tells as it opens. It watches the control and its viewport (a list's mouse).
class ProgressMenu : public QObject {
public:
    ProgressMenu(QWidget* control, std::function<int()> item)
        : QObject(control), mControl(control), mItem(std::move(item)), mMenu(new QMenu(control))
    {
        mMenu->setObjectName(QStringLiteral("mnuProgress"));
        QAction* show = mMenu->addAction(QCoreApplication::translate("Chart", "グラフを表示"));
        show->setObjectName(QStringLiteral("mnuShowChart"));
        // Shown beside the entry; the window's own shortcut does the work, this one only while the menu is open.
        show->setShortcut(QKeySequence(kChartShortcut));
        show->setShortcutContext(Qt::WidgetShortcut);
        QAction* csv = mMenu->addAction(exportCsvMenuText());
        csv->setObjectName(QStringLiteral("mnuExportCsv"));
        connect(show, &QAction::triggered, this, platform::guardedSlot([this] { showChart(mControl, mFor); }));
        connect(csv, &QAction::triggered, this, platform::guardedSlot([this] {
                    // The window the menu belongs to has no status line: a box says where the file went.
                    const QString path = exportCsv(mControl, mFor);
                    if (!path.isEmpty())
                        platform::MsgBox(QCoreApplication::translate("Chart", "「%1」に書き出しました。")
                                             .arg(QDir::toNativeSeparators(path)),
                                         platform::vbInformation, exportCsvTitle());
                }));
        control->installEventFilter(this);
        if (auto* area = qobject_cast<QAbstractScrollArea*>(control))
            area->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ContextMenu) {
            auto* request = static_cast<QContextMenuEvent*>(event);
            open(request->reason() == QContextMenuEvent::Mouse ? request->globalPos() : keyboardPoint());
            return true;
        }
        if (event->type() == QEvent::KeyPress && watched == mControl) {
            const QKeyCombination key = static_cast<QKeyEvent*>(event)->keyCombination();
            if (key == QKeyCombination(Qt::Key_Menu) || key == (Qt::SHIFT | Qt::Key_F10)) {
                open(keyboardPoint());
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // Where a menu opened from the keyboard appears: below the current entry of a list, else mid-control.
    QPoint keyboardPoint() const
    {
        if (auto* view = qobject_cast<QAbstractItemView*>(mControl.data())) {
            const QRect entry = view->visualRect(view->currentIndex());
            if (entry.isValid() && view->viewport()->rect().intersects(entry))
                return view->viewport()->mapToGlobal(entry.bottomLeft());
        }
        return mControl->mapToGlobal(mControl->rect().center());
    }

    void open(const QPoint& at)
    {
        if (!mControl || mMenu->isVisible())
            return;  // the Menu key may come both as a key and as a context menu request
        platform::runGuarded([&] {
            mFor = mItem();
            mMenu->popup(at);
        });
    }

    QPointer<QWidget> mControl;
    std::function<int()> mItem;
    QMenu* mMenu;
    int mFor = 0;
};

}  // namespace

void showChart(QWidget* caller, int item)
{
    if (!gChartWindow) {
        QWidget* owner = caller ? caller->window() : nullptr;
        gChartWindow = new ChartWindow(owner);
        // Centred over the window that asked for it, no larger than the screen.
        platform::placeOnScreen(gChartWindow, owner);
    }
    platform::bringToFront(gChartWindow);
    gChartWindow->showItem(item);
}

QWidget* openChartWindow()
{
    return gChartWindow;
}

void attachToSettingsWindow(QWidget* window)
{
    auto* itemList = window->findChild<QListWidget*>(QStringLiteral("lstKoumoku"));
    auto* historyList = window->findChild<QAbstractItemView*>(QStringLiteral("lstRireki"));
    auto* shown = window->findChild<QComboBox*>(QStringLiteral("cboKoumoku"));
    if (!itemList || !historyList || !shown)
        return;
    const auto listed = [itemList] { return itemList->currentRow() + 1; };
    const auto historyShown = [shown] { return shown->currentIndex() + 1; };
    // Each menu lives as its control's child.
    new ProgressMenu(itemList, listed);
    new ProgressMenu(historyList, historyShown);
    // Ctrl+G anywhere in the window; as the item list's menu says beside グラフを表示, there it charts its entry.
    auto* shortcut = new QShortcut(QKeySequence(kChartShortcut), window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window,
                     platform::guardedSlot([window, itemList, listed, historyShown] {
                         showChart(window, itemList->hasFocus() && listed() > 0 ? listed() : historyShown());
                     }));
}

bool writeWholeFile(const QString& path, const QByteArray& content, const QString& title)
{
    try {
        QmrM::FileReplacement file(path);
        file.write(content);
        file.commit();
        return true;
    } catch (const QmrM::DataFileError& error) {
        tellNothingWritten(error, title);
        return false;
    }
}

QString exportCsv(QWidget* caller, int item, bool* cancelled)
{
    const QStringList names = historyNamesFor(item);
    if (names.isEmpty()) {
        platform::MsgBox(QCoreApplication::translate("Chart", "書き出す項目がありません。"), platform::vbExclamation,
                         exportCsvTitle());
        return QString();
    }
    const QString stem = item == 0 ? QCoreApplication::translate("Chart", "全項目") : names.front();
    const QString path = chooseExportFile(
        caller, SaveRequest{exportCsvTitle(), stem + QStringLiteral(".csv"),
                            QCoreApplication::translate("Chart", "CSV ファイル (*.csv)"), QStringLiteral("csv")});
    if (path.isEmpty())
        return QString();
    std::vector<CsvItem> items;
    for (const QString& name : names)
        items.push_back(CsvItem{name, historyAnchor(name)});
    try {
        // Made first: a target that cannot be written is told before any history is read.
        QmrM::FileReplacement file(path);
        bool written = false;
        platform::runWithProgress(
            caller, {exportCsvTitle(), QCoreApplication::translate("Chart", "CSV ファイルに書き出しています…")},
            historyFilesSize(items) >= kLongExportFrom, [&](QmrM::Progress& progress) {
                const auto write = [&file](QByteArrayView piece) { file.write(piece); };
                written = writeCsv(items, write, &progress);
                if (written)
                    file.commit();
            });
        // Not written, and nothing thrown: the user stopped it, the one way writeCsv ends without the file. The
        // temporary file goes with the replacement, the old file stays.
        if (cancelled)
            *cancelled = !written;
        return written ? path : QString();
    } catch (const QmrM::DataFileError& error) {
        tellNothingWritten(error, exportCsvTitle());
        return QString();
    }
}

}  // namespace chart
