// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmSettei.h"

#include "HistoryList.h"
#include "platform/AppSetup.h"
#include "platform/OwnPictures.h"
#include "platform/CommandButton.h"
#include "platform/Dialogs.h"
#include "platform/FitLabel.h"
#include "platform/NameComboBox.h"
#include "platform/Guard.h"
#include "help/HtmlHelp.h"
#include "platform/Handover.h"
#include "platform/ScrollBar.h"
#include "platform/TextBox.h"
#include "schedule/PassSchedule.h"
#include "shared/Errors.h"
#include "shared/ItemNames.h"
#include "shared/Numbers.h"
#include "shared/QmrM.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QFile>
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
#include <cmath>
#include <functional>
#include <tuple>

using namespace QmrM;
using platform::namedFont;
using platform::twips;

namespace {

// The window's own font, the dialog font: a control given it explicitly keeps it inside a frame
// whose caption uses a larger size.
QFont dialogFont()
{
    return namedFont(9);
}

QToolButton* toolbarButton(QWidget* parent, const char* name, int x, const QString& caption, const QString& toolTip,
                           const QString& picture)
{
    auto* button = new platform::CommandButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(twips(x, 150, 840, 915));
    button->setText(caption);
    button->setToolTip(toolTip);
    button->setAccessibleDescription(toolTip);
    button->setIcon(platform::picture(picture));
    button->setIconSize(QSize(32, 32));
    return button;
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption, const QRect& geometry)
{
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->setFont(namedFont(11.25));
    return box;
}

QFrame* line(QWidget* parent, int index, int y, const QColor& colour)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(QStringLiteral("Line1_%1").arg(index));
    frame->setGeometry(platform::twipsToPixels(150), platform::twipsToPixels(y),
                       platform::twipsToPixels(9300 - 150) + 1, 1);
    frame->setFrameShape(QFrame::NoFrame);
    frame->setAutoFillBackground(true);
    QPalette palette = frame->palette();
    palette.setColor(QPalette::Window, colour);
    frame->setPalette(palette);
    return frame;
}

QLineEdit* editBox(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(geometry);
    edit->setFont(namedFont(11.25));
    edit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    edit->setToolTip(QCoreApplication::translate("frmSettei", "修正後設定保存を押して下さい"));
    edit->setAccessibleDescription(edit->toolTip());
    return edit;
}

}  // namespace

QString historyTotalText(double total)
{
    const QString shown = QString::number(total == 0.0 ? 0.0 : total, 'f', 0);
    const int n = QmrM::pluralOf(shown.toDouble());
    return QCoreApplication::translate("frmSettei", "合計回数 ： %1", nullptr, n).arg(shown);
}

namespace {

// The wait's length beside its scroll bar: "60分".
QString waitMinutesText(int minutes)
{
    return QCoreApplication::translate("frmSettei", "%n分", nullptr, minutes);
}

}  // namespace

// The controls of the loaded window, made at load and let go at unload.
struct frmSettei::Ui {
    Ui(platform::FormWindow* window, QObject* eventFilter);

    QLabel* Image1;
    QToolButton* cmdAgain;
    QToolButton* cmdNew;
    QToolButton* cmdHozon;
    QToolButton* cmdClear;
    QToolButton* cmdDel;
    QToolButton* cmdHelp;
    QToolButton* cmdEnd;
    std::array<QFrame*, 2> Line1{};
    QGroupBox* Frame1;
    QComboBox* cboKoumoku;
    settings::HistoryList* lstRireki;
    QLabel* lblGoukei;
    QGroupBox* Frame2;
    QLineEdit* txtKoumoku;
    QLineEdit* txtKaisu;
    QListWidget* lstKoumoku;
    QGroupBox* Frame3;
    QLabel* Label1;
    QScrollBar* hsbTime;
    QLabel* lblJikan;
    QPushButton* cmdSettei;
    QCheckBox* chkTim;
    QCheckBox* chkKaisu;

private:
    void createTopBand(platform::FormWindow* window);
    void createHistoryFrame(platform::FormWindow* window, QObject* eventFilter);
    void createItemsFrame(platform::FormWindow* window, QObject* eventFilter);
    void createOptionsFrame(platform::FormWindow* window);
    void nameControls();
    void setTabOrder();
};

