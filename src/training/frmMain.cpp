// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmMain.h"

#include "help/HtmlHelp.h"
#include "platform/AppSetup.h"
#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "platform/FitLabel.h"
#include "platform/Guard.h"
#include "platform/OnScreen.h"
#include "shared/Errors.h"
#include "shared/Numbers.h"
#include "shared/QmrM.h"
#include "shared/Wait.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QScrollBar>
#include <QToolButton>
#include <QCoreApplication>

#include <algorithm>
#include <array>

using namespace QmrM;
using platform::namedFont;
using platform::placed;
using platform::twips;

namespace {

constexpr int kStepColour = 15;
constexpr int kCurrentStepColour = 12;
constexpr int kSteps = 20;
// A long name in the plan is cut with "…" below this size; it is shown whole when it is its turn.
constexpr double kSmallestStepPoints = 9;
// A long number shrinks down to this before the count box scrolls.
constexpr double kSmallestCountPoints = 8;

}  // namespace

// Made at load, let go at unload.
struct frmMain::Ui {
    explicit Ui(platform::FormWindow* window);

    QLabel* lblKoumoku;
    QLineEdit* txtKaisu;
    QToolButton* cmdNext;
    QScrollBar* hsbKaisu;
    QLabel* lblKaisu;
    std::array<QLabel*, kSteps + 1> lblSnd{};  // indices 1 to 20; 0 unused
    QToolButton* cmdCut;
};

QColor PaletteColor(int index)
{
    static const QRgb palette[16] = {
        0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
        0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
    };
    return QColor(palette[index & 15]);
}

double itemNameFontSize(const QString& name)
{
    // The longest name each size holds; an empty name takes the smallest.
    static const std::pair<qsizetype, double> sizes[] = {{5, 65}, {8, 48}, {10, 36}, {14, 28}, {18, 22}};
    for (const auto& [longest, points] : sizes) {
        if (!name.isEmpty() && name.size() <= longest)
            return points;
    }
    return 16;
}

frmMain::frmMain() = default;
frmMain::~frmMain() = default;

platform::PresentedItem frmMain::presentedItem() const
{
    return ui ? mPresented : platform::PresentedItem{};
}

QColor buttonFaceColor()
{
    return QApplication::palette().color(QPalette::Button);
}

frmMain::Ui::Ui(platform::FormWindow* window)
{
    window->setObjectName(QStringLiteral("frmMain"));
    window->setWindowTitle(QStringLiteral("Quillmora"));
    window->setFixedSize(platform::twipsToPixels(9435), platform::twipsToPixels(6750));
    window->setFont(namedFont(21.75));
    window->setAutoFillBackground(true);

    // The name and count are shown whole, smaller when they do not fit.
    lblKoumoku = placed(new platform::FitLabel(window), "lblKoumoku", twips(2655, 585, 6735, 1515));
    lblKoumoku->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblKoumoku->setWordWrap(true);

    txtKaisu = placed(new QLineEdit(QStringLiteral("0"), window), "txtKaisu", twips(6750, 5700, 1215, 510));
    // Counts are half-width digits; a Japanese input method would only get in the way.
    txtKaisu->setAttribute(Qt::WA_InputMethodEnabled, false);
    txtKaisu->setInputMethodHints(Qt::ImhPreferNumbers | Qt::ImhLatinOnly);
    platform::keepTextWhole(txtKaisu, kSmallestCountPoints);

    cmdNext = placed(new platform::CommandButton(window), "cmdNext", twips(8250, 5625, 990, 990), namedFont(9));
    //: The button that records the count and goes on to the next item
    cmdNext->setText(QCoreApplication::translate("frmMain", "次へ"));
    cmdNext->setIcon(platform::picture(QStringLiteral(":/pictures/next.ico")));
    cmdNext->setIconSize(QSize(32, 32));

    hsbKaisu = placed(new platform::HScrollBar(window), "hsbKaisu", twips(6750, 6300, 1215, 240));
    hsbKaisu->setRange(0, 1000);  // at 0, with the scroll bar's steps of 1 and 10

    lblKaisu = placed(new platform::FitLabel(window), "lblKaisu", twips(2700, 2250, 6720, 2865), namedFont(150));
    lblKaisu->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    //: The frame listing the items of the pass
    auto* Frame1 = placed(new QGroupBox(QCoreApplication::translate("frmMain", "計画"), window), "Frame1",
                          twips(75, 150, 2550, 6465), namedFont(11.25));

    for (int i = 1; i <= kSteps; ++i) {
        // Outlined, so the white and red steps read on the window face and on every flash colour.
        auto* label = placed(new platform::OutlinedLabel(Frame1), QStringLiteral("lblSnd_%1").arg(i),
                             twips(105, 375 + 300 * (i - 1), 2415, 240), namedFont(11.25));
        label->setMinimumPointSize(kSmallestStepPoints);
        lblSnd[i] = label;
    }
    // The item, its count and the plan's first step stay in view where a small screen scrolls the controls.
    platform::setLeadControls({lblKoumoku, lblKaisu, lblSnd[1]});

    cmdCut = placed(new platform::CommandButton(window), "cmdCut", twips(9000, 75, 390, 345));
    cmdCut->setIcon(platform::picture(QStringLiteral(":/pictures/cut.bmp")));
    cmdCut->setIconSize(QSize(16, 16));
    cmdCut->setToolButtonStyle(Qt::ToolButtonIconOnly);
    platform::pinToCorner(cmdCut);  // the way out of the pass stays in view where the controls scroll
    //: The small button that leaves the pass
    cmdCut->setAccessibleName(QCoreApplication::translate("frmMain", "中断"));
    cmdCut->setAccessibleDescription(
        QCoreApplication::translate("frmMain", "トレーニングを中断して設定画面に戻ります"));

    // Labels keep their text as accessible name (what a screen reader must read); a description says what it is.
    lblKoumoku->setAccessibleDescription(QCoreApplication::translate("frmMain", "項目名"));
    lblKaisu->setAccessibleDescription(QCoreApplication::translate("frmMain", "指示回数"));
    txtKaisu->setAccessibleName(QCoreApplication::translate("frmMain", "回数"));
    txtKaisu->setAccessibleDescription(
        QCoreApplication::translate("frmMain", "行った回数を入力して Enter キーで次へ進みます"));
    hsbKaisu->setAccessibleName(QCoreApplication::translate("frmMain", "回数の調整"));

    platform::setTabOrder({txtKaisu, cmdNext, hsbKaisu, cmdCut});
}

