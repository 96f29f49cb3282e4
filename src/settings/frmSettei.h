#pragma once

#include "platform/Form.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollBar;
class QToolButton;

// The settings window: items and their histories, the options, and the start of the next pass.
class frmSettei : public platform::Form {
    Q_OBJECT
public:
    static frmSettei& instance();
    // Drops the single instance (for tests).
    static void destroyInstance();

    // Controls of the loaded window; all null while the window is not loaded.
    QLabel* Image1 = nullptr;
    QToolButton* cmdAgain = nullptr;
    QToolButton* cmdNew = nullptr;
    QToolButton* cmdHozon = nullptr;
    QToolButton* cmdClear = nullptr;
    QToolButton* cmdDel = nullptr;
    QToolButton* cmdHelp = nullptr;
    QToolButton* cmdEnd = nullptr;
    std::array<QFrame*, 2> Line1{};
    QGroupBox* Frame1 = nullptr;
    QComboBox* cboKoumoku = nullptr;
    QListWidget* lstRireki = nullptr;
    QLabel* lblGoukei = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLineEdit* txtKoumoku = nullptr;
    QLineEdit* txtKaisu = nullptr;
    QListWidget* lstKoumoku = nullptr;
    QGroupBox* Frame3 = nullptr;
    QLabel* Label1 = nullptr;
    QScrollBar* hsbTime = nullptr;
    QLabel* lblJikan = nullptr;
    QPushButton* cmdSettei = nullptr;
    QCheckBox* chkTim = nullptr;
    QCheckBox* chkKaisu = nullptr;

    // Form-level values, set at every start-up.
    QString mHelpFile;
    int16_t mRirekiNo = 0;

    // Event handlers.
    void Form_Load() override;
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

    // Fills the history list and the total for item mRirekiNo.
    void ShowHistory();
    // Writes the settings file from the three shared options.
    void SaveSettings();

    // The wait before the next pass, in seconds, from the shared options: the minutes, or with random
    // timing a random whole number of minutes from 1 to the minutes.
    static float WaitSeconds();
    // Replaces the start wait (tests); empty means a real Pause.
    static std::function<void(float seconds)>& startWait();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void createControls(platform::FormWindow* window) override;
    void forgetControls() override;

private:
    friend class platform::FormInstance<frmSettei>;
    frmSettei();
    void createTopBand(platform::FormWindow* window);
    void createHistoryFrame(platform::FormWindow* window);
    void createItemsFrame(platform::FormWindow* window);
    void createOptionsFrame(platform::FormWindow* window);
    void nameControls();
    void setTabOrder();
    void connectHandlers();
    void showWaitMinutes();
    void fillItemLists();
    QString askItemName();
    std::optional<double> askInstructedCount();
    // The item chosen in the item list (1-based), 0 when none is selected.
    int selectedItem() const;
    // Tells the user to choose an item first unless one is chosen and the name box is filled.
    bool itemChosen();

    bool mSelectionChangedByPress = false;
};

// The history total's text: "合計回数 ： " and the total.
QString HistoryTotalText(double total);
// One line of the history list.
QString HistoryLine(int number, const QString& date, const QString& time, const QString& count);