frmSettei::frmSettei() = default;
frmSettei::~frmSettei() = default;

frmSettei& frmSettei::instance()
{
    return platform::FormInstance<frmSettei>::get();
}

void frmSettei::destroyInstance()
{
    platform::FormInstance<frmSettei>::destroy();
}

frmSettei::Ui::Ui(platform::FormWindow* window, QObject* eventFilter)
{
    window->setObjectName(QStringLiteral("frmSettei"));
    window->setWindowTitle(QStringLiteral("Quillmora"));
    window->setFixedSize(platform::twipsToPixels(9465), platform::twipsToPixels(6780));
    window->setFont(dialogFont());
    createTopBand(window);
    createHistoryFrame(window, eventFilter);
    createItemsFrame(window, eventFilter);
    createOptionsFrame(window);
    nameControls();
    setTabOrder();
}

void frmSettei::createControls(platform::FormWindow* window)
{
    ui = std::make_unique<Ui>(window, this);
    connectHandlers();
    help::offerHelpKey(window, QStringLiteral("overview.html#buttons"));
}

void frmSettei::releaseControls()
{
    // The widgets go only when the unloading handler's event loop gets control back, which for the start
    // button is the end of its wait: the history they hold, maybe hundreds of megabytes, goes now.
    ui->lstRireki->clear();
    ui.reset();
}

void frmSettei::Ui::createTopBand(platform::FormWindow* window)
{
    Image1 = new QLabel(window);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(twips(150, 150, 3165, 990));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(QPixmap(QStringLiteral(":/pictures/title.gif")));

    // The seven buttons of the top band, from left to right, 825 twips apart.
    struct ToolbarEntry {
        QToolButton* Ui::*button;
        const char* name;
        const char* caption;
        const char* toolTip;
        const char* picture;
    };
    //: The captions of the settings window's buttons, under their pictures: short verbs or nouns
    static const ToolbarEntry toolbar[] = {
        {&Ui::cmdAgain, "cmdAgain", QT_TRANSLATE_NOOP("frmSettei", "開始"),
         QT_TRANSLATE_NOOP("frmSettei", "トレーニングを開始します"), ":/pictures/app.ico"},
        {&Ui::cmdNew, "cmdNew", QT_TRANSLATE_NOOP("frmSettei", "登録"),
         QT_TRANSLATE_NOOP("frmSettei", "項目を新規登録します"), ":/pictures/new.ico"},
        //: Saves the item edited in the boxes above the list of items
        {&Ui::cmdHozon, "cmdHozon", QT_TRANSLATE_NOOP("frmSettei", "保存"),
         QT_TRANSLATE_NOOP("frmSettei", "編集した設定で保存します"), ":/pictures/hozon.ico"},
        {&Ui::cmdClear, "cmdClear", QT_TRANSLATE_NOOP("frmSettei", "クリア"),
         QT_TRANSLATE_NOOP("frmSettei", "カウントと履歴をクリアします"), ":/pictures/clear.ico"},
        {&Ui::cmdDel, "cmdDel", QT_TRANSLATE_NOOP("frmSettei", "削除"),
         QT_TRANSLATE_NOOP("frmSettei", "項目を削除します"), ":/pictures/del.ico"},
        {&Ui::cmdHelp, "cmdHelp", QT_TRANSLATE_NOOP("frmSettei", "ヘルプ"),
         QT_TRANSLATE_NOOP("frmSettei", "ヘルプファイルを開きます"), ":/pictures/help.ico"},
        //: Ends the program
        {&Ui::cmdEnd, "cmdEnd", QT_TRANSLATE_NOOP("frmSettei", "終了"),
         QT_TRANSLATE_NOOP("frmSettei", "プログラムを終了します"), ":/pictures/end.ico"},
    };
    int x = 3525;
    for (const ToolbarEntry& entry : toolbar) {
        this->*entry.button =
            toolbarButton(window, entry.name, x, QCoreApplication::translate("frmSettei", entry.caption),
                          QCoreApplication::translate("frmSettei", entry.toolTip), QString::fromLatin1(entry.picture));
        x += 825;
    }

    // An etched separator: a black line with a white one just below it.
    Line1[1] = line(window, 1, 1260, QColor(0, 0, 0));
    Line1[0] = line(window, 0, 1275, QColor(255, 255, 255));
}

