// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmSettei.h"

#include "HistoryList.h"
#include "platform/AppSetup.h"
#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "platform/FitLabel.h"
#include "platform/Guard.h"
#include "help/HtmlHelp.h"
#include "schedule/PassSchedule.h"
#include "shared/Errors.h"
#include "shared/Numbers.h"
#include "shared/QmrM.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QCoreApplication>

#include <algorithm>
#include <functional>
#include <optional>
#include <tuple>

using namespace QmrM;
using platform::namedFont;
using platform::placed;
using platform::twips;

namespace {

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption, const QRect& geometry)
{
    return placed(new QGroupBox(caption, parent), name, geometry, namedFont(11.25));
}

void line(QWidget* parent, const char* name, int y, const QColor& colour)
{
    auto* frame = placed(
        new QFrame(parent), name,
        QRect(platform::twipsToPixels(150), platform::twipsToPixels(y), platform::twipsToPixels(9300 - 150) + 1, 1));
    frame->setAutoFillBackground(true);  // a frame draws no border of its own: the line is its background
    platform::setColour(frame, QPalette::Window, colour);
}

QLineEdit* editBox(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* edit = placed(new QLineEdit(parent), name, geometry, namedFont(11.25));
    edit->setToolTip(QCoreApplication::translate("frmSettei", "修正後設定保存を押して下さい"));
    edit->setAccessibleDescription(edit->toolTip());
    return edit;
}

// The wait's length beside its scroll bar: "60分".
QString waitMinutesText(int minutes)
{
    return QCoreApplication::translate("frmSettei", "%n分", nullptr, minutes);
}

// Makes a change of the data files; if they cannot be written (a read-only folder), says so and returns false.
bool saved(const std::function<void()>& change)
{
    try {
        change();
        return true;
    } catch (const DataFileError& error) {
        platform::MsgBox(
            QCoreApplication::translate("frmSettei", "%1\n変更は保存されていません。").arg(error.description()),
            platform::vbExclamation, QCoreApplication::translate("frmSettei", "保存できません"));
        return false;
    }
}

// Whether `name` may be an item's name: its history file, which would become the item's history, must be a
// history (or the item's own, `itsOwn`). Else tells the user why not.
bool nameAccepted(const QString& name, bool itsOwn)
{
    const auto problem = itemNameProblem(name);
    if (!problem && (itsOwn || isHistoryFile(name)))
        return true;
    platform::MsgBox(
        problem ? *problem
                : QCoreApplication::translate("frmSettei",
                                              "「%1」には履歴ではない内容が入っているため、この項目名は使えません。\n"
                                              "別の項目名にするか、ファイルの名前を変えて下さい。")
                      .arg(historyFileName(name)),
        platform::vbExclamation, QCoreApplication::translate("frmSettei", "項目名エラー"));
    return false;
}

// Asks until the name is accepted; empty when the user cancels. A refused name comes back in the box, to be
// corrected rather than typed again.
QString askItemName()
{
    QString typed;
    while (true) {
        typed = platform::InputBox(QCoreApplication::translate("frmSettei", "項目名は何ですか？"),
                                   QCoreApplication::translate("frmSettei", "項目名入力"), typed);
        if (typed.isEmpty())
            return QString();
        const QString name = storedItemName(typed);
        if (nameAccepted(name, false))
            return name;
    }
}

// Asks until a count is given; nothing when the user cancels.
std::optional<double> askInstructedCount()
{
    while (true) {
        const QString typed =
            platform::InputBox(QCoreApplication::translate("frmSettei", "指示数をいくつにしますか？（半角文字で入力）"),
                               QCoreApplication::translate("frmSettei", "指示数入力"));
        if (typed.isEmpty())
            return std::nullopt;
        const double count = TextValue(typed);
        if (count < 1)
            platform::MsgBox(QCoreApplication::translate("frmSettei", "必ず１以上を入力して下さい"),
                             platform::vbExclamation, QCoreApplication::translate("frmSettei", "下限値制限"));
        else if (!fitsInt16(count))
            platform::MsgBox(QCoreApplication::translate("frmSettei", "指示数は 32767 までにして下さい"),
                             platform::vbExclamation, QCoreApplication::translate("frmSettei", "上限値制限"));
        else
            return count;
    }
}

