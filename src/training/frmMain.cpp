#include "frmMain.h"

#include "platform/AppSetup.h"
#include "platform/CommandButton.h"
#include "platform/Dialogs.h"
#include "platform/FitLabel.h"
#include "platform/Guard.h"
#include "platform/KeyPress.h"
#include "platform/OutlinedLabel.h"
#include "platform/ScrollBar.h"
#include "platform/TextBox.h"
#include "settings/frmSettei.h"
#include "shared/Errors.h"
#include "shared/Numbers.h"
#include "shared/QmrM.h"

#include <QApplication>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QScrollBar>
#include <QToolButton>

#include <cmath>

using namespace QmrM;
using platform::namedFont;
using platform::twips;

namespace {

constexpr int kStepColour = 15;
constexpr int kCurrentStepColour = 12;
// The plan's steps shrink no further for a long name: it is cut with "…" and shown whole when it is its turn.
constexpr double kSmallestStepPoints = 9;
// The count box shrinks a long number down to this size before it has to scroll.
constexpr double kSmallestCountPoints = 8;

}  // namespace

QColor PaletteColor(int index)
{
    static const QRgb palette[16] = {
        0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
        0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
    };
    return QColor(palette[index & 15]);
}

double ItemNameFontSize(const QString& name)
{
    const qsizetype length = name.size();
    if (length >= 1 && length <= 5)
        return 65;
    if (length >= 6 && length <= 8)
        return 48;
    if (length >= 9 && length <= 10)
        return 36;
    if (length >= 11 && length <= 14)
        return 28;
    if (length >= 15 && length <= 18)
        return 22;
    return 16;
}

frmMain::frmMain() = default;

frmMain& frmMain::instance()
{
    return platform::FormInstance<frmMain>::get();
}

void frmMain::destroyInstance()
{
    platform::FormInstance<frmMain>::destroy();
}

QColor frmMain::buttonFaceColor()
{
    return QApplication::palette().color(QPalette::Button);
}

void frmMain::createControls(platform::FormWindow* window)
{
    window->setObjectName(QStringLiteral("frmMain"));
    window->setWindowTitle(QStringLiteral("Quillmora"));
    window->setWindowIcon(QIcon(QStringLiteral(":/pictures/app.ico")));
    window->setFixedSize(platform::twipsToPixels(9435), platform::twipsToPixels(6750));
    window->setFont(namedFont(21.75));
    window->setAutoFillBackground(true);
    setBackground(buttonFaceColor());

    // The name and the count are shown whole: at their described size when they fit, smaller when not.
    lblKoumoku = new platform::FitLabel(window);
    lblKoumoku->setObjectName(QStringLiteral("lblKoumoku"));
    lblKoumoku->setGeometry(twips(2655, 585, 6735, 1515));
    lblKoumoku->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblKoumoku->setWordWrap(true);

    txtKaisu = new QLineEdit(QStringLiteral("0"), window);
    txtKaisu->setObjectName(QStringLiteral("txtKaisu"));
    txtKaisu->setGeometry(twips(6750, 5700, 1215, 510));
    // Counts are half-width digits; a Japanese input method would only get in the way.
    txtKaisu->setAttribute(Qt::WA_InputMethodEnabled, false);
    txtKaisu->setInputMethodHints(Qt::ImhPreferNumbers | Qt::ImhLatinOnly);
    platform::keepTextWhole(txtKaisu, kSmallestCountPoints);

    cmdNext = new platform::CommandButton(window);
    cmdNext->setObjectName(QStringLiteral("cmdNext"));
    cmdNext->setGeometry(twips(8250, 5625, 990, 990));
    cmdNext->setText(QStringLiteral("次へ"));
    cmdNext->setFont(namedFont(9));
    cmdNext->setIcon(QIcon(QStringLiteral(":/pictures/next.ico")));
    cmdNext->setIconSize(QSize(32, 32));
    cmdNext->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    cmdNext->setFocusPolicy(Qt::StrongFocus);

    hsbKaisu = new platform::HScrollBar(window);
    hsbKaisu->setObjectName(QStringLiteral("hsbKaisu"));
    hsbKaisu->setGeometry(twips(6750, 6300, 1215, 240));
    hsbKaisu->setRange(0, 1000);
    hsbKaisu->setSingleStep(1);
    hsbKaisu->setPageStep(10);
    hsbKaisu->setValue(0);
    hsbKaisu->setFocusPolicy(Qt::StrongFocus);

    lblKaisu = new platform::FitLabel(window);
    lblKaisu->setObjectName(QStringLiteral("lblKaisu"));
    lblKaisu->setGeometry(twips(2700, 2250, 6720, 2865));
    lblKaisu->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblKaisu->setFont(namedFont(150));

    Frame1 = new QGroupBox(QStringLiteral("計画"), window);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twips(75, 150, 2550, 6465));
    Frame1->setFont(namedFont(11.25));

    for (int i = 1; i <= 20; ++i) {
        // Outlined, so the white and red steps read on the window face and on every flash colour.
        auto* label = new platform::OutlinedLabel(Frame1);
        label->setObjectName(QStringLiteral("lblSnd_%1").arg(i));
        label->setGeometry(twips(105, 375 + 300 * (i - 1), 2415, 240));
        label->setFont(namedFont(11.25));
        label->setMinimumPointSize(kSmallestStepPoints);
        lblSnd[i] = label;
    }

    cmdCut = new platform::CommandButton(window);
    cmdCut->setObjectName(QStringLiteral("cmdCut"));
    cmdCut->setGeometry(twips(9000, 75, 390, 345));
    cmdCut->setIcon(QIcon(QStringLiteral(":/pictures/cut.bmp")));
    cmdCut->setIconSize(QSize(16, 16));
    cmdCut->setToolButtonStyle(Qt::ToolButtonIconOnly);
    cmdCut->setFocusPolicy(Qt::StrongFocus);
    cmdCut->setAccessibleName(QStringLiteral("中断"));
    cmdCut->setAccessibleDescription(QStringLiteral("トレーニングを中断して設定画面に戻ります"));

    // Names for assistive technology where no caption says what a control is. Labels keep their
    // text as their name (it is what a screen reader must read); a description says what it is.
    lblKoumoku->setAccessibleDescription(QStringLiteral("項目名"));
    lblKaisu->setAccessibleDescription(QStringLiteral("指示回数"));
    txtKaisu->setAccessibleName(QStringLiteral("回数"));
    txtKaisu->setAccessibleDescription(QStringLiteral("行った回数を入力して Enter キーで次へ進みます"));
    hsbKaisu->setAccessibleName(QStringLiteral("回数の調整"));

    QWidget::setTabOrder(txtKaisu, cmdNext);
    QWidget::setTabOrder(cmdNext, hsbKaisu);
    QWidget::setTabOrder(hsbKaisu, cmdCut);

    connectHandlers();
}