void frmSettei::Ui::createHistoryFrame(platform::FormWindow* window, QObject* eventFilter)
{
    Frame1 = frame(window, "Frame1", QCoreApplication::translate("frmSettei", "実績履歴リスト"),
                   twips(90, 1425, 4890, 5265));

    // A long name shows its start and "…".
    cboKoumoku = new platform::NameComboBox(platform::NameComboBox::Kind::Editable, Frame1);
    cboKoumoku->setObjectName(QStringLiteral("cboKoumoku"));
    cboKoumoku->setGeometry(twips(150, 375, 4590, 345));
    // Typed text only changes the edit field: it never becomes an entry nor chooses one.
    cboKoumoku->setInsertPolicy(QComboBox::NoInsert);
    cboKoumoku->setCompleter(nullptr);
    cboKoumoku->setFont(namedFont(11.25));
    cboKoumoku->setToolTip(QCoreApplication::translate("frmSettei", "各項目の実績履歴を表示します"));
    cboKoumoku->lineEdit()->installEventFilter(eventFilter);

    lstRireki = new settings::HistoryList(Frame1);  // rows made from the file as they are shown
    lstRireki->setObjectName(QStringLiteral("lstRireki"));
    lstRireki->setGeometry(twips(150, 750, 4590, 4140));
    lstRireki->setFont(namedFont(12));
    lstRireki->setSelectionMode(QAbstractItemView::SingleSelection);

    lblGoukei = new platform::FitLabel(Frame1);  // a long total shrinks rather than losing digits
    lblGoukei->setObjectName(QStringLiteral("lblGoukei"));
    lblGoukei->setGeometry(twips(2625, 4950, 2040, 240));
    lblGoukei->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblGoukei->setFont(namedFont(11.25));
}

void frmSettei::Ui::createItemsFrame(platform::FormWindow* window, QObject* eventFilter)
{
    Frame2 = frame(window, "Frame2", QCoreApplication::translate("frmSettei", "登録状態確認"),
                   twips(5100, 1425, 4215, 3840));
    txtKoumoku = editBox(Frame2, "txtKoumoku", twips(150, 375, 3240, 315));
    txtKaisu = editBox(Frame2, "txtKaisu", twips(3450, 375, 615, 315));
    platform::keepTextWhole(txtKaisu, 7);  // five digits and a sign in a box sized for four

    lstKoumoku = new QListWidget(Frame2);
    lstKoumoku->setObjectName(QStringLiteral("lstKoumoku"));
    lstKoumoku->setGeometry(twips(150, 750, 3915, 2940));
    lstKoumoku->setFont(namedFont(12));
    lstKoumoku->setSelectionMode(QAbstractItemView::SingleSelection);
    lstKoumoku->setToolTip(QCoreApplication::translate("frmSettei", "クリックすると選択されます"));
    lstKoumoku->viewport()->installEventFilter(eventFilter);
}

void frmSettei::Ui::createOptionsFrame(platform::FormWindow* window)
{
    Frame3 =
        frame(window, "Frame3", QCoreApplication::translate("frmSettei", "各種設定"), twips(5100, 5325, 4215, 1365));

    //: The minutes the training window waits after Start, beside their scroll bar
    Label1 = new QLabel(QCoreApplication::translate("frmSettei", "起動Wait"), Frame3);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twips(150, 400, 690, 240));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Label1->setFont(dialogFont());
    platform::fitCaption(Label1, Label1->text());

    hsbTime = new platform::HScrollBar(Frame3);
    hsbTime->setObjectName(QStringLiteral("hsbTime"));
    hsbTime->setGeometry(twips(975, 375, 1515, 240));
    hsbTime->setRange(1, 60);
    hsbTime->setValue(1);
    hsbTime->setSingleStep(1);
    hsbTime->setPageStep(1);

    lblJikan = new QLabel(waitMinutesText(60), Frame3);
    lblJikan->setObjectName(QStringLiteral("lblJikan"));
    lblJikan->setGeometry(twips(2475, 375, 690, 240));
    lblJikan->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblJikan->setFont(namedFont(11.25));

    //: Saves the options of the frame it stands in
    cmdSettei = new QPushButton(QCoreApplication::translate("frmSettei", "確定"), Frame3);
    cmdSettei->setObjectName(QStringLiteral("cmdSettei"));
    cmdSettei->setGeometry(twips(3450, 225, 615, 465));
    cmdSettei->setFont(dialogFont());
    cmdSettei->setToolTip(QCoreApplication::translate("frmSettei", "現在の設定を保存します"));
    cmdSettei->setAutoDefault(true);  // Enter presses it while it has the focus

    chkTim = new QCheckBox(QCoreApplication::translate("frmSettei", "起動タイミングをランダムモードにする"), Frame3);
    chkTim->setObjectName(QStringLiteral("chkTim"));
    chkTim->setGeometry(twips(150, 750, 3465, 180));
    chkTim->setFont(dialogFont());

    chkKaisu =
        new QCheckBox(QCoreApplication::translate("frmSettei", "各種トレーニングの回数をランダムモードにする"), Frame3);
    chkKaisu->setObjectName(QStringLiteral("chkKaisu"));
    chkKaisu->setGeometry(twips(150, 1050, 3990, 180));
    chkKaisu->setFont(dialogFont());
}

