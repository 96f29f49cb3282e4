// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChartWindow.h"

#include "ChartView.h"
#include "HistoryDates.h"
#include "SaveFile.h"
#include "help/HtmlHelp.h"
#include "platform/AppSetup.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "platform/Guard.h"
#include "platform/Controls.h"
#include "shared/Errors.h"
#include "shared/QmrM.h"

#include <QBuffer>
#include <QDir>
#include <QPainter>
#include <QPointer>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QCoreApplication>

namespace chart {
namespace {

QString chartTitle()
{
    return QCoreApplication::translate("Chart", "Quillmora - グラフ");
}
QString saveImageTitle()
{
    return QCoreApplication::translate("Chart", "画像として保存");
}

QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

// The figures under the chart. Lines break only at the separators between two figures, so that no
// figure is split from its unit or its date.
class FiguresLabel : public QLabel {
public:
    using QLabel::QLabel;
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

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QLabel::resizeEvent(event);
        fit();
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
    void fit() { setText(linesFor(contentsRect().width()).join(u'\n')); }
    QString mFigures;
};

// The window's status line. It never widens the window: a text too long for it gives way in its middle, so
// that a path keeps its start and its file name; the whole text is its tooltip and accessible name.
class StatusLine : public QLabel {
public:
    using QLabel::QLabel;
    void setMessage(const QString& message)
    {
        mMessage = message;
        setToolTip(message);
        setAccessibleName(message);
        fit();
    }
    QSize minimumSizeHint() const override { return QSize(0, QLabel::minimumSizeHint().height()); }
    QSize sizeHint() const override { return QSize(0, QLabel::sizeHint().height()); }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QLabel::resizeEvent(event);
        fit();
    }

private:
    void fit() { setText(fontMetrics().elidedText(mMessage, Qt::ElideMiddle, contentsRect().width())); }
    QString mMessage;
};

ChartWindow::ChartWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmChart"));
    setWindowTitle(chartTitle());
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
    mItemChooser = new platform::NameComboBox(platform::NameComboBox::Kind::ChooseOnly, this);
    mItemChooser->setObjectName(QStringLiteral("cboItem"));
    fillItemChooser();
    // A long name does not widen the window: the chooser holds 20 characters, the heading shows the name.
    mItemChooser->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    mItemChooser->setMinimumContentsLength(20);

    mRangeChooser = new QComboBox(this);
    mRangeChooser->setObjectName(QStringLiteral("cboRange"));
    mRangeChooser->addItems(rangeNames());

    mSaveImage = new QPushButton(QCoreApplication::translate("Chart", "画像として保存..."), this);
    mSaveImage->setObjectName(QStringLiteral("cmdSaveImage"));
    mExportCsv = new QPushButton(exportCsvMenuText(), this);
    mExportCsv->setObjectName(QStringLiteral("cmdExportCsv"));
    mClose = new QPushButton(QCoreApplication::translate("Chart", "閉じる"), this);
    mClose->setObjectName(QStringLiteral("cmdClose"));

    mChart = new ChartView(this);
    mChart->setObjectName(QStringLiteral("picChart"));

    mChosenBar = new QLabel(this);
    mChosenBar->setObjectName(QStringLiteral("lblChosenBar"));
    mFigures = new FiguresLabel(this);
    mFigures->setObjectName(QStringLiteral("lblFigures"));
    // On the chart's white below it, so that the two read as one picture, as they are saved.
    platform::setColour(mFigures, QPalette::Window, Qt::white);
    platform::setColour(mFigures, QPalette::WindowText, Qt::black);
    mFigures->setAutoFillBackground(true);
    mFigures->setContentsMargins(8, 0, 8, 8);
    mFigures->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    mFigures->setFocusPolicy(Qt::StrongFocus);  // a keyboard user can reach and copy the figures

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