void frmMain::connectHandlers()
{
    using platform::guarded;
    connect(cmdNext, &QToolButton::clicked, this, guarded(this, &frmMain::cmdNext_Click));
    connect(hsbKaisu, &QScrollBar::valueChanged, this, guarded(this, &frmMain::hsbKaisu_Change));
    connect(hsbKaisu, &QScrollBar::sliderMoved, this, guarded(this, &frmMain::hsbKaisu_Scroll));
    connect(cmdCut, &QToolButton::clicked, this, guarded(this, &frmMain::cmdCut_Click));
    new platform::KeyPressFilter(txtKaisu, [this](int& keyAscii) { txtKaisu_KeyPress(keyAscii); });
}

void frmMain::forgetControls()
{
    lblKoumoku = nullptr;
    txtKaisu = nullptr;
    cmdNext = nullptr;
    hsbKaisu = nullptr;
    lblKaisu = nullptr;
    Frame1 = nullptr;
    lblSnd.fill(nullptr);
    cmdCut = nullptr;
}

void frmMain::setBackground(const QColor& color)
{
    QWidget* form = window();
    if (!form)
        return;
    QPalette palette = form->palette();
    palette.setColor(QPalette::Window, color);
    form->setPalette(palette);
}

void frmMain::Form_Load()
{
    LoadItems();
    LoadSettings();
    if (gKoumokuSu == 0) {
        platform::MsgBox(QStringLiteral("項目登録ボタンを押して項目を設定してください"), platform::vbExclamation,
                         QStringLiteral("項目無し"));
        frmSettei::instance().Show();
        Unload();
        return;
    }
    Show();
    for (int i = 1; i <= 20; ++i)
        lblSnd[i]->setVisible(false);
    for (int j = 1; j <= gKoumokuSu; ++j) {
        lblSnd[j]->setVisible(true);
        QPalette palette = lblSnd[j]->palette();
        palette.setColor(QPalette::WindowText, PaletteColor(kStepColour));
        lblSnd[j]->setPalette(palette);
        lblSnd[j]->setText(QString::number(j) + QStringLiteral(".") + gKoumoku[j]);
    }
    cmdNext->setText(gKoumokuSu == 1 ? QStringLiteral("終了") : QStringLiteral("次へ"));
    hsbKaisu->setValue(0);
    txtKaisu->setText(QString());
    gGenzai = 1;
    QPalette palette = lblSnd[1]->palette();
    palette.setColor(QPalette::WindowText, PaletteColor(kCurrentStepColour));
    lblSnd[1]->setPalette(palette);
    ShowCurrentItem();
}