void frmSettei::Ui::nameControls()
{
    // Names for assistive technology where no caption says what a control is. Labels that show a value
    // keep it as their name and get a description instead.
    Image1->setAccessibleName(QStringLiteral("Quillmora"));
    cboKoumoku->setAccessibleName(QCoreApplication::translate("frmSettei", "履歴を表示する項目"));
    cboKoumoku->setAccessibleDescription(cboKoumoku->toolTip());
    // Its edit field is a control of its own for assistive technology.
    cboKoumoku->lineEdit()->setAccessibleName(cboKoumoku->accessibleName());
    cboKoumoku->lineEdit()->setAccessibleDescription(cboKoumoku->toolTip());
    lstRireki->setAccessibleName(Frame1->title());
    lblGoukei->setAccessibleDescription(QCoreApplication::translate("frmSettei", "合計回数"));
    txtKoumoku->setAccessibleName(QCoreApplication::translate("frmSettei", "項目名"));
    txtKaisu->setAccessibleName(QCoreApplication::translate("frmSettei", "指示数"));
    lstKoumoku->setAccessibleName(QCoreApplication::translate("frmSettei", "登録項目"));
    lstKoumoku->setAccessibleDescription(lstKoumoku->toolTip());
    hsbTime->setAccessibleName(Label1->text());
    lblJikan->setAccessibleDescription(QCoreApplication::translate("frmSettei", "待ち時間"));
    cmdSettei->setAccessibleDescription(cmdSettei->toolTip());
}

void frmSettei::Ui::setTabOrder()
{
    const QWidget* order[] = {cmdAgain,   cmdNew,   cmdHozon,   cmdClear,  cmdDel, cmdHelp,  cmdEnd,  cboKoumoku,
                              lstKoumoku, txtKaisu, txtKoumoku, lstRireki, chkTim, chkKaisu, hsbTime, cmdSettei};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(const_cast<QWidget*>(order[i]), const_cast<QWidget*>(order[i + 1]));
}

void frmSettei::connectHandlers()
{
    using platform::guarded;
    connect(ui->cmdAgain, &QToolButton::clicked, this, guarded(this, &frmSettei::cmdAgain_Click));
    connect(ui->hsbTime, &QScrollBar::valueChanged, this, guarded(this, &frmSettei::hsbTime_Change));
    connect(ui->hsbTime, &QScrollBar::sliderMoved, this, guarded(this, &frmSettei::hsbTime_Scroll));
    connect(ui->cboKoumoku, &QComboBox::activated, this, guarded(this, &frmSettei::cboKoumoku_Click));
    connect(ui->cmdSettei, &QPushButton::clicked, this, guarded(this, &frmSettei::cmdSettei_Click));
    connect(ui->cmdHelp, &QToolButton::clicked, this, guarded(this, &frmSettei::cmdHelp_Click));
    connect(ui->cmdEnd, &QToolButton::clicked, this, guarded(this, &frmSettei::cmdEnd_Click));
    connect(ui->cmdNew, &QToolButton::clicked, this, guarded(this, &frmSettei::cmdNew_Click));
    connect(ui->cmdHozon, &QToolButton::clicked, this, guarded(this, &frmSettei::cmdHozon_Click));
    connect(ui->cmdDel, &QToolButton::clicked, this, guarded(this, &frmSettei::cmdDel_Click));
    connect(ui->cmdClear, &QToolButton::clicked, this, guarded(this, &frmSettei::cmdClear_Click));
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
    connectItemListClicks();
}