// Why `name`'s history cannot be cleared: no file of its own, the file holds something else, or it is also
// another item's history under another name.
std::optional<QString> clearingProblem(const QString& name)
{
    const QString fileName = historyFileName(name);
    if (const QString problem = historyNameProblem(name); !problem.isEmpty())
        return problem;
    if (!isHistoryFile(name))
        return QCoreApplication::translate("frmSettei", "「%1」には履歴ではない内容が入っています").arg(fileName);
    for (int k = 1; k <= gKoumokuSu; ++k) {
        if (gKoumoku[k] != name && sameHistoryFile(gKoumoku[k], name))
            return QCoreApplication::translate("frmSettei", "「%1」は %2 の履歴ファイルでもあります")
                .arg(fileName, gKoumoku[k]);
    }
    return std::nullopt;
}

}  // namespace

QString historyTotalText(double total)
{
    const QString shown = QString::number(total == 0.0 ? 0.0 : total, 'f', 0);
    const int n = QmrM::pluralOf(shown.toDouble());
    return QCoreApplication::translate("frmSettei", "合計回数 ： %1", nullptr, n).arg(shown);
}

// Made at load, let go at unload.
struct frmSettei::Ui {
    Ui(platform::FormWindow* window, frmSettei* form);

    QToolButton* cmdAgain;
    QToolButton* cmdNew;
    QToolButton* cmdHozon;
    QToolButton* cmdClear;
    QToolButton* cmdDel;
    QToolButton* cmdHelp;
    QToolButton* cmdEnd;
    QComboBox* cboKoumoku;
    settings::HistoryList* lstRireki;
    QLabel* lblGoukei;
    QLineEdit* txtKoumoku;
    QLineEdit* txtKaisu;
    QListWidget* lstKoumoku;
    QScrollBar* hsbTime;
    QLabel* lblJikan;
    QPushButton* cmdSettei;
    QCheckBox* chkTim;
    QCheckBox* chkKaisu;

private:
    void createTopBand(platform::FormWindow* window, frmSettei* form);
    void createHistoryFrame(platform::FormWindow* window, frmSettei* form);
    void createItemsFrame(platform::FormWindow* window, frmSettei* form);
    void createOptionsFrame(platform::FormWindow* window);
};

frmSettei::frmSettei() = default;
frmSettei::~frmSettei() = default;

frmSettei::Ui::Ui(platform::FormWindow* window, frmSettei* form)
{
    window->setObjectName(QStringLiteral("frmSettei"));
    window->setWindowTitle(QStringLiteral("Quillmora"));
    window->setFixedSize(platform::twipsToPixels(9465), platform::twipsToPixels(6780));
    window->setFont(namedFont(9));
    createTopBand(window, form);
    createHistoryFrame(window, form);
    createItemsFrame(window, form);
    createOptionsFrame(window);
    platform::setTabOrder({cmdAgain, cmdNew, cmdHozon, cmdClear, cmdDel, cmdHelp, cmdEnd, cboKoumoku, lstKoumoku,
                           txtKaisu, txtKoumoku, lstRireki, chkTim, chkKaisu, hsbTime, cmdSettei});
}

void frmSettei::createControls(platform::FormWindow* window)
{
    ui = std::make_unique<Ui>(window, this);
    using platform::guarded;
    connect(ui->hsbTime, &QScrollBar::valueChanged, this, guarded(this, &frmSettei::hsbTime_Change));
    connect(ui->hsbTime, &QScrollBar::sliderMoved, this, guarded(this, &frmSettei::hsbTime_Scroll));
    connect(ui->cboKoumoku, &QComboBox::activated, this, guarded(this, &frmSettei::cboKoumoku_Click));
    connect(ui->cmdSettei, &QPushButton::clicked, this, guarded(this, &frmSettei::cmdSettei_Click));
    connect(ui->lstRireki, &settings::HistoryList::historyShown, this, platform::guardedSlot([this](double total) {
                ui->lblGoukei->setText(historyTotalText(total));
                ui->lblGoukei->setToolTip(QString());
            }));
    // An unreadable history is told, not fatal: the item can still be deleted or its file put right.
    connect(ui->lstRireki, &settings::HistoryList::historyUnreadable, this,
            platform::guardedSlot([this](const QString& description) {
                ui->lblGoukei->setText(QCoreApplication::translate("frmSettei", "履歴を読めません"));
                ui->lblGoukei->setToolTip(description);
            }));
    // A click on the entry already selected chooses it again; a selection leaving none chosen is passed over.
    const auto click = guarded(this, &frmSettei::lstKoumoku_Click);
    connect(ui->lstKoumoku, &QListWidget::itemSelectionChanged, this, [this, click] {
        mSelectionChangedByPress = true;
        click();
    });
    connect(ui->lstKoumoku, &QListWidget::itemClicked, this, [this, click] {
        if (!mSelectionChangedByPress)
            click();
    });
    help::offerHelpKey(window, QStringLiteral("overview.html#buttons"));
}

