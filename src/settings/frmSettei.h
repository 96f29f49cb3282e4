// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Form.h"

#include <QString>
#include <memory>

// The history total's text: "合計回数 ： " and the total.
QString historyTotalText(double total);

// The settings window: items and their histories, the options, and the start of the next pass; its controls
// exist only while loaded. src/app attaches the chart's menu entries, Ctrl+G on its lists (controlsCreated)
// and the chart closing with it. Its start button hands the wait to the pass schedule.
class frmSettei : public platform::SingleForm<frmSettei> {
    Q_OBJECT
public:
    ~frmSettei() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void createControls(platform::FormWindow* window) override;
    void releaseControls() override;
    void Form_Load() override;

private:
    struct Ui;
    friend class platform::SingleForm<frmSettei>;
    frmSettei();

    void cmdAgain_Click();
    void hsbTime_Change();
    void hsbTime_Scroll();
    void cboKoumoku_Click();
    void cmdSettei_Click();
    void cmdHelp_Click();
    void cmdEnd_Click();
    void cmdNew_Click();
    void lstKoumoku_Click();
    void cmdHozon_Click();
    void cmdDel_Click();
    void cmdClear_Click();

    // Fills the history list and the total for item n (1 to gKoumokuSu).
    void ShowHistory(int n);
    void showFirstHistory();

    void fillItemLists();
    // 1-based; 0 when none is selected.
    int selectedItem() const;
    // Tells the user to choose an item first unless one is chosen and the name box is filled.
    bool itemChosen();

    std::unique_ptr<Ui> ui;
    QString mShownHistory;  // the item name whose history file the history list shows
    bool mSelectionChangedByPress = false;
};
