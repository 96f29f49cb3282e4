#pragma once

#include "platform/Form.h"

#include <QColor>
#include <array>
#include <cstdint>

class QGroupBox;
class QLabel;
class QLineEdit;
class QScrollBar;
class QToolButton;

// The fixed 16-colour palette of the training window's flash and step labels.
QColor PaletteColor(int index);

// The training window: presents the items one after the other, records the counts done and flashes
// between items. The program's startup window.
class frmMain : public platform::Form {
    Q_OBJECT
public:
    static frmMain& instance();
    // Drops the single instance (for tests); the next instance() starts as at program start.
    static void destroyInstance();

    // Controls of the loaded window; all null while the window is not loaded.
    QLabel* lblKoumoku = nullptr;
    QLineEdit* txtKaisu = nullptr;
    QToolButton* cmdNext = nullptr;
    QScrollBar* hsbKaisu = nullptr;
    QLabel* lblKaisu = nullptr;
    QGroupBox* Frame1 = nullptr;
    std::array<QLabel*, 21> lblSnd{};  // indices 1 to 20; 0 unused
    QToolButton* cmdCut = nullptr;

    // The flash colour index; runs on across passes for the whole run.
    int16_t mIro = 0;

    // Event handlers.
    void Form_Load() override;
    void cmdNext_Click();
    void hsbKaisu_Change();
    void hsbKaisu_Scroll();
    void txtKaisu_KeyPress(int& KeyAscii);
    void cmdCut_Click();

    // Presents item gGenzai: name, font size, count, scroll bar and count box; focus on the next button.
    void ShowCurrentItem();

    // The window's usual background, the toolkit's button face.
    static QColor buttonFaceColor();

protected:
    void createControls(platform::FormWindow* window) override;
    void forgetControls() override;

private:
    friend class platform::FormInstance<frmMain>;
    frmMain();
    void connectHandlers();
    void setBackground(const QColor& color);
    void advanceFlashColour();
    bool countFitsRecord(double value);
    bool recordCount(double value);

    bool mAdvancing = false;  // a press of next is being handled
};

// The font size of an item name on the training window, chosen by the name's length.
double ItemNameFontSize(const QString& name);