void frmSettei::releaseControls()
{
    // The widgets go only when the unloading handler's event loop returns, for the start button at the end of
    // its wait; the history they hold, maybe hundreds of megabytes, goes now.
    ui->lstRireki->clear();
    ui.reset();
}

void frmSettei::Ui::createTopBand(platform::FormWindow* window, frmSettei* form)
{
    auto* Image1 = placed(new QLabel(window), "Image1", twips(150, 150, 3165, 990));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(QPixmap(QStringLiteral(":/pictures/title.gif")));
    Image1->setAccessibleName(QStringLiteral("Quillmora"));

    // The top band, left to right, 825 twips apart.
    struct ToolbarEntry {
        QToolButton* Ui::*button;
        const char* name;
        void (frmSettei::*click)();
        const char* caption;
        const char* toolTip;
        const char* picture;
    };
    //: The captions of the settings window's buttons, under their pictures: short verbs or nouns
    static const ToolbarEntry toolbar[] = {
        {&Ui::cmdAgain, "cmdAgain", &frmSettei::cmdAgain_Click, QT_TRANSLATE_NOOP("frmSettei", "開始"),
         QT_TRANSLATE_NOOP("frmSettei", "トレーニングを開始します"), ":/pictures/app.ico"},
        {&Ui::cmdNew, "cmdNew", &frmSettei::cmdNew_Click, QT_TRANSLATE_NOOP("frmSettei", "登録"),
         QT_TRANSLATE_NOOP("frmSettei", "項目を新規登録します"), ":/pictures/new.ico"},
        //: Saves the item edited in the boxes above the list of items
        {&Ui::cmdHozon, "cmdHozon", &frmSettei::cmdHozon_Click, QT_TRANSLATE_NOOP("frmSettei", "保存"),
         QT_TRANSLATE_NOOP("frmSettei", "編集した設定で保存します"), ":/pictures/hozon.ico"},
        {&Ui::cmdClear, "cmdClear", &frmSettei::cmdClear_Click, QT_TRANSLATE_NOOP("frmSettei", "クリア"),
         QT_TRANSLATE_NOOP("frmSettei", "カウントと履歴をクリアします"), ":/pictures/clear.ico"},
        {&Ui::cmdDel, "cmdDel", &frmSettei::cmdDel_Click, QT_TRANSLATE_NOOP("frmSettei", "削除"),
         QT_TRANSLATE_NOOP("frmSettei", "項目を削除します"), ":/pictures/del.ico"},
        {&Ui::cmdHelp, "cmdHelp", &frmSettei::cmdHelp_Click, QT_TRANSLATE_NOOP("frmSettei", "ヘルプ"),
         QT_TRANSLATE_NOOP("frmSettei", "ヘルプファイルを開きます"), ":/pictures/help.ico"},
        //: Ends the program
        {&Ui::cmdEnd, "cmdEnd", &frmSettei::cmdEnd_Click, QT_TRANSLATE_NOOP("frmSettei", "終了"),
         QT_TRANSLATE_NOOP("frmSettei", "プログラムを終了します"), ":/pictures/end.ico"},
    };
    int x = 3525;
    for (const ToolbarEntry& entry : toolbar) {
        QToolButton* button = placed(new platform::CommandButton(window), entry.name, twips(x, 150, 840, 915));
        button->setText(QCoreApplication::translate("frmSettei", entry.caption));
        button->setToolTip(QCoreApplication::translate("frmSettei", entry.toolTip));
        button->setAccessibleDescription(button->toolTip());
        button->setIcon(platform::picture(QString::fromLatin1(entry.picture)));
        button->setIconSize(QSize(32, 32));
        this->*entry.button = button;
        QObject::connect(button, &QToolButton::clicked, form, platform::guarded(form, entry.click));
        x += 825;
    }

    // An etched separator: a black line with a white one just below it.
    line(window, "Line1_1", 1260, QColor(0, 0, 0));
    line(window, "Line1_0", 1275, QColor(255, 255, 255));
}