void frmSettei::connectItemListClicks()
{
    // A click on an entry selects it; a click on the entry already selected chooses it again.
    const auto click = guarded(this, &frmSettei::lstKoumoku_Click);
    connect(ui->lstKoumoku, &QListWidget::itemSelectionChanged, this, [this, click] {
        mSelectionChangedByPress = true;
        if (ui->lstKoumoku->currentRow() >= 0 && !ui->lstKoumoku->selectedItems().isEmpty())
            click();
    });
    connect(ui->lstKoumoku, &QListWidget::itemClicked, this, [this, click] {
        if (!mSelectionChangedByPress)
            click();
    });
}

bool frmSettei::eventFilter(QObject* watched, QEvent* event)
{
    if (!ui)
        return platform::Form::eventFilter(watched, event);
    if (watched == ui->lstKoumoku->viewport() && event->type() == QEvent::MouseButtonPress)
        mSelectionChangedByPress = false;
    // Enter in the combo's edit field must not choose an entry: only a choice from the list does.
    if (watched == ui->cboKoumoku->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return platform::Form::eventFilter(watched, event);
}

void frmSettei::Form_Load()
{
    // Back in the settings window, the user has done or left the pass a running start wait was for
    // (trained during the wait): that wait is over, and no second pass comes after it.
    schedule::PassSchedule::instance().settingsCameBack();
    mHelpFile = help::programHelpFile();
    mShownHistory.clear();
    if (gKoumokuSu != 0) {
        fillItemLists();
        ui->cboKoumoku->setEditText(gKoumoku[1]);
        mRirekiNo = 1;
        ShowHistory();
        // Only 1 switches an option on; any other stored value shows a clear box.
        ui->chkTim->setChecked(gRandomTim == 1);
        ui->chkKaisu->setChecked(gRandomKaisu == 1);
        ui->hsbTime->setValue(static_cast<int>(std::clamp(roundHalfEven(gWaitJikan), 1.0, 60.0)));
    }
    showWaitMinutes();
    ui->cmdAgain->setFocus();
}

void frmSettei::showWaitMinutes()
{
    const QString minutes = waitMinutesText(ui->hsbTime->value());
    ui->lblJikan->setFont(namedFont(11.25));
    platform::fitCaption(ui->lblJikan, minutes);  // "60 min" in a box sized for "60分"
    ui->lblJikan->setText(minutes);
}

void frmSettei::hsbTime_Change()
{
    showWaitMinutes();
}

void frmSettei::hsbTime_Scroll()
{
    showWaitMinutes();
}

void frmSettei::cboKoumoku_Click()
{
    const int n = ui->cboKoumoku->currentIndex() + 1;
    if (n < 1 || n > gKoumokuSu)
        return;
    mRirekiNo = static_cast<int16_t>(n);
    ShowHistory();
}

void frmSettei::ShowHistory()
{
    ui->lstRireki->clear();
    if (mRirekiNo < 1 || mRirekiNo > gKoumokuSu)
        return;
    mShownHistory = gKoumoku[mRirekiNo];
    // The total label follows when the list has the history: at once, or once a long file is read; until
    // then it says so rather than showing the total of the history shown before.
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
    // The training window's start-up runs next, at the beginning of the wait: it rereads the data files and
    // prepares the first item while the window waits minimised; the wait follows the options it read.
    schedule::PassSchedule::instance().startWait();
}

namespace {

// Makes a change of the data files; where they cannot be written (a read-only folder), says so and goes on:
// returns false, and the change is not made.
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

}  // namespace

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
    help::HtmlHelpA(window(), mHelpFile, help::HelpCommand::DisplayTopic);
}

void frmSettei::cmdEnd_Click()
{
    help::endProgramClosingHelp(window(), mHelpFile);
}

