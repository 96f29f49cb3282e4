// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChartWindow.h"

#include "ChartView.h"
#include "HistoryDates.h"
#include "ProgressActions.h"
#include "SaveFile.h"
#include "help/HtmlHelp.h"
#include "platform/AppSetup.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "shared/Errors.h"
#include "shared/QmrM.h"

#include <QBuffer>
#include <QComboBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QVBoxLayout>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace chart {
namespace {

const QString kTitle = QStringLiteral("Quillmora - グラフ");
const QString kAllItems = QStringLiteral("全項目");
const QString kSaveImageText = QStringLiteral("画像として保存...");
const QString kSaveImageTitle = QStringLiteral("画像として保存");

// Reading a long history allocates a few hundred bytes per record for a moment; the allocator would keep
// that memory once freed. Past this many records it is handed back to the system.
constexpr size_t kRecordsWorthReleasing = 10000;

void releaseFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

ChartWindow::ChartWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmChart"));
    setWindowTitle(kTitle);
    setWindowIcon(QIcon(QStringLiteral(":/pictures/app.ico")));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(platform::namedFont(9));
    createControls();
    nameControls();
    connectHandlers();
    help::offerHelpKey(this, QStringLiteral("progress.html#window"));
    resize(760, 520);
}

void ChartWindow::createControls()
{
    mItemChooser = new QComboBox(this);
    mItemChooser->setObjectName(QStringLiteral("cboItem"));
    fillItemChooser();
    mItemChooser->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    mRangeChooser = new QComboBox(this);
    mRangeChooser->setObjectName(QStringLiteral("cboRange"));
    mRangeChooser->addItems(rangeNames());

    mSaveImage = new QPushButton(kSaveImageText, this);
    mSaveImage->setObjectName(QStringLiteral("cmdSaveImage"));
    mExportCsv = new QPushButton(kExportCsvMenuText, this);
    mExportCsv->setObjectName(QStringLiteral("cmdExportCsv"));
    mClose = new QPushButton(QStringLiteral("閉じる"), this);
    mClose->setObjectName(QStringLiteral("cmdClose"));

    mChart = new ChartView(this);
    mChart->setObjectName(QStringLiteral("picChart"));

    mChosenBar = new QLabel(this);
    mChosenBar->setObjectName(QStringLiteral("lblChosenBar"));
    mFigures = new QLabel(this);
    mFigures->setObjectName(QStringLiteral("lblFigures"));
    mFigures->setWordWrap(true);
    mFigures->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    mFigures->setFocusPolicy(Qt::StrongFocus);  // a keyboard user can reach and copy the figures

    auto* choosers = new QHBoxLayout;
    choosers->addWidget(caption(QStringLiteral("項目(&K):"), mItemChooser, this));
    choosers->addWidget(mItemChooser);
    choosers->addSpacing(12);
    choosers->addWidget(caption(QStringLiteral("期間(&R):"), mRangeChooser, this));
    choosers->addWidget(mRangeChooser);
    choosers->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(mSaveImage);
    buttons->addWidget(mExportCsv);
    buttons->addStretch(1);
    buttons->addWidget(mClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choosers);
    layout->addWidget(mChart, 1);
    layout->addWidget(mChosenBar);
    layout->addWidget(mFigures);
    layout->addLayout(buttons);

    setTabOrder(mItemChooser, mRangeChooser);
    setTabOrder(mRangeChooser, mChart);
    setTabOrder(mChart, mFigures);
    setTabOrder(mFigures, mSaveImage);
    setTabOrder(mSaveImage, mExportCsv);
    setTabOrder(mExportCsv, mClose);
}

void ChartWindow::nameControls()
{
    mItemChooser->setAccessibleName(QStringLiteral("グラフにする項目"));
    mRangeChooser->setAccessibleName(QStringLiteral("期間"));
    mChosenBar->setAccessibleDescription(QStringLiteral("選んだ棒の日付と回数"));
    // The figures are the label's text, and so its accessible name, which a screen reader reads.
    mFigures->setAccessibleDescription(QStringLiteral("グラフの数値"));
    mSaveImage->setAccessibleDescription(QStringLiteral("グラフを PNG 形式の画像ファイルに保存します"));
    mExportCsv->setAccessibleDescription(QStringLiteral("この項目の履歴を CSV ファイルに書き出します"));
    mClose->setAccessibleDescription(QStringLiteral("グラフのウィンドウを閉じます"));
}