void frmSettei::Ui::createHistoryFrame(platform::FormWindow* window, frmSettei* form)
{
    QGroupBox* Frame1 = frame(window, "Frame1", QCoreApplication::translate("frmSettei", "実績履歴リスト"),
                              twips(90, 1425, 4890, 5265));

    // A long name shows its start and "…".
    cboKoumoku = placed(new platform::NameComboBox(platform::NameComboBox::Kind::Editable, Frame1), "cboKoumoku",
                        twips(150, 375, 4590, 345), namedFont(11.25));
    // Typed text never becomes an entry nor chooses one.
    cboKoumoku->setInsertPolicy(QComboBox::NoInsert);
    cboKoumoku->setCompleter(nullptr);
    cboKoumoku->setToolTip(QCoreApplication::translate("frmSettei", "各項目の実績履歴を表示します"));
    cboKoumoku->setAccessibleName(QCoreApplication::translate("frmSettei", "履歴を表示する項目"));
    cboKoumoku->setAccessibleDescription(cboKoumoku->toolTip());
    // Its edit field is a control of its own for assistive technology.
    cboKoumoku->lineEdit()->setAccessibleName(cboKoumoku->accessibleName());
    cboKoumoku->lineEdit()->setAccessibleDescription(cboKoumoku->toolTip());
    cboKoumoku->lineEdit()->installEventFilter(form);

    lstRireki = placed(new settings::HistoryList(Frame1), "lstRireki", twips(150, 750, 4590, 4140), namedFont(12));
    lstRireki->setAccessibleName(Frame1->title());

    // A long total shrinks rather than losing digits.
    lblGoukei = placed(new platform::FitLabel(Frame1), "lblGoukei", twips(2625, 4950, 2040, 240), namedFont(11.25));
    lblGoukei->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Labels that show a value keep it as their name and get a description instead.
    lblGoukei->setAccessibleDescription(QCoreApplication::translate("frmSettei", "合計回数"));
}

void frmSettei::Ui::createItemsFrame(platform::FormWindow* window, frmSettei* form)
{
    QGroupBox* Frame2 = frame(window, "Frame2", QCoreApplication::translate("frmSettei", "登録状態確認"),
                              twips(5100, 1425, 4215, 3840));
    txtKoumoku = editBox(Frame2, "txtKoumoku", twips(150, 375, 3240, 315));
    txtKoumoku->setAccessibleName(QCoreApplication::translate("frmSettei", "項目名"));
    txtKaisu = editBox(Frame2, "txtKaisu", twips(3450, 375, 615, 315));
    txtKaisu->setAccessibleName(QCoreApplication::translate("frmSettei", "指示数"));
    platform::keepTextWhole(txtKaisu, 7);  // five digits and a sign in a box sized for four

    lstKoumoku = placed(new QListWidget(Frame2), "lstKoumoku", twips(150, 750, 3915, 2940), namedFont(12));
    lstKoumoku->setToolTip(QCoreApplication::translate("frmSettei", "クリックすると選択されます"));
    lstKoumoku->setAccessibleName(QCoreApplication::translate("frmSettei", "登録項目"));
    lstKoumoku->setAccessibleDescription(lstKoumoku->toolTip());
    lstKoumoku->viewport()->installEventFilter(form);
}