namespace {

// Why a name whose file holds something else cannot become an item: its history would be that file.
QString notAHistoryFileText(const QString& name)
{
    return QCoreApplication::translate("frmSettei",
                                       "「%1」には履歴ではない内容が入っているため、この項目名は使えません。\n"
                                       "別の項目名にするか、ファイルの名前を変えて下さい。")
        .arg(historyFileName(name));
}

// The first item whose name satisfies `matches`, 0 when none does.
template <class Matches>
int findItem(Matches&& matches)
{
    for (int k = 1; k <= gKoumokuSu; ++k) {
        if (matches(gKoumoku[k]))
            return k;
    }
    return 0;
}

}  // namespace

QString frmSettei::askItemName()
{
    // A refused name comes back in the box, to be corrected rather than typed again.
    QString typed;
    while (true) {
        typed = platform::InputBox(QCoreApplication::translate("frmSettei", "項目名は何ですか？"),
                                   QCoreApplication::translate("frmSettei", "項目名入力"), typed);
        if (typed.isEmpty())
            return QString();
        const QString name = storedItemName(typed);
        const auto problem = itemNameProblem(name);
        if (!problem && isHistoryFile(name))
            return name;
        platform::MsgBox(problem ? *problem : notAHistoryFileText(name), platform::vbExclamation,
                         QCoreApplication::translate("frmSettei", "項目名エラー"));
    }
}

std::optional<double> frmSettei::askInstructedCount()
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
    // The history file first: where it cannot be made (a folder where no file may be made), the item must not
    // enter the list, or every pass would stop at it.
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
    // The items list was changed outside the program meanwhile: the lists show what it holds now, so that a
    // list position is always an item.
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
    if (const auto problem = itemNameProblem(name)) {
        platform::MsgBox(*problem, platform::vbExclamation, QCoreApplication::translate("frmSettei", "項目名エラー"));
        return;
    }
    if (name != gKoumoku[n] && !isHistoryFile(name)) {
        platform::MsgBox(notAHistoryFileText(name), platform::vbExclamation,
                         QCoreApplication::translate("frmSettei", "項目名エラー"));
        return;
    }
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
    const int count = gKoumokuSu;
    for (int i = 1; i <= count; ++i) {
        ui->lstKoumoku->addItem(gKoumoku[i]);
        ui->cboKoumoku->addItem(gKoumoku[i]);
    }
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
    // Items of the same name share one history file, and so do names of one file (letters' case on a folder
    // that ignores it): it goes only with the last of them. A file that is not a history stays.
    if (!saved([n] { deleteItem(n); }))
        return;
    fillItemLists();
    ui->lstRireki->clear();
    ui->lblGoukei->setText(QStringLiteral("0"));
    ui->lblGoukei->setToolTip(QString());  // it may have told why the deleted item's history was unreadable
    if (gKoumokuSu != 0) {
        ui->cboKoumoku->setEditText(gKoumoku[1]);
        mRirekiNo = 1;
        ShowHistory();
    }
    ui->txtKoumoku->clear();
    ui->txtKaisu->clear();
    platform::MsgBox(QCoreApplication::translate("frmSettei", "削除しました"), platform::vbInformation,
                     QCoreApplication::translate("frmSettei", "削除終了"));
}

std::optional<QString> frmSettei::clearingProblem(int n) const
{
    const QString& name = gKoumoku[n];
    const QString fileName = historyFileName(name);
    if (const QString problem = historyNameProblem(name); !problem.isEmpty())
        return problem;
    if (!isHistoryFile(name))
        return QCoreApplication::translate("frmSettei", "「%1」には履歴ではない内容が入っています").arg(fileName);
    const int other = findItem([&](const QString& item) { return item != name && sameHistoryFile(item, name); });
    if (other != 0)
        return QCoreApplication::translate("frmSettei", "「%1」は %2 の履歴ファイルでもあります")
            .arg(fileName, gKoumoku[other]);
    return std::nullopt;
}

void frmSettei::cmdClear_Click()
{
    if (!itemChosen())
        return;
    // The messages name the item whose history is emptied: the selected one, whatever the name box holds.
    const int n = selectedItem();
    const QString name = gKoumoku[n];
    if (const auto problem = clearingProblem(n)) {
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