void ChartWindow::connectHandlers()
{
    using platform::guardedSlot;
    connect(mItemChooser, &QComboBox::currentIndexChanged, this, guardedSlot([this] { readChosenItem(); }));
    connect(mRangeChooser, &QComboBox::currentIndexChanged, this, guardedSlot([this] { showChosenRange(); }));
    connect(mChart, &ChartView::selectionChanged, this, guardedSlot([this](int index) { showChosenBar(index); }));
    connect(mSaveImage, &QPushButton::clicked, this, guardedSlot([this] { saveImage(); }));
    connect(mExportCsv, &QPushButton::clicked, this, guardedSlot([this] { exportChosenItem(); }));
    connect(mClose, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

int ChartWindow::item() const
{
    return mItemChooser->currentIndex();
}

void ChartWindow::fillItemChooser()
{
    QStringList names{kAllItems};
    for (int k = 1; k <= QmrM::gKoumokuSu; ++k)
        names.append(QmrM::gKoumoku[k]);
    QStringList shown;
    for (int i = 0; i < mItemChooser->count(); ++i)
        shown.append(mItemChooser->itemText(i));
    if (shown == names)
        return;
    const QSignalBlocker quiet(mItemChooser);
    mItemChooser->clear();
    mItemChooser->addItems(names);
}

void ChartWindow::showItem(int item)
{
    fillItemChooser();  // items may have been registered or deleted since the window opened
    if (item < 0 || item >= mItemChooser->count())
        item = 0;
    if (item == mItemChooser->currentIndex())
        readChosenItem();  // read again all the same: records may have been added since
    else
        mItemChooser->setCurrentIndex(item);  // reads through the chooser's handler
}

QString ChartWindow::chosenItemName() const
{
    return mItemChooser->currentText();
}

void ChartWindow::readChosenItem()
{
    const int chosen = item();
    std::vector<DailyHistory> histories;
    QStringList failures;
    size_t recordsRead = 0;
    for (const QString& name : historyNamesFor(chosen)) {
        try {
            const ItemHistory history = readItemHistory(name);
            histories.push_back(summarise(history.records, history.anchor));
            recordsRead += history.records.size();
        } catch (const DataFileError& error) {
            failures.append(error.description());
        }
    }
    if (recordsRead > kRecordsWorthReleasing)
        releaseFreedMemory();
    mHistory = histories.size() == 1 ? std::move(histories.front()) : combine(histories);
    mInstructed = 0;
    for (int k = 1; k <= QmrM::gKoumokuSu; ++k) {
        if (chosen == 0 || k == chosen)
            mInstructed += QmrM::gShijiSu[k];
    }
    showChosenRange();
    if (!failures.isEmpty()) {
        platform::MsgBox(failures.join(QStringLiteral("\n")) + QStringLiteral("\nこの履歴はグラフに入っていません。"),
                         platform::vbExclamation, kTitle);
    }
}

void ChartWindow::showChosenRange()
{
    const auto range = static_cast<Range>(mRangeChooser->currentIndex());
    const QDate day = today();
    const Period period = periodFor(range, day, mHistory);
    ChartView::Content content;
    const QChar space(0x3000);
    content.heading = chosenItemName() + space + mRangeChooser->currentText() +
                      (period.weekly ? QStringLiteral("（1 週ごと）") : QStringLiteral("（1 日ごと）")) + space +
                      periodText(period);
    content.bars = barsFor(mHistory, period);
    content.weekly = period.weekly;
    content.reference = mInstructed;
    const Figures figures = figuresFor(mHistory, period, day, range == Range::All);
    mFigures->setText(figuresText(figures));
    QString described = content.heading;
    if (mInstructed > 0)
        described += QStringLiteral("、指示数 %1 回").arg(formatCount(mInstructed));
    mChart->setAccessibleDescription(accessibleSummary(described, figures, content.bars, content.weekly));
    mChart->setContent(std::move(content));
}

void ChartWindow::showChosenBar(int index)
{
    const ChartView::Content& content = mChart->content();
    if (index < 0) {
        mChosenBar->setText(QStringLiteral("棒をクリックするか、グラフで ← → キーを押すと、その日の回数が出ます。"));
        mChart->setAccessibleName(QStringLiteral("グラフ"));
        return;
    }
    const QString text = barText(content.bars[static_cast<size_t>(index)], content.weekly);
    mChosenBar->setText(text);
    // A screen reader says the focused chart's new name: the bar just chosen.
    mChart->setAccessibleName(QStringLiteral("グラフ ") + text);
}

void ChartWindow::saveImage()
{
    const QString path = chooseExportFile(this, SaveRequest{kSaveImageTitle, chosenItemName() + QStringLiteral(".png"),
                                                            QStringLiteral("PNG 画像 (*.png)"), QStringLiteral("png")});
    if (path.isEmpty())
        return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!mChart->picture(mChart->size()).save(&buffer, "PNG")) {
        platform::MsgBox(QStringLiteral("グラフを画像にできませんでした。"), platform::vbExclamation, kSaveImageTitle);
        return;
    }
    writeWholeFile(path, bytes, kSaveImageTitle);
}

void ChartWindow::exportChosenItem()
{
    exportCsv(this, item());
}

}  // namespace chart