// Controls given the window's dialog font (9 points) keep it inside the frame, whose caption is larger.
void frmSettei::Ui::createOptionsFrame(platform::FormWindow* window)
{
    QGroupBox* Frame3 =
        frame(window, "Frame3", QCoreApplication::translate("frmSettei", "各種設定"), twips(5100, 5325, 4215, 1365));

    //: The minutes the training window waits after Start, beside their scroll bar
    auto* Label1 = placed(new QLabel(QCoreApplication::translate("frmSettei", "起動Wait"), Frame3), "Label1",
                          twips(150, 400, 690, 240), namedFont(9));
    platform::fitCaption(Label1, Label1->text());

    hsbTime = placed(new platform::HScrollBar(Frame3), "hsbTime", twips(975, 375, 1515, 240));
    hsbTime->setRange(1, 60);  // from 1, the scroll bar's step of 1
    hsbTime->setPageStep(1);
    hsbTime->setAccessibleName(Label1->text());

    lblJikan =
        placed(new QLabel(waitMinutesText(60), Frame3), "lblJikan", twips(2475, 375, 690, 240), namedFont(11.25));
    lblJikan->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblJikan->setAccessibleDescription(QCoreApplication::translate("frmSettei", "待ち時間"));

    //: Saves the options of the frame it stands in
    cmdSettei = placed(new QPushButton(QCoreApplication::translate("frmSettei", "確定"), Frame3), "cmdSettei",
                       twips(3450, 225, 615, 465), namedFont(9));
    cmdSettei->setToolTip(QCoreApplication::translate("frmSettei", "現在の設定を保存します"));
    cmdSettei->setAccessibleDescription(cmdSettei->toolTip());
    cmdSettei->setAutoDefault(true);  // Enter presses it while it has the focus

    chkTim =
        placed(new QCheckBox(QCoreApplication::translate("frmSettei", "起動タイミングをランダムモードにする"), Frame3),
               "chkTim", twips(150, 750, 3465, 180), namedFont(9));
    chkKaisu = placed(
        new QCheckBox(QCoreApplication::translate("frmSettei", "各種トレーニングの回数をランダムモードにする"), Frame3),
        "chkKaisu", twips(150, 1050, 3990, 180), namedFont(9));
}