void frmMain::ShowCurrentItem()
{
    const QString& name = gKoumoku[gGenzai];
    lblKoumoku->setText(name);
    lblKoumoku->setFont(namedFont(ItemNameFontSize(name)));

    const int instructed = gShijiSu[gGenzai];
    int count = instructed;
    if (gRandomKaisu == 1)
        count = static_cast<int>(std::floor(static_cast<double>(instructed) * RandomFraction() + 1.0));

    lblKaisu->setText(QString::number(count));
    // The scroll bar only goes from 0 to 1000; the count box holds the count itself.
    hsbKaisu->setValue(std::clamp(count, hsbKaisu->minimum(), hsbKaisu->maximum()));
    if (count != 0)
        platform::setTextShowingStart(txtKaisu, QString::number(count));
    cmdNext->setFocus();
}

bool frmMain::countFitsRecord(double value)
{
    if (std::isfinite(value) && std::fabs(value) <= 2147483647.0)
        return true;
    platform::MsgBox(QStringLiteral("回数が大きすぎます。-2147483647 から 2147483647 までの数を入力して下さい。"),
                     platform::vbExclamation, QStringLiteral("回数入力エラー"));
    txtKaisu->setFocus();
    return false;
}

// Appends the count to the current item's history. A history file that cannot be written is told to the
// user, who stays on the item: nothing is recorded and the pass does not move on.
bool frmMain::recordCount(double value)
{
    try {
        AppendHistoryRecord(gKoumoku[gGenzai], value);
        return true;
    } catch (const DataFileError& error) {
        platform::MsgBox(error.description() + QStringLiteral("\n回数は記録されていません。"),
                         platform::vbExclamation, QStringLiteral("記録できません"));
        if (isLoaded())
            txtKaisu->setFocus();
        return false;
    }
}

void frmMain::cmdNext_Click()
{
    // One press, one record: a press while the last one is still being handled (during the flash),
    // or after the window began to unload, does nothing.
    if (mAdvancing || !isLoaded())
        return;
    mAdvancing = true;
    const auto done = qScopeGuard([this] { mAdvancing = false; });

    const double count = TextValue(txtKaisu->text());
    if (!countFitsRecord(count))
        return;
    if (count < 1) {
        const int answer = platform::MsgBox(QStringLiteral("回数ゼロで次へ進もうとしていますがよろしいいですか？"),
                                            platform::vbOKCancel | platform::vbExclamation, QStringLiteral("確認"));
        if (!isLoaded())
            return;
        if (answer != platform::vbOK) {
            txtKaisu->setFocus();
            return;
        }
    }
    if (!recordCount(count))
        return;
    if (gGenzai == gKoumokuSu - 1)
        cmdNext->setText(QStringLiteral("終わり"));
    SaveItems();

    hsbKaisu->setValue(0);
    txtKaisu->setText(QString());
    if (gGenzai < gKoumokuSu) {
        setBackground(PaletteColor(mIro));
        Pause(0.1f);
        if (!isLoaded()) {  // closed through its title bar during the flash
            advanceFlashColour();
            return;
        }
        setBackground(buttonFaceColor());
        QPalette palette = lblSnd[gGenzai]->palette();
        palette.setColor(QPalette::WindowText, PaletteColor(kStepColour));
        lblSnd[gGenzai]->setPalette(palette);
        ++gGenzai;
        palette.setColor(QPalette::WindowText, PaletteColor(kCurrentStepColour));
        lblSnd[gGenzai]->setPalette(palette);
        ShowCurrentItem();
    } else {
        Unload();
        frmSettei::instance().Show();
    }
    advanceFlashColour();
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
    platform::setTextShowingStart(txtKaisu, QString::number(hsbKaisu->value()));
}

void frmMain::hsbKaisu_Scroll()
{
    platform::setTextShowingStart(txtKaisu, QString::number(hsbKaisu->value()));
}

void frmMain::txtKaisu_KeyPress(int& KeyAscii)
{
    if (KeyAscii == 13)
        cmdNext_Click();
}

void frmMain::cmdCut_Click()
{
    Unload();
    frmSettei::instance().Show();
}