void frmMain::createControls(platform::FormWindow* window)
{
    ui = std::make_unique<Ui>(window);
    setBackground(buttonFaceColor());
    using platform::guarded;
    connect(ui->cmdNext, &QToolButton::clicked, this, guarded(this, &frmMain::cmdNext_Click));
    connect(ui->hsbKaisu, &QScrollBar::valueChanged, this, guarded(this, &frmMain::hsbKaisu_Change));
    connect(ui->hsbKaisu, &QScrollBar::sliderMoved, this, guarded(this, &frmMain::hsbKaisu_Scroll));
    connect(ui->cmdCut, &QToolButton::clicked, this, guarded(this, &frmMain::cmdCut_Click));
    new platform::KeyPressFilter(ui->txtKaisu, [this](int& keyAscii) { txtKaisu_KeyPress(keyAscii); });
    new platform::KeyPressFilter(ui->cmdNext, [this](int& keyAscii) { typeIntoCountBox(keyAscii); });
    // Only the user's own changes: the program sets the count at each item.
    connect(ui->txtKaisu, &QLineEdit::textEdited, this, [this] { mCountEntered = true; });
    connect(ui->hsbKaisu, &QScrollBar::actionTriggered, this, [this] { mCountEntered = true; });
    help::offerHelpKey(window, QStringLiteral("training.html"));
}

void frmMain::releaseControls()
{
    ui.reset();
}

void frmMain::setStepColour(int step, int paletteIndex)
{
    platform::setColour(ui->lblSnd[step], QPalette::WindowText, PaletteColor(paletteIndex));
}

// With no items there is no pass: the settings window comes instead, and this window is never made.
bool frmMain::prepareLoad()
{
    LoadItems();
    LoadSettings();
    if (gKoumokuSu != 0)
        return true;
    platform::MsgBox(QCoreApplication::translate("frmMain", "項目登録ボタンを押して項目を設定してください"),
                     platform::vbExclamation, QCoreApplication::translate("frmMain", "項目無し"));
    platform::settingsWindow().Show();
    return false;
}

void frmMain::Form_Load()
{
    mCountEntered = false;
    Show();
    for (int i = 1; i <= kSteps; ++i)
        ui->lblSnd[i]->setVisible(false);
    for (int j = 1; j <= gKoumokuSu; ++j) {
        ui->lblSnd[j]->setVisible(true);
        setStepColour(j, kStepColour);
        ui->lblSnd[j]->setText(QString::number(j) + QStringLiteral(".") + gKoumoku[j]);
    }
    //: The next button's caption on the last item: ends the pass
    ui->cmdNext->setText(gKoumokuSu == 1 ? QCoreApplication::translate("frmMain", "終了")
                                         : QCoreApplication::translate("frmMain", "次へ"));
    ui->hsbKaisu->setValue(0);
    ui->txtKaisu->setText(QString());
    gGenzai = 1;
    setStepColour(1, kCurrentStepColour);
    ShowCurrentItem();
}