bool frmSettei::eventFilter(QObject* watched, QEvent* event)
{
    if (ui && watched == ui->lstKoumoku->viewport() && event->type() == QEvent::MouseButtonPress)
        mSelectionChangedByPress = false;
    // Enter in the combo's edit field must not choose an entry: only a choice from the list does.
    if (ui && watched == ui->cboKoumoku->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return platform::Form::eventFilter(watched, event);
}

void frmSettei::Form_Load()
{
    // Back here, the user has done or left the pass a running start wait was for: that wait ends, with no
    // second pass after it.
    schedule::PassSchedule::instance().settingsCameBack();
    mShownHistory.clear();
    if (gKoumokuSu != 0) {
        fillItemLists();
        showFirstHistory();
        // Only 1 switches an option on; any other stored value shows a clear box.
        ui->chkTim->setChecked(gRandomTim == 1);
        ui->chkKaisu->setChecked(gRandomKaisu == 1);
        ui->hsbTime->setValue(static_cast<int>(std::clamp(roundHalfEven(gWaitJikan), 1.0, 60.0)));
    }
    hsbTime_Change();
    ui->cmdAgain->setFocus();
}

void frmSettei::hsbTime_Change()
{
    const QString minutes = waitMinutesText(ui->hsbTime->value());
    ui->lblJikan->setFont(namedFont(11.25));
    platform::fitCaption(ui->lblJikan, minutes);  // "60 min" in a box sized for "60分"
    ui->lblJikan->setText(minutes);
}

// While the thumb is dragged, the minutes follow it.
void frmSettei::hsbTime_Scroll()
{
    hsbTime_Change();
}

void frmSettei::cboKoumoku_Click()
{
    const int n = ui->cboKoumoku->currentIndex() + 1;
    if (n >= 1 && n <= gKoumokuSu)
        ShowHistory(n);
}

void frmSettei::showFirstHistory()
{
    ui->cboKoumoku->setEditText(gKoumoku[1]);
    ShowHistory(1);
}

void frmSettei::ShowHistory(int n)
{
    mShownHistory = gKoumoku[n];
    // The total follows once the list has the history; meanwhile it says so rather than show the previous total.
    ui->lstRireki->showHistory(mShownHistory);
    if (ui->lstRireki->isReading())
        ui->lblGoukei->setText(QCoreApplication::translate("frmSettei", "合計回数 ： 集計中…"));
}

void frmSettei::cmdAgain_Click()
{
    if (ui->lstKoumoku->count() == 0) {
        platform::MsgBox(QCoreApplication::translate("frmSettei", "先に項目を入力して下さい"), platform::vbExclamation,
                         QCoreApplication::translate("frmSettei", "項目未登録"));
        return;
    }
    Unload();
    // The training window's start-up runs at the start of the wait: it rereads the data files and prepares the
    // first item while minimised; the wait follows the options it read.
    schedule::PassSchedule::instance().startWait();
}

void frmSettei::cmdSettei_Click()
{
    const auto before = std::make_tuple(gRandomTim, gRandomKaisu, gWaitJikan);
    gRandomTim = ui->chkTim->isChecked() ? 1 : 0;
    gRandomKaisu = ui->chkKaisu->isChecked() ? 1 : 0;
    gWaitJikan = static_cast<float>(ui->hsbTime->value());
    if (!saved(SaveSettings)) {
        std::tie(gRandomTim, gRandomKaisu, gWaitJikan) = before;  // the options stay as the file has them
        return;
    }
    platform::MsgBox(QCoreApplication::translate("frmSettei", "設定を保存しました"), platform::vbInformation,
                     QCoreApplication::translate("frmSettei", "設定保存終了"));
}

void frmSettei::cmdHelp_Click()
{
    help::HtmlHelpA(window(), help::programHelpFile(), help::HelpCommand::DisplayTopic);
}

void frmSettei::cmdEnd_Click()
{
    help::endProgramClosingHelp(window(), help::programHelpFile());
}

void frmSettei::cmdNew_Click()
{
    if (ui->lstKoumoku->count() >= kMaxItems) {
        platform::MsgBox(QCoreApplication::translate("frmSettei", "登録できる項目数は２０項目までです。"),
                         platform::vbExclamation, QCoreApplication::translate("frmSettei", "項目数上限制約"));
        return;
    }
    const QString name = askItemName();
    const auto count = name.isEmpty() ? std::nullopt : askInstructedCount();
    if (!count) {
        //: The title of the box that says adding an item was cancelled
        platform::MsgBox(QCoreApplication::translate("frmSettei", "新規追加をキャンセルします"),
                         platform::vbExclamation, QCoreApplication::translate("frmSettei", "キャンセル"));
        return;
    }
    // The history file first: if it cannot be made (e.g. a read-only folder), the item must not enter the list,
    // or every pass would stop at it.
    try {
        createHistoryFile(name);
    } catch (const DataFileError& error) {
        //: %1 is why the file could not be made, %2 the item's name
        platform::MsgBox(
            QCoreApplication::translate("frmSettei", "%1\n履歴ファイルを作れないため、%2 は登録しませんでした。")
                .arg(error.description(), name),
            platform::vbExclamation, QCoreApplication::translate("frmSettei", "新規登録中止"));
        return;
    }
    if (!saved([&] { appendItemRecord(name, *count); }))
        return;
    ui->lstKoumoku->addItem(name);
    LoadItems();
    // If the items list changed outside the program meanwhile, refill so a list position is always an item.
    if (ui->lstKoumoku->count() != gKoumokuSu)
        fillItemLists();
    platform::MsgBox(QCoreApplication::translate("frmSettei", "%1 の設定を新規登録しました").arg(gKoumoku[gKoumokuSu]),
                     platform::vbInformation, QCoreApplication::translate("frmSettei", "新規登録終了"));
}

int frmSettei::selectedItem() const
{
    const int row = ui->lstKoumoku->currentRow();
    if (row < 0 || row >= gKoumokuSu || ui->lstKoumoku->selectedItems().isEmpty())
        return 0;
    return row + 1;
}

bool frmSettei::itemChosen()
{
    if (!ui->txtKoumoku->text().isEmpty() && selectedItem() > 0)
        return true;
    platform::MsgBox(QCoreApplication::translate("frmSettei", "先に項目を選んで下さい"), platform::vbInformation,
                     QCoreApplication::translate("frmSettei", "項目未選定"));
    return false;
}

void frmSettei::lstKoumoku_Click()
{
    const int n = selectedItem();
    if (n < 1 || n > gKoumokuSu)
        return;
    platform::setTextShowingStart(ui->txtKoumoku, gKoumoku[n]);
    platform::setTextShowingStart(ui->txtKaisu, QString::number(gShijiSu[n]));
}

void frmSettei::cmdHozon_Click()
{
    if (!itemChosen())
        return;
    const int n = selectedItem();
    // Both values are checked before anything changes, so an item is never saved by halves.
    const QString name = storedItemName(ui->txtKoumoku->text());
    if (!nameAccepted(name, name == gKoumoku[n]))
        return;
    const double count = TextValue(ui->txtKaisu->text());
    if (!fitsInt16(count)) {
        platform::MsgBox(QCoreApplication::translate("frmSettei", "指示数は -32768 から 32767 までにして下さい"),
                         platform::vbExclamation, QCoreApplication::translate("frmSettei", "指示数エラー"));
        return;
    }
    const auto before = std::make_pair(gKoumoku[n], gShijiSu[n]);
    gKoumoku[n] = name;
    gShijiSu[n] = toInt16(count, QCoreApplication::translate("frmSettei", "指示数"));
    if (!saved([] { SaveItems(); })) {
        std::tie(gKoumoku[n], gShijiSu[n]) = before;
        return;
    }
    platform::setTextShowingStart(ui->txtKoumoku, name);
    platform::MsgBox(QCoreApplication::translate("frmSettei", "%1 の設定を更新しました").arg(ui->txtKoumoku->text()),
                     platform::vbInformation, QCoreApplication::translate("frmSettei", "設定更新終了"));
}

void frmSettei::fillItemLists()
{
    ui->lstKoumoku->clear();
    ui->cboKoumoku->clear();
    const QStringList names(gKoumoku.begin() + 1, gKoumoku.begin() + 1 + gKoumokuSu);
    ui->lstKoumoku->addItems(names);
    ui->cboKoumoku->addItems(names);
}

void frmSettei::cmdDel_Click()
{
    if (!itemChosen())
        return;
    const int n = selectedItem();
    const QString deleted = gKoumoku[n];
    if (platform::MsgBox(QCoreApplication::translate("frmSettei", "%1を削除します。よろしいですか？").arg(deleted),
                         platform::vbOKCancel | platform::vbExclamation,
                         QCoreApplication::translate("frmSettei", "クリア確認")) != platform::vbOK)
        return;
    // Items of one name, or of names for one file (case on a folder that ignores it), share a history file: it
    // goes only with the last of them. A file that is not a history stays.
    if (!saved([n] { deleteItem(n); }))
        return;
    fillItemLists();
    ui->lstRireki->clear();
    ui->lblGoukei->setText(QStringLiteral("0"));
    ui->lblGoukei->setToolTip(QString());  // it may have told why the deleted item's history was unreadable
    if (gKoumokuSu != 0)
        showFirstHistory();
    ui->txtKoumoku->clear();
    ui->txtKaisu->clear();
    platform::MsgBox(QCoreApplication::translate("frmSettei", "削除しました"), platform::vbInformation,
                     QCoreApplication::translate("frmSettei", "削除終了"));
}

void frmSettei::cmdClear_Click()
{
    if (!itemChosen())
        return;
    // The messages name the selected item, whatever the name box holds.
    const QString name = gKoumoku[selectedItem()];
    if (const auto problem = clearingProblem(name)) {
        platform::MsgBox(
            QCoreApplication::translate("frmSettei", "%1 の履歴はクリアできません。\n%2。").arg(name, *problem),
            platform::vbExclamation, QCoreApplication::translate("frmSettei", "クリア中止"));
        return;
    }
    if (platform::MsgBox(
            QCoreApplication::translate("frmSettei", "%1のカウント数と履歴データをクリアします。よろしいですか？")
                .arg(name),
            platform::vbOKCancel | platform::vbExclamation,
            QCoreApplication::translate("frmSettei", "クリア確認")) != platform::vbOK)
        return;
    if (!saved([&name] {
            SaveItems();
            clearHistoryFile(name);
        }))
        return;
    if (!mShownHistory.isEmpty() && sameHistoryFile(mShownHistory, name)) {
        ui->lblGoukei->setText(QStringLiteral("0"));
        ui->lstRireki->clear();
    }
    platform::MsgBox(QCoreApplication::translate("frmSettei", "%1 のカウント数と履歴データをクリアしました").arg(name),
                     platform::vbInformation, QCoreApplication::translate("frmSettei", "クリア終了"));
}