    mStatus = new StatusLine(this);
    mStatus->setObjectName(QStringLiteral("lblStatus"));
    mStatus->setMessage(QString());

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

void ChartWindow::nameControls()
{
    mItemChooser->setAccessibleName(QCoreApplication::translate("Chart", "グラフにする項目"));
    mRangeChooser->setAccessibleName(QCoreApplication::translate("Chart", "期間"));
    mChosenBar->setAccessibleDescription(QCoreApplication::translate("Chart", "選んだ棒の日付と回数"));
    // The figures are the label's text, and so its accessible name, which a screen reader reads.
    mFigures->setAccessibleDescription(QCoreApplication::translate("Chart", "グラフの数値"));
    mStatus->setAccessibleDescription(QCoreApplication::translate("Chart", "状態"));
    mSaveImage->setAccessibleDescription(
        QCoreApplication::translate("Chart", "グラフを PNG 形式の画像ファイルに保存します"));
    mExportCsv->setAccessibleDescription(
        QCoreApplication::translate("Chart", "この項目の履歴を CSV ファイルに書き出します"));
    mClose->setAccessibleDescription(QCoreApplication::translate("Chart", "グラフのウィンドウを閉じます"));
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
}

void ChartWindow::keyPressEvent(QKeyEvent* event)
{
    // Escape closes the window, as it closes a dialog: only when no control took the key (an open drop-down
    // closes on it), so not through a shortcut, which the window would see first.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}

int ChartWindow::item() const
{
    return mItemChooser->currentIndex();
}

void ChartWindow::fillItemChooser()
{
    QStringList names{QCoreApplication::translate("Chart", "全項目")};
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
        readChosenItem();  // again: a history that changed since is read anew
    else
        mItemChooser->setCurrentIndex(item);  // reads through the chooser's handler
}

void ChartWindow::readChosenItem()
{
    const int chosen = item();
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
                         platform::vbExclamation, chartTitle());
    }
}

void ChartWindow::showChosenRange()
{
    const auto range = static_cast<Range>(mRangeChooser->currentIndex());
    const QDate day = today();
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
        described = QCoreApplication::translate("Chart", "%1、指示数 %2 回（週の印は指示数 × その週に記録した日数）",
                                                nullptr, n)
                        .arg(described, formatCount(mInstructed));
    else if (mInstructed > 0)
        //: %1 is the chart's heading, %2 the target count its line stands for
        described = QCoreApplication::translate("Chart", "%1、指示数 %2 回", nullptr, n)
                        .arg(described, formatCount(mInstructed));
    mChart->setAccessibleDescription(accessibleSummary(described, figures, content.bars, content.weekly));
    mChart->setContent(std::move(content));
}

void ChartWindow::showChosenBar(int index)
{
    const ChartView::Content& content = mChart->content();
    if (index < 0) {
        mChosenBar->setText(QCoreApplication::translate(
            "Chart", "棒をクリックするか、グラフで ← → キーを押すと、その日の回数が出ます。"));
        mChart->setAccessibleName(QCoreApplication::translate("Chart", "グラフ"));
        return;
    }
    const QString text = barText(content.bars[static_cast<size_t>(index)], content.weekly);
    mChosenBar->setText(text);
    // A screen reader says the focused chart's new name: the bar just chosen.
    mChart->setAccessibleName(QCoreApplication::translate("Chart", "グラフ %1").arg(text));
}

QImage ChartWindow::picture() const
{
    const QImage chart = mChart->picture();
    const qreal ratio = chart.devicePixelRatio();
    const QSize size(std::max(mChart->width(), mFigures->width()), mChart->height() + mFigures->height());
    QImage image(size * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawImage(QPoint(0, 0), chart);
    mFigures->render(&painter, QPoint(0, mChart->height()));
    return image;
}

void ChartWindow::saveImage()
{
    mStatus->setMessage(QString());
    const QString path = chooseExportFile(
        this, SaveRequest{saveImageTitle(), mItemChooser->currentText() + QStringLiteral(".png"),
                          QCoreApplication::translate("Chart", "PNG 画像 (*.png)"), QStringLiteral("png")});
    if (path.isEmpty())
        return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture().save(&buffer, "PNG")) {
        platform::MsgBox(QCoreApplication::translate("Chart", "グラフを画像にできませんでした。"),
                         platform::vbExclamation, saveImageTitle());
        return;
    }
    if (writeWholeFile(path, bytes, saveImageTitle()))
        mStatus->setMessage(
            QCoreApplication::translate("Chart", "「%1」に画像を保存しました。").arg(QDir::toNativeSeparators(path)));
}

void ChartWindow::exportChosenItem()
{
    mStatus->setMessage(QString());
    const QPointer<ChartWindow> self(this);  // the export handles events while it writes
    bool cancelled = false;
    const QString path = exportCsv(this, item(), &cancelled);
    if (!self)
        return;
    if (!path.isEmpty())
        mStatus->setMessage(
            QCoreApplication::translate("Chart", "「%1」に書き出しました。").arg(QDir::toNativeSeparators(path)));
    else if (cancelled)
        mStatus->setMessage(QCoreApplication::translate("Chart", "書き出しを取り消しました。"));
}

}  // namespace chart