void frmMain::ShowCurrentItem()
{
    const QString& name = gKoumoku[gGenzai];
    ui->lblKoumoku->setText(name);
    ui->lblKoumoku->setFont(namedFont(itemNameFontSize(name)));

    const int count = gRandomKaisu == 1 ? randomCount(gShijiSu[gGenzai]) : gShijiSu[gGenzai];
    ui->lblKaisu->setText(QString::number(count));
    mPresented = {name, QString::number(count)};
    // The scroll bar only goes from 0 to 1000; the count box holds the count itself.
    ui->hsbKaisu->setValue(std::clamp(count, ui->hsbKaisu->minimum(), ui->hsbKaisu->maximum()));
    if (count != 0)
        platform::setTextShowingStart(ui->txtKaisu, QString::number(count));
    // Enter goes to 次へ, and its focus frame says so before any Tab is pressed.
    ui->cmdNext->setFocus();
    window()->setAttribute(Qt::WA_KeyboardFocusChange);
}

bool frmMain::countFitsRecord(double value)
{
    if (fitsRecordedCount(value))
        return true;
    platform::MsgBox(QCoreApplication::translate(
                         "frmMain", "回数が大きすぎます。-2147483647 から 2147483647 までの数を入力して下さい。"),
                     platform::vbExclamation, QCoreApplication::translate("frmMain", "回数入力エラー"));
    if (isLoaded())
        ui->txtKaisu->setFocus();
    return false;
}

// If the history file cannot be written, the user is told and stays on the item: nothing is recorded.
bool frmMain::recordCount(double value)
{
    try {
        appendHistoryRecord(gKoumoku[gGenzai], value);
        mCountEntered = true;
        return true;
    } catch (const DataFileError& error) {
        //: %1 is why the history file could not be written
        platform::MsgBox(
            QCoreApplication::translate("frmMain", "%1\n回数は記録されていません。").arg(error.description()),
            platform::vbExclamation, QCoreApplication::translate("frmMain", "記録できません"));
        if (isLoaded())
            ui->txtKaisu->setFocus();
        return false;
    }
}

void frmMain::cmdNext_Click()
{
    // One press, one record: a press while the last is still handled (during the flash), or after unloading
    // began, does nothing.
    const quint64 load = loadCount();
    if (!isLoaded() || mAdvancingLoad == load)
        return;
    mAdvancingLoad = load;
    const auto done = qScopeGuard([this, load] {
        if (mAdvancingLoad == load)
            mAdvancingLoad = 0;
    });

    const double count = TextValue(ui->txtKaisu->text());
    if (!countFitsRecord(count))
        return;
    if (count < 1) {
        const int answer = platform::MsgBox(
            QCoreApplication::translate("frmMain", "回数ゼロで次へ進もうとしていますがよろしいいですか？"),
            platform::vbOKCancel | platform::vbExclamation, QCoreApplication::translate("frmMain", "確認"));
        if (!isLoadedAs(load))
            return;
        if (answer != platform::vbOK) {
            ui->txtKaisu->setFocus();
            return;
        }
    }
    if (!recordCount(count))
        return;
    if (gGenzai == gKoumokuSu - 1)
        //: The next button's caption once the last item is recorded
        ui->cmdNext->setText(QCoreApplication::translate("frmMain", "終わり"));
    SaveItems();

    ui->hsbKaisu->setValue(0);
    ui->txtKaisu->setText(QString());
    if (gGenzai < gKoumokuSu) {
        setBackground(PaletteColor(mIro));
        Pause(0.1f);
        // The user may have closed the window during the flash, or started the next pass: not this press's.
        if (!isLoadedAs(load)) {
            advanceFlashColour();
            return;
        }
        setBackground(buttonFaceColor());
        setStepColour(gGenzai, kStepColour);
        ++gGenzai;
        setStepColour(gGenzai, kCurrentStepColour);
        ShowCurrentItem();
    } else {
        Unload();
        showSettingsWindow();
    }
    advanceFlashColour();
}

void frmMain::showSettingsWindow()
{
    platform::Form& settings = platform::settingsWindow();
    settings.Show();
    // A doubled or held Enter that ended the pass must not press 開始, which has the focus there.
    if (settings.isLoaded())
        platform::dropEarlyKeys(settings.window());
}

void frmMain::typeIntoCountBox(int& keyAscii)
{
    const QChar typed(keyAscii);
    if (!typed.isDigit() && typed != u'.' && typed != u'-' && typed != u'+')
        return;
    // A count typed while 次へ has the focus replaces the one shown, as typing into the selected box would.
    ui->txtKaisu->setFocus();
    ui->txtKaisu->selectAll();
    ui->txtKaisu->insert(QString(typed));
    mCountEntered = true;
    keyAscii = 0;
}

void frmMain::advanceFlashColour()
{
    ++mIro;
    if (mIro == 7)
        mIro = 9;
    if (mIro == 16)
        mIro = 0;
}

void frmMain::hsbKaisu_Change()
{
    platform::setTextShowingStart(ui->txtKaisu, QString::number(ui->hsbKaisu->value()));
}

// While the thumb is dragged, the box follows it.
void frmMain::hsbKaisu_Scroll()
{
    hsbKaisu_Change();
}

void frmMain::txtKaisu_KeyPress(int& KeyAscii)
{
    if (KeyAscii == 13)
        cmdNext_Click();
}

void frmMain::cmdCut_Click()
{
    Unload();
    showSettingsWindow();
}
