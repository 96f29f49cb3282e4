// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Form.h"
#include "platform/Handover.h"

#include <QColor>
#include <cstdint>
#include <memory>

// The fixed 16-colour palette of the training window's flash and step labels.
QColor PaletteColor(int index);

// The training window's usual background, the toolkit's button face.
QColor buttonFaceColor();

// Chosen by the name's length.
double itemNameFontSize(const QString& name);

// The training window, the program's startup window: presents the items in turn, records the counts done and
// flashes between items; its controls exist only while loaded. The wait's view (tray/WaitView, attached in
// src/app) follows its form, load count and title, and asks what it presents and if the pass is untouched.
class frmMain : public platform::SingleForm<frmMain> {
    Q_OBJECT
public:
    ~frmMain() override;

    // Empty while not loaded.
    platform::PresentedItem presentedItem() const;
    bool passUntouched() const { return isLoaded() && !mCountEntered; }

protected:
    bool prepareLoad() override;
    void createControls(platform::FormWindow* window) override;
    void releaseControls() override;
    void Form_Load() override;

private:
    struct Ui;
    friend class platform::SingleForm<frmMain>;
    frmMain();

    void cmdNext_Click();
    void hsbKaisu_Change();
    void hsbKaisu_Scroll();
    void txtKaisu_KeyPress(int& KeyAscii);
    void cmdCut_Click();

    // At the end of the pass or when the user leaves it.
    void showSettingsWindow();
    void typeIntoCountBox(int& keyAscii);
    // Presents item gGenzai: name, font size, count, scroll bar and count box; focus on the next button.
    void ShowCurrentItem();
    void setBackground(const QColor& color) { platform::setColour(window(), QPalette::Window, color); }
    void setStepColour(int step, int paletteIndex);
    void advanceFlashColour();
    bool countFitsRecord(double value);
    bool recordCount(double value);

    std::unique_ptr<Ui> ui;
    // The flash colour index; runs on across passes for the whole run.
    int16_t mIro = 0;
    // The load whose press of next is being handled (0: none).
    quint64 mAdvancingLoad = 0;
    platform::PresentedItem mPresented;  // for the wait's notice and tray
    bool mCountEntered = false;          // typed or recorded in this load
};
